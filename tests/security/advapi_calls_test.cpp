#include "security/advapi_calls.hpp"

#include "security/entry_points.hpp"
#include "security/hresult.hpp"
#include "security/security_holders.hpp"
#include "security/well_known_sid.hpp"

#include "security/fresh_process.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace advapi = platform::advapi;
namespace api = security::api;
using security::HRESULT;

namespace {

HRESULT thrown_by(const std::function<void()>& call) {
    try {
        call();
    } catch (const security::hresult_error& thrown) {
        const HRESULT hr = thrown.hresult();
        return hr;
    }
    return security::S_OK;
}

TEST(Hresult, Win32CodesBecomeHresultsAndNoFailureReadsAsSuccess) {
    const struct {
        std::uint32_t code;
        std::uint32_t hresult;
    } cases[] = {{0, 0x80004005}, {5, 0x80070005}, {1300, 0x80070514}, {0x12345, 0x80072345}, {0x80004001, 0x80004001}};
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(security::hresult_from_win32(c.code)), c.hresult) << c.code;
    }
}

TEST(AdvapiCalls, FailuresThrowTheLibrarysLastErrorAsAnHresult) {
    security::WellKnownSid users(security::SidUsers);
    const std::uint32_t junk[4] = {0x12345678, 0, 0, 0};
    security::AclHolder acl(8);
    advapi::TOKEN_PRIVILEGES not_held{1, {{{2, 0}, advapi::SE_PRIVILEGE_ENABLED}}};  // SeCreateTokenPrivilege
    const struct {
        const char* what;
        std::function<void()> call;
        std::uint32_t hresult;
    } cases[] = {
        {"null SID", [] { api::GetLengthSid(nullptr); }, 0x80070057},
        {"invalid SID", [&] { api::EqualSid(users.get(), const_cast<std::uint32_t*>(junk)); }, 0x80070057},
        {"unknown privilege", [] { api::LookupPrivilegeValueW("SeNoSuchPrivilege"); }, 0x80070521},
        {"missing file", [] { api::GetFileSecurityW("/nonexistent/file", nullptr, 0); }, 0x80070002},
        {"entry past the end", [&] { api::GetAce(acl.get(), 0); }, 0x80070057},
        {"ACL too small", [&] { api::InitializeAcl(acl.get(), 4); }, 0x8007007A},
        {"privilege not held",
         [&] {
             const advapi::HANDLE token = api::OpenProcessToken(advapi::current_process_handle(),
                                                                advapi::TOKEN_ADJUST_PRIVILEGES | advapi::TOKEN_QUERY);
             try {
                 api::AdjustTokenPrivileges(token, &not_held, 0, nullptr, nullptr);
             } catch (const security::hresult_error&) {
                 api::CloseHandle(token);
                 throw;
             }
         },
         0x80070514},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(thrown_by(c.call)), c.hresult) << c.what;
    }
}

TEST(AdvapiCalls, OpenThreadTokenFallsBackToTheProcessToken) {
    security::WellKnownSid everyone(security::SidEveryone);
    const advapi::HANDLE process_token = api::OpenThreadToken(false);
    ASSERT_NE(process_token, nullptr);
    // A primary token cannot answer a membership question; the thread's impersonation token can.
    EXPECT_EQ(static_cast<std::uint32_t>(thrown_by([&] { api::CheckTokenMembership(process_token, everyone.get()); })),
              0x8007051Du);
    api::CloseHandle(process_token);

    api::ImpersonateSelf();
    const advapi::HANDLE thread_token = api::OpenThreadToken(false);
    EXPECT_TRUE(api::CheckTokenMembership(thread_token, everyone.get()));
    api::CloseHandle(thread_token);
    EXPECT_TRUE(api::RevertToSelf());
}

// Each variant lacks exactly its one export, so the fallback tests exercise the fallbacks.
int missing_in(const char* variant, security::entry_points::id absent, security::entry_points::id present) {
    test_support::use_library(variant);
    const HRESULT missing = thrown_by([&] { security::entry_points::bind(absent); });
    const HRESULT found = thrown_by([&] { security::entry_points::bind(present); });
    return missing == security::E_NOTIMPL && found == security::S_OK ? 0 : 1;
}

TEST(AdvapiCalls, AFunctionTheLibraryLacksIsNotImplemented) {
    using security::entry_points::id;
    test_support::use_fresh_processes();
    EXPECT_EXIT(_exit(missing_in(test_support::without_check_token_membership, id::CheckTokenMembership,
                                 id::AddAccessAllowedAceEx)),
                testing::ExitedWithCode(0), "");
    EXPECT_EXIT(_exit(missing_in(test_support::without_add_access_allowed_ace_ex, id::AddAccessAllowedAceEx,
                                 id::CheckTokenMembership)),
                testing::ExitedWithCode(0), "");
}

}  // namespace
