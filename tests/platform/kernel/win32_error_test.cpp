#include "platform/kernel/win32_error.hpp"
#include "platform/kernel/system_messages.hpp"

#include "platform/scratch_folder.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace kernel = platform::kernel;
namespace win32 = platform::kernel::win32;

TEST(Win32Error, ErrnoValuesMapToTheCodesWindowsGives) {
    const struct {
        int error_number;
        std::uint32_t code;
    } cases[] = {
        {0, win32::success},
        {ENOENT, win32::file_not_found},
        {ENOTDIR, win32::path_not_found},
        {EACCES, win32::access_denied},
        {EPERM, win32::access_denied},
        {EISDIR, win32::access_denied},
        {ETXTBSY, win32::sharing_violation},
        {EWOULDBLOCK, win32::sharing_violation},
        {EEXIST, win32::already_exists},
        {ENOSPC, win32::disk_full},
        {EDQUOT, win32::handle_disk_full},
        {ENOTEMPTY, win32::dir_not_empty},
        {EXDEV, win32::not_same_device},
        {ENAMETOOLONG, win32::filename_exced_range},
        {EBUSY, win32::busy},
        {ENOMEM, win32::not_enough_memory},
        {EINVAL, win32::invalid_parameter},
        {EBADF, win32::invalid_handle},
        {EHWPOISON, win32::unidentified_error},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kernel::win32_from_errno(c.error_number), c.code) << std::strerror(c.error_number);
    }
}

TEST(Win32Error, MissingFileIsToldFromMissingFolder) {
    test_support::scratch_folder scratch;
    EXPECT_EQ(kernel::win32_from_errno(ENOENT, scratch / "missing.txt"), win32::file_not_found);
    EXPECT_EQ(kernel::win32_from_errno(ENOENT, scratch / "no-folder" / "missing.txt"), win32::path_not_found);
}

TEST(Win32Error, LastErrorIsKeptPerThread) {
    kernel::set_last_error(win32::access_denied);
    std::uint32_t seen_on_other_thread = 1;
    std::thread other([&] {
        seen_on_other_thread = kernel::last_error();
        kernel::fail_with(win32::disk_full);
    });
    other.join();
    EXPECT_EQ(seen_on_other_thread, 0u);
    EXPECT_EQ(kernel::last_error(), win32::access_denied);

    const std::error_code error = kernel::fail_with_errno(ENOTEMPTY, "/x");
    EXPECT_EQ(kernel::last_error(), win32::dir_not_empty);
    EXPECT_EQ(error.value(), 145);
}

TEST(Win32Error, CategoryTextsAndConditions) {
    const std::error_code busy = kernel::make_win32_error(win32::busy);
    EXPECT_STREQ(busy.category().name(), "win32");
    EXPECT_EQ(busy.message(), "The requested resource is in use.");
    EXPECT_EQ(kernel::make_win32_error(win32::file_not_found), std::errc::no_such_file_or_directory);
    EXPECT_EQ(kernel::make_win32_error(win32::disk_full), std::errc::no_space_on_device);
    EXPECT_EQ(kernel::make_win32_error(0xDEAD).message(), "Error 0x0000DEAD");
}

TEST(Win32Error, HresultFromWin32) {
    EXPECT_EQ(kernel::hresult_from_win32(0), 0);
    EXPECT_EQ(kernel::hresult_from_win32(win32::filename_exced_range), static_cast<std::int32_t>(0x800700CE));
    EXPECT_EQ(kernel::hresult_from_win32(win32::not_enough_memory), static_cast<std::int32_t>(0x80070008));
    // Values that are HRESULTs already pass unchanged.
    EXPECT_EQ(kernel::hresult_from_win32(0x80004005), kernel::hresult::e_fail);
}

TEST(SystemMessages, TextsOfTheCodesTheInstallerShows) {
    const struct {
        std::uint32_t code;
        const char* text;
    } cases[] = {
        {0x80004005, "Unspecified error"},
        {0x8000FFFF, "Catastrophic failure"},
        {0x80004001, "Not implemented"},
        {0x8007000E, "Not enough memory resources are available to complete this operation."},
        {0x80070057, "The parameter is incorrect."},
        {0x800700CE, "The filename or extension is too long."},
        {6, "The handle is invalid."},
        {8, "Not enough memory resources are available to process this command."},
        {23, "Data error (cyclic redundancy check)."},
        {32, "The process cannot access the file because it is being used by another process."},
        {161, "The specified path is invalid."},
        {170, "The requested resource is in use."},
        {183, "Cannot create a file when that file already exists."},
        {193, "%1 is not a valid Win32 application."},
        {1300, "Not all privileges or groups referenced are assigned to the caller."},
        {1314, "A required privilege is not held by the client."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kernel::system_message_text(c.code), c.text) << std::hex << c.code;
        EXPECT_EQ(kernel::format_system_message(c.code), std::string(c.text) + "\r\n") << std::hex << c.code;
    }
}

TEST(SystemMessages, UnknownCodesHaveNoText) {
    for (const std::uint32_t code : {0xDEADu, 0x8007DEADu, 0x80040000u, 0xC0000005u}) {
        EXPECT_FALSE(kernel::format_system_message(code)) << std::hex << code;
        EXPECT_FALSE(kernel::system_message_text(code)) << std::hex << code;
    }
}

// Whatever a failing file operation reports, the user can be shown its text.
TEST(SystemMessages, EveryCodeMappedFromErrnoHasText) {
    for (int error_number = 1; error_number < 134; ++error_number) {
        const std::uint32_t code = kernel::win32_from_errno(error_number);
        EXPECT_TRUE(kernel::system_message_text(code)) << std::strerror(error_number) << " -> " << code;
    }
}
