#include "platform/advapi/advapi_abi.hpp"
#include "platform/kernel/dynamic_library.hpp"

#include "support/security_fixtures.hpp"

#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <boost/filesystem.hpp>

#include <cstring>
#include <fstream>
#include <memory>

namespace fs = boost::filesystem;
namespace advapi = platform::advapi;
using namespace platform::advapi;  // the Windows names read best unqualified here

namespace {

// The library as its callers see it: loaded by path, every export looked up by name.
class Library {
public:
    Library() {
        std::error_code error;
        m_library = platform::kernel::dynamic_library::load(QUILLON_BINARY_DIR "/bin/advapi32.dll", 0, error);
        if (!m_library) {
            throw std::runtime_error("advapi32.dll: " + error.message());
        }
    }
    template <class Function>
    Function* get(const char* name) const {
        std::error_code error;
        auto* f = m_library.entry_point_as<Function>(name, error);
        if (!f) {
            throw std::runtime_error(std::string("missing export ") + name);
        }
        return f;
    }

private:
    platform::kernel::dynamic_library m_library;
};

const Library& library() {
    static const Library instance;
    return instance;
}

#define CALL(name) library().get<decltype(advapi::name)>(#name)

HANDLE process_token(DWORD access) {
    HANDLE token = nullptr;
    EXPECT_TRUE(CALL(OpenProcessToken)(CALL(GetCurrentProcess)(), access, &token));
    return token;
}

LUID privilege(const char16_t* name) {
    LUID luid{};
    EXPECT_TRUE(CALL(LookupPrivilegeValueW)(nullptr, name, &luid)) << CALL(GetLastError)();
    return luid;
}

bool privilege_enabled(HANDLE token, LUID luid) {
    PRIVILEGE_SET set{1, PRIVILEGE_SET_ALL_NECESSARY, {{luid, 0}}};
    BOOL result = -1;
    EXPECT_TRUE(CALL(PrivilegeCheck)(token, &set, &result));
    EXPECT_EQ((set.Privilege[0].Attributes & SE_PRIVILEGE_USED_FOR_ACCESS) != 0, result == 1);
    return result == 1;
}

// A SID built by the library, freed with it.
struct library_sid {
    explicit library_sid(DWORD rid) {
        CALL(AllocateAndInitializeSid)
        (&SECURITY_NT_AUTHORITY, 2, SECURITY_BUILTIN_DOMAIN_RID, rid, 0, 0, 0, 0, 0, 0, &sid);
    }
    ~library_sid() { CALL(FreeSid)(sid); }
    PSID sid = nullptr;
};

TEST(AdvapiLibrary, PrivilegeCheckSeesTheProcessWideStateThroughAnyHandle) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, which holds the backup privilege";
    }
    HANDLE query = process_token(TOKEN_QUERY);
    HANDLE adjust = process_token(TOKEN_ADJUST_PRIVILEGES);
    const LUID backup = privilege(u"SeBackupPrivilege");
    EXPECT_EQ(backup.LowPart, 17u);
    EXPECT_EQ(privilege(u"sebackupprivilege").LowPart, 17u);

    EXPECT_FALSE(privilege_enabled(query, backup));
    TOKEN_PRIVILEGES enable{1, {{backup, SE_PRIVILEGE_ENABLED}}};
    ASSERT_TRUE(CALL(AdjustTokenPrivileges)(adjust, 0, &enable, 0, nullptr, nullptr));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_SUCCESS);
    EXPECT_TRUE(privilege_enabled(query, backup));
    TOKEN_PRIVILEGES disable{1, {{backup, 0}}};
    ASSERT_TRUE(CALL(AdjustTokenPrivileges)(adjust, 0, &disable, 0, nullptr, nullptr));
    EXPECT_FALSE(privilege_enabled(query, backup));

    EXPECT_TRUE(CALL(CloseHandle)(query));
    EXPECT_TRUE(CALL(CloseHandle)(adjust));
    EXPECT_FALSE(CALL(CloseHandle)(query));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_INVALID_HANDLE);
}

