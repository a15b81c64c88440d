#include "engine/temporary_folder.hpp"

#include "platform/kernel/folder_creator.hpp"
#include "platform/kernel/temp_files.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/shell/path_functions.hpp"
#include "platform/system/system_paths.hpp"
#include "startup/install_app.hpp"

#include <boost/filesystem/operations.hpp>
#include <boost/format.hpp>
#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

#include <string_view>

namespace kernel = platform::kernel;

namespace {

constexpr std::size_t kMaxTempPathLength = 246;  // room for the folder name within a short path
constexpr int kNameAttempts = 4;                 // a UUID collision is all but impossible; a planted name is not

std::string ErrorText(std::uint32_t code, const char* operation) {
    return (boost::format("%08x (%s)") % code % operation).str();
}

std::size_t CharacterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (const unsigned char c : utf8) {
        count += (c & 0xC0) != 0x80;
    }
    return count;
}

constexpr std::string_view kFolderPrefix = "vintrel_{";
constexpr std::size_t kFolderNameLength = kFolderPrefix.size() + 36 + 1;  // the UUID's text and "}"

// A run killed while it installed leaves its working folder behind; it is removed once the process
// that made it is gone. Only folders of this name, this user's, private, and marked by their creator.
void RemoveFoldersOfEndedRuns(const boost::filesystem::path& systemTemp) {
    namespace fs = boost::filesystem;
    boost::system::error_code error;
    for (fs::directory_iterator it(systemTemp, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() == kFolderNameLength && name.rfind(kFolderPrefix, 0) == 0 && name.back() == '}' &&
            kernel::folder_creator_has_ended(it->path())) {
            boost::system::error_code ignored;
            fs::remove_all(it->path(), ignored);  // removes links found inside, never what they point to
        }
    }
}

}  // namespace

bool MakeTemporaryFolderPath(CInstallApp& app, std::string& errorText) {
    const std::string systemTemp = platform::system::temp_folder().string();
    if (systemTemp.empty() || CharacterCount(systemTemp) > kMaxTempPathLength) {
        errorText =
            ErrorText(systemTemp.empty() ? kernel::last_error() : kernel::win32::filename_exced_range, "GetTempPath");
        return false;
    }
    RemoveFoldersOfEndedRuns(systemTemp);
    boost::uuids::random_generator generator;
    std::error_code error;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string folder = systemTemp;
        if (!platform::shell::path_append(folder, "vintrel_{" + boost::uuids::to_string(generator()) + "}")) {
            errorText = ErrorText(kernel::win32::filename_exced_range, "GetTempPath");
            return false;
        }
        error = kernel::create_private_folder(folder);
        if (!error) {
            // Without its mark the folder is merely never cleaned up after a killed run.
            (void)kernel::mark_folder_creator(folder);
            app.m_strTempFolder = folder;
            return true;
        }
        if (error.value() != static_cast<int>(kernel::win32::already_exists)) {
            break;
        }
    }
    errorText = ErrorText(static_cast<std::uint32_t>(error.value()), "CreateDirectory");
    return false;
}
