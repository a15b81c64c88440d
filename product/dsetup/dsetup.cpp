// The DirectX runtime set-up library: reports the runtime the machine has and installs the one it
// carries, copying the component files from the redistributable's folder into the runtime folder and
// recording the new version. See dsetup_abi.hpp for the entry points.
#include "dsetup_abi.hpp"
#include "runtime_version.hpp"

#include "platform/kernel/file_operations.hpp"
#include "platform/text/utf_convert.hpp"

#include <dlfcn.h>

#include <boost/filesystem/operations.hpp>

#include <atomic>
#include <string>
#include <vector>

namespace {

namespace fs = boost::filesystem;

std::atomic<dsetup_callback> current_callback{nullptr};

// The folder this library was loaded from.
fs::path own_folder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&current_callback), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    return fs::absolute(fs::path(info.dli_fname)).parent_path();
}

void report_progress(const std::string& file, std::uint32_t done, std::uint32_t total) {
    const dsetup_callback callback = current_callback.load();
    if (callback == nullptr) {
        return;
    }
    const std::u16string message = platform::text::utf8_to_utf16("Copying " + file);
    const std::u16string name = platform::text::utf8_to_utf16(file);
    dsetup_progress progress{1, total, done, total, done};
    // Progress needs no answer: the caller uses it to keep its window alive.
    callback(dsetup::callback_progress, 0, message.c_str(), name.c_str(), &progress);
}

std::int32_t install_components(const fs::path& source) {
    boost::system::error_code ec;
    if (!fs::is_directory(source, ec)) {
        return dsetup::cannot_find_folder;
    }
    // Every component must be there before any is installed, so a broken redistributable changes
    // nothing.
    for (const char* file : dsetup::component_files) {
        if (!fs::is_regular_file(source / file, ec)) {
            return dsetup::source_file_not_found;
        }
    }
    const fs::path target = dsetup::runtime_folder();
    if (target.empty()) {
        return dsetup::cannot_find_folder;
    }
    fs::create_directories(target, ec);
    if (ec) {
        return dsetup::no_copy;
    }
    const auto total = static_cast<std::uint32_t>(std::size(dsetup::component_files));
    std::uint32_t done = 0;
    for (const char* file : dsetup::component_files) {
        report_progress(file, done, total);
        if (platform::kernel::copy_file(source / file, target / file, platform::kernel::copy_option::overwrite)) {
            return dsetup::no_copy;
        }
        ++done;
    }
    report_progress(dsetup::component_files[total - 1], done, total);

    // A newer runtime already recorded stays recorded: its components are a superset of these.
    const dsetup::runtime_version shipped{dsetup::shipped_version, dsetup::shipped_revision};
    const auto recorded = dsetup::recorded_runtime_version();
    if (!recorded || *recorded < shipped) {
        if (dsetup::record_runtime_version(shipped)) {
            return dsetup::internal_error;
        }
    }
    return dsetup::success;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) std::int32_t DirectXSetupGetVersion(std::uint32_t* version,
                                                                           std::uint32_t* revision) {
    if (version == nullptr || revision == nullptr) {
        return 0;
    }
    *version = 0;
    *revision = 0;
    try {
        const auto recorded = dsetup::recorded_runtime_version();
        if (!recorded) {
            return 0;
        }
        *version = recorded->version;
        *revision = recorded->revision;
        return 1;
    } catch (...) {
        return 0;
    }
}

__attribute__((visibility("default"))) std::int32_t DirectXSetupSetCallback(dsetup_callback callback) {
    current_callback.store(callback);
    return 0;
}

__attribute__((visibility("default"))) std::int32_t DirectXSetupW(void* /*owner_window*/, const char16_t* root_path,
                                                                  std::uint32_t /*flags*/) {
    try {
        const fs::path source =
            root_path != nullptr && *root_path != 0 ? fs::path(platform::text::utf16_to_utf8(root_path)) : own_folder();
        return install_components(source);
    } catch (...) {
        // Nothing may leave a C entry point; an allocation failure is an internal error.
        return dsetup::internal_error;
    }
}

}  // extern "C"