TEST(AdvapiLibrary, AdjustTokenPrivilegesReportsWhatItChangedAndWhatItCouldNot) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, which holds the restore privilege";
    }
    HANDLE token = process_token(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
    const LUID restore = privilege(u"SeRestorePrivilege");
    TOKEN_PRIVILEGES enable{1, {{restore, SE_PRIVILEGE_ENABLED}}};
    TOKEN_PRIVILEGES previous{};
    DWORD length = 0;

    // A buffer too small for the previous state changes nothing.
    EXPECT_FALSE(CALL(AdjustTokenPrivileges)(token, 0, &enable, 4, &previous, &length));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 16u);
    EXPECT_FALSE(privilege_enabled(token, restore));

    // The previous state lists the privileges that changed, and only those.
    ASSERT_TRUE(CALL(AdjustTokenPrivileges)(token, 0, &enable, sizeof previous, &previous, &length));
    EXPECT_EQ(previous.PrivilegeCount, 1u);
    EXPECT_EQ(previous.Privileges[0].Luid.LowPart, restore.LowPart);
    EXPECT_EQ(previous.Privileges[0].Attributes, 0u);
    ASSERT_TRUE(CALL(AdjustTokenPrivileges)(token, 0, &enable, sizeof previous, &previous, &length));
    EXPECT_EQ(previous.PrivilegeCount, 0u);
    EXPECT_EQ(length, 4u);

    // A privilege the token does not hold: the call succeeds and says so in the last error.
    TOKEN_PRIVILEGES not_held{1, {{privilege(u"SeCreateTokenPrivilege"), SE_PRIVILEGE_ENABLED}}};
    EXPECT_TRUE(CALL(AdjustTokenPrivileges)(token, 0, &not_held, 0, nullptr, nullptr));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_NOT_ALL_ASSIGNED);

    TOKEN_PRIVILEGES disable{1, {{restore, 0}}};
    EXPECT_TRUE(CALL(AdjustTokenPrivileges)(token, 0, &disable, 0, nullptr, nullptr));
    CALL(CloseHandle)(token);

    HANDLE query_only = process_token(TOKEN_QUERY);
    EXPECT_FALSE(CALL(AdjustTokenPrivileges)(query_only, 0, &enable, 0, nullptr, nullptr));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_ACCESS_DENIED);
    CALL(CloseHandle)(query_only);

    LUID luid;
    EXPECT_FALSE(CALL(LookupPrivilegeValueW)(nullptr, u"SeNoSuchPrivilege", &luid));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_NO_SUCH_PRIVILEGE);
}

TEST(AdvapiLibrary, AbsoluteDescriptorHoldsItsPartsInTwentyBytes) {
    auto descriptor = std::make_unique<std::uint8_t[]>(20);  // exactly 20: any overrun is caught
    library_sid administrators(DOMAIN_ALIAS_RID_ADMINS);
    std::uint32_t acl_storage[16] = {};
    auto* acl = reinterpret_cast<ACL*>(acl_storage);
    ASSERT_TRUE(CALL(InitializeAcl)(acl, sizeof acl_storage, ACL_REVISION));

    ASSERT_TRUE(CALL(InitializeSecurityDescriptor)(descriptor.get(), SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(CALL(SetSecurityDescriptorDacl)(descriptor.get(), 1, acl, 0));
    ASSERT_TRUE(CALL(SetSecurityDescriptorOwner)(descriptor.get(), administrators.sid, 1));
    EXPECT_TRUE(CALL(IsValidSecurityDescriptor)(descriptor.get()));

    BOOL present = 0;
    BOOL defaulted = 1;
    ACL* read = nullptr;
    ASSERT_TRUE(CALL(GetSecurityDescriptorDacl)(descriptor.get(), &present, &read, &defaulted));
    EXPECT_TRUE(present);
    EXPECT_FALSE(defaulted);
    EXPECT_EQ(read, acl);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(CALL(GetSecurityDescriptorControl)(descriptor.get(), &control, &revision));
    EXPECT_EQ(control, SE_DACL_PRESENT | SE_OWNER_DEFAULTED);

    EXPECT_FALSE(CALL(SetSecurityDescriptorControl)(descriptor.get(), SE_DACL_PRESENT, SE_DACL_PRESENT));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(CALL(InitializeSecurityDescriptor)(descriptor.get(), 2));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_UNKNOWN_REVISION);
}

TEST(AdvapiLibrary, AddAceInsertsAtItsIndexWithinTheSpaceOfTheList) {
    library_sid users(DOMAIN_ALIAS_RID_USERS);
    library_sid administrators(DOMAIN_ALIAS_RID_ADMINS);
    std::uint32_t storage[14] = {};  // the header and two entries of 24 bytes, and no more
    auto* acl = reinterpret_cast<ACL*>(storage);
    ASSERT_TRUE(CALL(InitializeAcl)(acl, sizeof storage, ACL_REVISION));
    ASSERT_TRUE(CALL(AddAccessAllowedAce)(acl, ACL_REVISION, 1, users.sid));

    std::uint32_t other_storage[8] = {};
    auto* other = reinterpret_cast<ACL*>(other_storage);
    ASSERT_TRUE(CALL(InitializeAcl)(other, sizeof other_storage, ACL_REVISION));
    ASSERT_TRUE(CALL(AddAccessAllowedAceEx)(other, ACL_REVISION, OBJECT_INHERIT_ACE, 2, administrators.sid));
    void* ace = nullptr;
    ASSERT_TRUE(CALL(GetAce)(other, 0, &ace));
    ASSERT_TRUE(CALL(AddAce)(acl, ACL_REVISION, 0, ace, 24));
    EXPECT_EQ(test_support::read_acl(acl),
              (std::vector<test_support::ace_record>{{0, OBJECT_INHERIT_ACE, 2, test_support::administrators},
                                                     {0, 0, 1, test_support::users}}));

    ACL_SIZE_INFORMATION sizes{};
    ASSERT_TRUE(CALL(GetAclInformation)(acl, &sizes, sizeof sizes, AclSizeInformation));
    EXPECT_EQ(sizes.AceCount, 2u);
    EXPECT_EQ(sizes.AclBytesInUse, 56u);
    EXPECT_EQ(sizes.AclBytesFree, 0u);

    EXPECT_FALSE(CALL(AddAce)(acl, ACL_REVISION, MAXDWORD, ace, 24));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_ALLOTTED_SPACE_EXCEEDED);
    EXPECT_FALSE(CALL(AddAccessAllowedAceEx)(other, ACL_REVISION, 0x20, 2, administrators.sid));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_INVALID_FLAGS);
    EXPECT_FALSE(CALL(GetAce)(acl, 2, &ace));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_INVALID_PARAMETER);
}

