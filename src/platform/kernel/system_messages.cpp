#include "platform/kernel/system_messages.hpp"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace platform::kernel {
namespace {

struct message_entry {
    std::uint32_t code;
    std::string_view text;
};

// Sorted by code. The line break every system text ends with is added when a text is returned.
constexpr message_entry message_table[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {10, "The environment is incorrect."},
    {11, "An attempt was made to load a program with an incorrect format."},
    {13, "The data is invalid."},
    {14, "Not enough memory resources are available to complete this operation."},
    {16, "The directory cannot be removed."},
    {17, "The system cannot move the file to a different disk drive."},
    {18, "There are no more files."},
    {19, "The media is write protected."},
    {20, "The system cannot find the device specified."},
    {21, "The device is not ready."},
    {23, "Data error (cyclic redundancy check)."},
    {32, "The process cannot access the file because it is being used by another process."},
    {33, "The process cannot access the file because another process has locked a portion of the file."},
    {36, "Too many files opened for sharing."},
    {38, "Reached the end of the file."},
    {39, "The disk is full."},
    {50, "The request is not supported."},
    {80, "The file exists."},
    {82, "The directory or file cannot be created."},
    {87, "The parameter is incorrect."},
    {109, "The pipe has been ended."},
    {110, "The system cannot open the device or file specified."},
    {112, "There is not enough space on the disk."},
    {120, "This function is not supported on this system."},
    {122, "The data area passed to a system call is too small."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {128, "There are no child processes to wait for."},
    {132, "The file pointer cannot be set on the specified device or file."},
    {145, "The directory is not empty."},
    {161, "The specified path is invalid."},
    {170, "The requested resource is in use."},
    {183, "Cannot create a file when that file already exists."},
    {193, "%1 is not a valid Win32 application."},
    {206, "The filename or extension is too long."},
    {223, "The file size exceeds the limit allowed and cannot be saved."},
    {234, "More data is available."},
    {258, "The wait operation timed out."},
    {259, "No more data is available."},
    {266, "The copy functions cannot be used."},
    {267, "The directory name is invalid."},
    {288, "Attempt to release mutex not owned by caller."},
    {298, "Too many posts were made to a semaphore."},
    {534, "Arithmetic result exceeded 32 bits."},
    {740, "The requested operation requires elevation."},
    {995, "The I/O operation has been aborted because of either a thread exit or an application request."},
    {998, "Invalid access to memory location."},
    {1004, "Invalid flags."},
    {1006, "The volume for a file has been externally altered so that the opened file is no longer valid."},
    {1008, "An attempt was made to reference a token that does not exist."},
    {1009, "The configuration registry database is corrupt."},
    {1010, "The configuration registry key is invalid."},
    {1011, "The configuration registry key could not be opened."},
    {1012, "The configuration registry key could not be read."},
    {1013, "The configuration registry key could not be written."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1113, "No mapping for the Unicode character exists in the target multi-byte code page."},
    {1114, "A dynamic link library (DLL) initialization routine failed."},
    {1117, "The request could not be performed because of an I/O device error."},
    {1131, "A potential deadlock condition has been detected."},
    {1142, "An attempt was made to create more links on a file than the file system supports."},
    {1155, "No application is associated with the specified file for this operation."},
    {1168, "Element not found."},
    {1223, "The operation was canceled by the user."},
    {1287, "Insufficient information exists to identify the cause of failure."},
    {1300, "Not all privileges or groups referenced are assigned to the caller."},
    {1313, "A specified privilege does not exist."},
    {1314, "A required privilege is not held by the client."},
    {1332, "No mapping between account names and security IDs was done."},
    {1336, "The access control list (ACL) structure is invalid."},
    {1337, "The security ID structure is invalid."},
    {1338, "The security descriptor structure is invalid."},
    {1346, "Either a required impersonation level was not provided, or the provided impersonation level is invalid."},
    {1347, "Cannot open an anonymous level security token."},
    {1349, "The token type is inappropriate for its attempted use."},
    {1392, "The file or directory is corrupted and unreadable."},
    {1450, "Insufficient system resources exist to complete the requested service."},
    {1455, "The paging file is too small for this operation to complete."},
    {1460, "This operation returned because the timeout period expired."},
    {1812, "The specified image file did not contain a resource section."},
    {1813, "The specified resource type cannot be found in the image file."},
    {1814, "The specified resource name cannot be found in the image file."},
    {1815, "The specified resource language ID cannot be found in the image file."},
    {1816, "Not enough quota is available to process this command."},
    {1921, "The name of the file cannot be resolved by the system."},
    {0x80004001, "Not implemented"},
    {0x80004002, "No such interface supported"},
    {0x80004003, "Invalid pointer"},
    {0x80004004, "Operation aborted"},
    {0x80004005, "Unspecified error"},
    {0x8000FFFF, "Catastrophic failure"},
    {0x80010106, "Cannot change thread mode after it is set."},
    {0x80040110, "Class does not support aggregation (or class object is remote)"},
    {0x80040154, "Class not registered"},
    {0x800401F0, "CoInitialize has not been called."},
    {0x800401F1, "CoInitialize has already been called."},
};

static_assert(std::is_sorted(std::begin(message_table), std::end(message_table),
                             [](const message_entry& a, const message_entry& b) { return a.code < b.code; }));

std::optional<std::string_view> find_text(std::uint32_t code) {
    // HRESULT_FROM_WIN32 values carry the Win32 code in their low word.
    if ((code & 0xFFFF0000u) == 0x80070000u) {
        code &= 0xFFFFu;
    }
    const auto* entry = std::lower_bound(std::begin(message_table), std::end(message_table), code,
                                         [](const message_entry& e, std::uint32_t c) { return e.code < c; });
    if (entry == std::end(message_table) || entry->code != code) {
        return std::nullopt;
    }
    return entry->text;
}

}  // namespace

std::optional<std::string> format_system_message(std::uint32_t code) {
    const auto text = find_text(code);
    if (!text) {
        return std::nullopt;
    }
    return std::string(*text) + "\r\n";
}

std::optional<std::string> system_message_text(std::uint32_t code) {
    auto text = format_system_message(code);
    if (text) {
        text->erase(text->find_last_not_of("\r\n") + 1);
    }
    return text;
}

}  // namespace platform::kernel
