#include "security/access_control.hpp"

#include "platform/diagnostics/diagnostic_log.hpp"
#include "platform/kernel/dynamic_library.hpp"
#include "security/advapi_calls.hpp"
#include "security/well_known_sid.hpp"

#include "security/fresh_process.hpp"
#include "support/security_fixtures.hpp"

#include <unistd.h>

#include <gtest/gtest.h>
#include <boost/filesystem.hpp>

#include <cstring>
#include <fstream>
#include <iterator>

namespace fs = boost::filesystem;
namespace advapi = platform::advapi;
using test_support::ace_record;
using test_support::administrators;
using test_support::everyone;
using test_support::users;

namespace {

constexpr std::uint32_t file_all_access = 0x1F01FF;
constexpr std::uint32_t shared_file_access = 0x13019F;
constexpr std::uint32_t read_and_execute = 0x1200A9;
constexpr std::uint16_t self_relative_with_dacl = advapi::SE_SELF_RELATIVE | advapi::SE_DACL_PRESENT;

bool running_as_root() {
    return geteuid() == 0;
}

// Gives the file or folder a DACL of the given entries (only the entries' SIDs named here).
void set_dacl(const fs::path& path, const std::vector<ace_record>& entries, advapi::WORD control = 0) {
    security::WellKnownSid sids[] = {security::WellKnownSid(security::SidEveryone),
                                     security::WellKnownSid(security::SidAdministrators),
                                     security::WellKnownSid(security::SidUsers)};
    const auto sid_for = [&](const std::string& text) {
        return text == everyone ? sids[0].get() : text == administrators ? sids[1].get() : sids[2].get();
    };
    security::AclHolder acl(8 + entries.size() * 24);
    for (const ace_record& e : entries) {
        const advapi::DWORD sid_length = security::api::GetLengthSid(sid_for(e.sid));
        std::uint8_t ace[24] = {static_cast<std::uint8_t>(e.type), static_cast<std::uint8_t>(e.flags),
                                static_cast<std::uint8_t>(8 + sid_length), 0};
        std::memcpy(ace + 4, &e.mask, 4);
        std::memcpy(ace + 8, sid_for(e.sid), sid_length);
        security::api::AddAce(acl.get(), advapi::MAXDWORD, ace, 8 + sid_length);
    }
    security::SecurityDescriptorHolder descriptor;
    security::api::SetSecurityDescriptorDacl(descriptor.get(), true, acl.get(), false);
    if (control) {
        security::api::SetSecurityDescriptorControl(descriptor.get(), control, control);
    }
    security::api::SetFileSecurityW(path, advapi::DACL_SECURITY_INFORMATION, descriptor.get());
}

// The DACL the library reports for the file, stored or inherited.
test_support::dacl_record reported_dacl(const fs::path& path) {
    std::vector<std::uint8_t> descriptor(security::api::GetFileSecurityW(path, nullptr, 0));
    security::api::GetFileSecurityW(path, descriptor.data(), static_cast<advapi::DWORD>(descriptor.size()));
    return test_support::read_self_relative_dacl(descriptor);
}

std::string getfacl(const fs::path& path) {
    return test_support::command_output("getfacl -p '" + path.string() + "'");
}

// The privilege's state in the process token, asked of the library directly.
bool privilege_enabled(const char16_t* name) {
    std::error_code error;
    const auto library = platform::kernel::dynamic_library::find_loaded("advapi32.dll", error);
    const auto get = [&](const char* f) { return library.entry_point(f, error); };
    advapi::HANDLE token = nullptr;
    advapi::LUID luid{};
    reinterpret_cast<decltype(&advapi::OpenProcessToken)>(get("OpenProcessToken"))(advapi::current_process_handle(),
                                                                                   advapi::TOKEN_QUERY, &token);
    reinterpret_cast<decltype(&advapi::LookupPrivilegeValueW)>(get("LookupPrivilegeValueW"))(nullptr, name, &luid);
    advapi::PRIVILEGE_SET set{1, advapi::PRIVILEGE_SET_ALL_NECESSARY, {{luid, 0}}};
    advapi::BOOL result = 0;
    reinterpret_cast<decltype(&advapi::PrivilegeCheck)>(get("PrivilegeCheck"))(token, &set, &result);
    reinterpret_cast<decltype(&advapi::CloseHandle)>(get("CloseHandle"))(token);
    return result != 0;
}

class AccessControl : public testing::Test {
protected:
    void SetUp() override {
        test_support::use_fresh_processes();
        if (!running_as_root()) {
            GTEST_SKIP() << "the access-control tests run as root, as the installer does";
        }
    }
    test_support::temp_folder m_folder;
};

// Exit code 1 for an administrator, 0 otherwise; 98 when the library could not be used at all, so
// that a missing library never passes for a "no".
int admin_answer(const char* variant, bool as_nobody) {
    test_support::use_library(variant);
    if (as_nobody) {
        test_support::become_nobody();
    }
    try {
        security::WellKnownSid probe(security::SidUsers);
    } catch (const security::hresult_error&) {
        return 98;
    }
    return security::IsUserAdmin() ? 1 : 0;
}

TEST_F(AccessControl, IsUserAdminGivesTheSameAnswerWithOrWithoutCheckTokenMembership) {
    for (const char* variant : {test_support::full_library, test_support::without_check_token_membership}) {
        EXPECT_EXIT(_exit(admin_answer(variant, false)), testing::ExitedWithCode(1), "") << variant;
        EXPECT_EXIT(_exit(admin_answer(variant, true)), testing::ExitedWithCode(0), "") << variant;
    }
}

TEST_F(AccessControl, EnablePrivilegeSwitchesAHeldPrivilegeOnAndOff) {
    ASSERT_TRUE(security::EnablePrivilege("SeBackupPrivilege", true));
    EXPECT_TRUE(privilege_enabled(u"SeBackupPrivilege"));
    EXPECT_TRUE(security::EnablePrivilege("SeBackupPrivilege", true));  // already on: stays on
    EXPECT_TRUE(privilege_enabled(u"SeBackupPrivilege"));
    ASSERT_TRUE(security::EnablePrivilege("SeBackupPrivilege", false));
    EXPECT_FALSE(privilege_enabled(u"SeBackupPrivilege"));
    EXPECT_FALSE(privilege_enabled(u"SeRestorePrivilege"));
}

TEST_F(AccessControl, EnablePrivilegeFailsForAPrivilegeNotHeld) {
    // Root does not hold the token-creation privilege; an unknown name is no privilege at all.
    EXPECT_FALSE(security::EnablePrivilege("SeCreateTokenPrivilege", true));
    EXPECT_FALSE(privilege_enabled(u"SeCreateTokenPrivilege"));
    EXPECT_FALSE(security::EnablePrivilege("SeNoSuchPrivilege", true));
    EXPECT_FALSE(security::EnablePrivilege("SeBackup\xff", true));

    // An account other than root holds neither backup nor restore, but does hold change notify.
    EXPECT_EXIT(
        {
            test_support::use_library(test_support::full_library);
            test_support::become_nobody();
            const bool backup = security::EnablePrivilege("SeBackupPrivilege", true);
            const bool restore = security::EnablePrivilege("SeRestorePrivilege", true);
            const bool notify = security::EnablePrivilege("SeChangeNotifyPrivilege", true);
            _exit(!backup && !restore && notify ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(AccessControl, WithoutTheLibraryEveryOperationFailsAsItsCallersExpect) {
    EXPECT_EXIT(
        {
            test_support::temp_folder empty;
            platform::kernel::dynamic_library::set_search_folder(empty.path());
            std::ofstream((empty.path() / "f").string()) << "x";
            int failures = 0;
            const auto expect = [&failures](bool ok, const char* what) {
                if (!ok) {
                    std::fprintf(stderr, "%s\n", what);
                    ++failures;
                }
            };
            expect(!security::IsUserAdmin(), "IsUserAdmin");
            expect(!security::EnablePrivilege("SeBackupPrivilege", true), "EnablePrivilege");
            expect(!security::GrantUsersAccess(empty.path() / "f", file_all_access, 0), "GrantUsersAccess");
            try {
                security::MakeEveryoneSecurity(0x1F0001);
                expect(false, "MakeEveryoneSecurity did not throw");
            } catch (const security::hresult_error& thrown) {
                const security::HRESULT hr = thrown.hresult();
                expect(hr == security::E_UNEXPECTED, "MakeEveryoneSecurity threw another HRESULT");
            }
            security::api::FreeSid(nullptr);
            expect(!security::api::RevertToSelf(), "RevertToSelf");
            expect(security::api::GetLastError() == advapi::ERROR_CALL_NOT_IMPLEMENTED, "last error");
            _exit(failures);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(AccessControl, GrantReplacesUsersEntriesAndGoesBeforeTheInheritedOnes) {
    const fs::path folder = m_folder.path() / "data";
    fs::create_directory(folder);
    set_dacl(folder,
             {{0, 0, read_and_execute, everyone},
              {0, 3, read_and_execute, users},
              {0, 3, file_all_access, administrators},
              {0, 0x13, read_and_execute, users},
              {0, 0x13, read_and_execute, everyone}},
             advapi::SE_DACL_AUTO_INHERITED);

    ASSERT_TRUE(security::GrantUsersAccess(folder, file_all_access, 3));

    const auto dacl = test_support::stored_dacl(folder);
    ASSERT_TRUE(dacl && dacl->entries);
    EXPECT_EQ(*dacl->entries, (std::vector<ace_record>{{0, 0, read_and_execute, everyone},
                                                       {0, 3, file_all_access, administrators},
                                                       {0, 3, file_all_access, users},
                                                       {0, 0x13, read_and_execute, everyone}}));
    EXPECT_EQ(dacl->control, self_relative_with_dacl | advapi::SE_DACL_AUTO_INHERITED);
    const std::string acl = getfacl(folder);
    EXPECT_NE(acl.find("\ngroup:users:rwx\n"), std::string::npos) << acl;
    EXPECT_NE(acl.find("\ndefault:group:users:rwx\n"), std::string::npos) << acl;
}

TEST_F(AccessControl, GrantOnAnObjectWithoutDaclWritesTheSingleUsersEntry) {
    const fs::path file = m_folder.path() / "shared.dat";
    std::ofstream(file.string()) << "data";
    ASSERT_FALSE(reported_dacl(file).entries) << "the fixture must start without a DACL";

    ASSERT_TRUE(security::GrantUsersAccess(file, shared_file_access, 0));

    const auto dacl = test_support::stored_dacl(file);
    ASSERT_TRUE(dacl && dacl->entries);
    EXPECT_EQ(*dacl->entries, (std::vector<ace_record>{{0, 0, shared_file_access, users}}));
    EXPECT_EQ(dacl->control, self_relative_with_dacl);
    const std::string acl = getfacl(file);
    EXPECT_NE(acl.find("\ngroup:users:rw-\n"), std::string::npos) << acl;
}

TEST_F(AccessControl, GrantFlagsDecideWhatFilesAndSubfoldersInherit) {
    const struct {
        std::uint8_t flags;
        std::optional<std::vector<ace_record>> file_entries;
        std::optional<std::vector<ace_record>> folder_entries;
        bool default_acl;
    } cases[] = {
        {0, std::nullopt, std::nullopt, false},
        {3, std::vector<ace_record>{{0, 0x10, file_all_access, users}},
         std::vector<ace_record>{{0, 0x13, file_all_access, users}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.flags));
        const fs::path folder = m_folder.path() / ("flags" + std::to_string(c.flags));
        fs::create_directory(folder);
        ASSERT_TRUE(security::GrantUsersAccess(folder, file_all_access, c.flags));
        EXPECT_EQ(test_support::stored_dacl(folder)->entries,
                  (std::vector<ace_record>{{0, c.flags, file_all_access, users}}));

        std::ofstream((folder / "later.dat").string()) << "x";
        fs::create_directory(folder / "later");
        EXPECT_EQ(reported_dacl(folder / "later.dat").entries, c.file_entries);
        EXPECT_EQ(reported_dacl(folder / "later").entries, c.folder_entries);
        // The default ACL gives new children the group's entry for real.
        EXPECT_EQ(getfacl(folder).find("default:group:users:rwx") != std::string::npos, c.default_acl);
        EXPECT_EQ(getfacl(folder / "later.dat").find("group:users:rwx") != std::string::npos, c.default_acl);
        EXPECT_EQ(getfacl(folder / "later").find("default:group:users:rwx") != std::string::npos, c.default_acl);
    }
}

TEST_F(AccessControl, GrantKeepsAProtectedDaclProtected) {
    const fs::path folder = m_folder.path() / "private";
    fs::create_directory(folder);
    set_dacl(folder, {{0, 3, file_all_access, administrators}, {0, 3, read_and_execute, users}},
             advapi::SE_DACL_PROTECTED);

    ASSERT_TRUE(security::GrantUsersAccess(folder, shared_file_access, 0));

    const auto dacl = test_support::stored_dacl(folder);
    ASSERT_TRUE(dacl && dacl->entries);
    EXPECT_EQ(*dacl->entries,
              (std::vector<ace_record>{{0, 3, file_all_access, administrators}, {0, 0, shared_file_access, users}}));
    EXPECT_EQ(dacl->control, self_relative_with_dacl | advapi::SE_DACL_PROTECTED);
    // The earlier inheritable Users entry is gone, and with it the default ACL entry.
    EXPECT_EQ(getfacl(folder).find("default:group:users"), std::string::npos) << getfacl(folder);
}

TEST_F(AccessControl, GrantAgainReplacesTheEntryAndItsPosixPermissions) {
    const fs::path file = m_folder.path() / "program.dat";
    std::ofstream(file.string()) << "x";
    ASSERT_TRUE(security::GrantUsersAccess(file, file_all_access, 0));
    EXPECT_NE(getfacl(file).find("\ngroup:users:rwx\n"), std::string::npos);
    ASSERT_TRUE(security::GrantUsersAccess(file, shared_file_access, 0));
    EXPECT_EQ(test_support::stored_dacl(file)->entries, (std::vector<ace_record>{{0, 0, shared_file_access, users}}));
    EXPECT_NE(getfacl(file).find("\ngroup:users:rw-\n"), std::string::npos) << getfacl(file);
}

TEST_F(AccessControl, FailedGrantLeavesEverythingAsItWas) {
    const fs::path target = m_folder.path() / "target";
    std::ofstream(target.string()) << "x";
    fs::create_symlink(target, m_folder.path() / "link");
    const std::string before = getfacl(target);

    for (const fs::path& path : {m_folder.path() / "missing", m_folder.path() / "link", m_folder.path() / "bad\xff"}) {
        EXPECT_FALSE(security::GrantUsersAccess(path, file_all_access, 0)) << path;
    }
    EXPECT_FALSE(test_support::stored_dacl(target));
    EXPECT_EQ(getfacl(target), before);
}

// The installation goes on after a failed grant; the diagnostic log is where an administrator sees it.
TEST_F(AccessControl, FailedGrantIsNotedInTheDiagnosticLog) {
    const fs::path log = m_folder.path() / "install.log";
    ASSERT_FALSE(platform::diagnostics::open_log(log));
    const fs::path missing = m_folder.path() / "missing";
    EXPECT_FALSE(security::GrantUsersAccess(missing, file_all_access, 0));
    platform::diagnostics::close_log();

    std::ifstream in(log.string());
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("FAILED granting the Users group access: " + missing.string() + ": "), std::string::npos)
        << text;
    EXPECT_NE(text.find("(HRESULT 80070002)"), std::string::npos) << text;
}

// The DACL a grant gives a new folder, as one line per entry, from a fresh process using the variant.
int grant_with(const char* variant, std::uint8_t flags, std::uint8_t expected_flags) {
    test_support::use_library(variant);
    test_support::temp_folder folder;
    if (!security::GrantUsersAccess(folder.path(), file_all_access, flags)) {
        return 2;
    }
    const auto dacl = test_support::stored_dacl(folder.path());
    const std::vector<ace_record> expected{{0, expected_flags, file_all_access, users}};
    return dacl && dacl->entries == expected ? 0 : 1;
}

TEST_F(AccessControl, GrantWithoutAddAccessAllowedAceExDropsOnlyTheFlags) {
    EXPECT_EXIT(_exit(grant_with(test_support::full_library, 3, 3)), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(_exit(grant_with(test_support::without_add_access_allowed_ace_ex, 0, 0)), testing::ExitedWithCode(0),
                "");
    EXPECT_EXIT(_exit(grant_with(test_support::without_add_access_allowed_ace_ex, 3, 0)), testing::ExitedWithCode(0),
                "");
}

TEST_F(AccessControl, EveryoneSecurityGrantsEveryoneTheMaskAndNothingElse) {
    for (std::uint32_t mask : {0x1F0001u, 0x1F0003u}) {
        const security::EveryoneSecurity security = security::MakeEveryoneSecurity(mask);
        const auto dacl = security::api::GetSecurityDescriptorDacl(security.descriptor());
        ASSERT_TRUE(dacl.present);
        EXPECT_FALSE(dacl.defaulted);
        ASSERT_EQ(dacl.dacl, security.dacl());
        EXPECT_EQ(test_support::read_acl(dacl.dacl), (std::vector<ace_record>{{0, 0, mask, everyone}}));
        EXPECT_EQ(dacl.dacl->AclSize, 8 + 8 + 12);

        const auto* raw = static_cast<const advapi::SECURITY_DESCRIPTOR*>(security.descriptor());
        EXPECT_EQ(raw->Revision, 1);
        EXPECT_EQ(raw->Control, advapi::SE_DACL_PRESENT);
        EXPECT_EQ(raw->Owner, 0u);
        EXPECT_EQ(raw->Group, 0u);
        EXPECT_TRUE(security::api::IsValidSecurityDescriptor(security.descriptor()));
    }
}

}  // namespace