TEST(AdvapiLibrary, AccessCheckNeedsAnImpersonationTokenAndHonoursDenyEntriesFirst) {
    library_sid users(DOMAIN_ALIAS_RID_USERS);
    PSID everyone = nullptr;
    ASSERT_TRUE(CALL(AllocateAndInitializeSid)(&SECURITY_WORLD_SID_AUTHORITY, 1, 0, 0, 0, 0, 0, 0, 0, 0, &everyone));
    std::uint32_t storage[16] = {};
    auto* acl = reinterpret_cast<ACL*>(storage);
    ASSERT_TRUE(CALL(InitializeAcl)(acl, sizeof storage, ACL_REVISION));
    // A deny entry for Users (which every account belongs to), then an allow entry for Everyone.
    ASSERT_TRUE(CALL(AddAccessAllowedAce)(acl, ACL_REVISION, 3, everyone));
    void* allow = nullptr;
    ASSERT_TRUE(CALL(GetAce)(acl, 0, &allow));
    std::uint8_t deny[24];
    std::memcpy(deny, allow, 8);
    deny[0] = ACCESS_DENIED_ACE_TYPE;
    deny[2] = 24;
    std::uint32_t mask = 1;
    std::memcpy(deny + 4, &mask, 4);
    std::memcpy(deny + 8, users.sid, 16);
    ASSERT_TRUE(CALL(AddAce)(acl, ACL_REVISION, 0, deny, sizeof deny));

    std::uint8_t descriptor[20];
    CALL(InitializeSecurityDescriptor)(descriptor, SECURITY_DESCRIPTOR_REVISION);
    CALL(SetSecurityDescriptorDacl)(descriptor, 1, acl, 0);
    CALL(SetSecurityDescriptorOwner)(descriptor, everyone, 0);
    CALL(SetSecurityDescriptorGroup)(descriptor, everyone, 0);
    GENERIC_MAPPING mapping{1, 2, 0, 3};
    PRIVILEGE_SET privileges{};
    DWORD length = sizeof privileges;
    DWORD granted = 0;
    BOOL status = 0;

    HANDLE primary = process_token(TOKEN_QUERY);
    EXPECT_FALSE(CALL(AccessCheck)(descriptor, primary, 1, &mapping, &privileges, &length, &granted, &status));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_NO_IMPERSONATION_TOKEN);
    CALL(CloseHandle)(primary);

    ASSERT_TRUE(CALL(ImpersonateSelf)(SecurityImpersonation));
    HANDLE thread = nullptr;
    ASSERT_TRUE(CALL(OpenThreadToken)(CALL(GetCurrentThread)(), TOKEN_QUERY, 0, &thread));
    // The owner (Everyone here) may always read and change the DACL.
    const struct {
        DWORD desired;
        DWORD granted;
    } cases[] = {{1, 0}, {2, 2}, {3, 0}, {READ_CONTROL, READ_CONTROL}, {MAXIMUM_ALLOWED, 2 | READ_CONTROL | WRITE_DAC}};
    for (const auto& c : cases) {
        ASSERT_TRUE(
            CALL(AccessCheck)(descriptor, thread, c.desired, &mapping, &privileges, &length, &granted, &status));
        EXPECT_EQ(status != 0, c.granted != 0) << c.desired;
        EXPECT_EQ(granted, c.granted) << c.desired;
    }
    CALL(CloseHandle)(thread);
    ASSERT_TRUE(CALL(RevertToSelf)());
    EXPECT_FALSE(CALL(OpenThreadToken)(CALL(GetCurrentThread)(), TOKEN_QUERY, 0, &thread));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_NO_TOKEN);
    CALL(FreeSid)(everyone);
}

// A valid stored descriptor: header, then a DACL with one entry for Users.
std::vector<std::uint8_t> valid_stored_descriptor() {
    std::vector<std::uint8_t> bytes(20 + 8 + 24);
    const std::uint8_t header[] = {1, 0, 0x04, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 0, 0};
    const std::uint8_t acl[] = {2, 0, 32, 0, 1, 0, 0, 0};
    const std::uint8_t ace[] = {0, 0, 24, 0, 0xFF, 0x01, 0x1F, 0, 1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x21, 2, 0, 0};
    std::memcpy(&bytes[0], header, sizeof header);
    std::memcpy(&bytes[20], acl, sizeof acl);
    std::memcpy(&bytes[28], ace, sizeof ace);
    return bytes;
}

TEST(AdvapiLibrary, StoredDescriptorsAreCheckedBeforeUse) {
    test_support::temp_folder folder;
    const fs::path file = folder.path() / "f";
    std::ofstream(file.string()) << "x";
    const std::u16string wide(file.string().begin(), file.string().end());
    const auto get = [&](DWORD* needed) {
        return CALL(GetFileSecurityW)(wide.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, needed);
    };

    const struct {
        const char* what;
        std::size_t at;
        std::uint8_t value;
        std::size_t size;
    } corruptions[] = {
        {"intact", 0, 1, 52},
        {"truncated header", 0, 1, 12},
        {"revision", 0, 2, 52},
        {"not self-relative", 3, 0x00, 52},
        {"DACL past the end", 16, 60, 52},
        {"DACL misaligned", 16, 21, 52},
        {"ACL size past the end", 22, 40, 52},
        {"entry size 0", 30, 0, 52},
        {"SID longer than its entry", 37, 4, 52},
        {"entry count past the list", 24, 2, 52},
    };
    for (const auto& c : corruptions) {
        std::vector<std::uint8_t> bytes = valid_stored_descriptor();
        bytes[c.at] = c.value;
        bytes.resize(c.size);
        ASSERT_EQ(setxattr(file.c_str(), "user.vn.dacl", bytes.data(), bytes.size(), 0), 0);
        DWORD needed = 0;
        EXPECT_FALSE(get(&needed)) << c.what;
        const bool intact = std::string(c.what) == "intact";
        EXPECT_EQ(CALL(GetLastError)(), intact ? ERROR_INSUFFICIENT_BUFFER : ERROR_INVALID_SECURITY_DESCR) << c.what;
        EXPECT_EQ(needed, intact ? 52u : 0u) << c.what;
    }
}

TEST(AdvapiLibrary, FileSecurityIsNeverSetThroughASymbolicLink) {
    test_support::temp_folder folder;
    std::ofstream((folder.path() / "target").string()) << "x";
    fs::create_symlink(folder.path() / "target", folder.path() / "link");
    const std::string link = (folder.path() / "link").string();
    const std::u16string wide(link.begin(), link.end());
    std::uint8_t descriptor[20];
    CALL(InitializeSecurityDescriptor)(descriptor, SECURITY_DESCRIPTOR_REVISION);
    CALL(SetSecurityDescriptorDacl)(descriptor, 1, nullptr, 0);

    EXPECT_FALSE(CALL(SetFileSecurityW)(wide.c_str(), DACL_SECURITY_INFORMATION, descriptor));
    EXPECT_EQ(CALL(GetLastError)(), ERROR_CANT_ACCESS_FILE);
    EXPECT_FALSE(test_support::stored_dacl(folder.path() / "target"));
}

}  // namespace
