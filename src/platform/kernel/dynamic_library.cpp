#include "platform/kernel/dynamic_library.hpp"

#include "platform/kernel/embedded_library.hpp"
#include "platform/system/system_paths.hpp"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <boost/filesystem/operations.hpp>

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>

namespace fs = boost::filesystem;

namespace platform::kernel {
namespace {

class dynamic_library_category_impl : public std::error_category {
public:
    const char* name() const noexcept override { return "dynamic_library"; }
    std::string message(int code) const override {
        switch (code) {
            case error_invalid_handle:
                return "The handle is invalid.";
            case error_invalid_parameter:
                return "The parameter is incorrect.";
            case error_mod_not_found:
                return "The specified module could not be found.";
            case error_proc_not_found:
                return "The specified procedure could not be found.";
            case error_bad_exe_format:
                return "The file is not a valid library.";
            default:
                return "Error " + std::to_string(code);
        }
    }
};

std::error_code make_error(int code) {
    return {code, dynamic_library_category()};
}

std::mutex search_folder_mutex;
fs::path search_folder_setting;

bool search_folder_set() {
    std::lock_guard lock(search_folder_mutex);
    return !search_folder_setting.empty();
}

// Libraries served from memory, by the name they were loaded under. Their memory files stay open
// for the life of the process: the loader knows each by its /proc/self/fd path, which must never
// come to name another file.
struct memory_library {
    std::string name;
    unique_fd file;
    std::string path;
};
std::mutex memory_libraries_mutex;
std::vector<memory_library> memory_libraries;

fs::path program_folder() {
    boost::system::error_code ignored;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ignored);
    return exe.empty() ? fs::path() : exe.parent_path();
}

// UTF-16 of a UTF-8 name, or nothing when the bytes are not UTF-8 (such a name only matches itself).
std::optional<icu::UnicodeString> unicode_name(const std::string& name) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, name.data(), static_cast<int32_t>(name.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) {
        return std::nullopt;
    }
    icu::UnicodeString text;
    status = U_ZERO_ERROR;
    UChar* buffer = text.getBuffer(length + 1);
    u_strFromUTF8(buffer, length + 1, nullptr, name.data(), static_cast<int32_t>(name.size()), &status);
    text.releaseBuffer(U_SUCCESS(status) ? length : 0);
    if (U_FAILURE(status)) {
        return std::nullopt;
    }
    return text;
}

bool same_name_ignoring_case(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    const auto ua = unicode_name(a);
    const auto ub = unicode_name(b);
    return ua && ub && ua->caseCompare(*ub, U_FOLD_CASE_DEFAULT) == 0;
}

bool has_folder(const fs::path& name) {
    return name.has_parent_path() || name.string().find('/') != std::string::npos;
}

// The path with each element matched in its folder without regard to case; empty when one is missing.
fs::path resolve_ignoring_case(const fs::path& path) {
    fs::path resolved = path.has_root_directory() ? path.root_path() : fs::path();
    for (const fs::path& element : path.relative_path()) {
        const std::string& part = element.string();
        if (part == "." || part == "..") {
            resolved /= element;
            continue;
        }
        fs::path found = find_file_ignoring_case(resolved.empty() ? fs::path(".") : resolved, part);
        if (found.empty()) {
            return {};
        }
        resolved = resolved.empty() ? found.filename() : resolved / found.filename();
    }
    return resolved;
}

// Where a loaded object lies, as the dynamic linker names it.
std::vector<std::string> loaded_object_names() {
    std::vector<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            if (info->dlpi_name && info->dlpi_name[0] != '\0') {
                static_cast<std::vector<std::string>*>(data)->emplace_back(info->dlpi_name);
            }
            return 0;
        },
        &names);
    return names;
}

bool same_file(const fs::path& a, const fs::path& b) {
    struct stat sa {};
    struct stat sb {};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The error of a failed dlopen of a file that exists: its own format, or a library it needs.
std::error_code load_failure() {
    const char* reason = dlerror();
    const bool missing_dependency =
        reason && std::string(reason).find("cannot open shared object") != std::string::npos;
    return make_error(missing_dependency ? error_mod_not_found : error_bad_exe_format);
}

// The path of the library served from memory under this name (not case-sensitive), if any.
// The caller holds memory_libraries_mutex.
std::optional<std::string> memory_library_path(const std::string& name) {
    for (const memory_library& library : memory_libraries) {
        if (same_name_ignoring_case(library.name, name)) {
            return library.path;
        }
    }
    return std::nullopt;
}

}  // namespace

const std::error_category& dynamic_library_category() {
    static const dynamic_library_category_impl category;
    return category;
}

fs::path find_file_ignoring_case(const fs::path& folder, const std::string& name) {
    boost::system::error_code error;
    if (fs::exists(folder / name, error)) {
        return folder / name;
    }
    std::vector<std::string> matches;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (same_name_ignoring_case(candidate, name)) {
            matches.push_back(candidate);
        }
    }
    if (matches.empty()) {
        return {};
    }
    return folder / *std::min_element(matches.begin(), matches.end());
}

dynamic_library::dynamic_library(dynamic_library&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_file(std::move(other.m_file)) {}

dynamic_library& dynamic_library::operator=(dynamic_library&& other) noexcept {
    if (this != &other) {
        if (m_handle) {
            dlclose(m_handle);
        }
        m_handle = std::exchange(other.m_handle, nullptr);
        m_file = std::move(other.m_file);
    }
    return *this;
}

dynamic_library::~dynamic_library() {
    if (m_handle) {
        dlclose(m_handle);
    }
}

void dynamic_library::set_search_folder(const fs::path& folder) {
    std::lock_guard lock(search_folder_mutex);
    search_folder_setting = folder;
}

std::vector<fs::path> dynamic_library::search_folders(std::uint32_t flags) {
    const bool defaults = flags == load_default || (flags & search_default_dirs) != 0;
    std::vector<fs::path> folders;
    {
        std::lock_guard lock(search_folder_mutex);
        if (!search_folder_setting.empty()) {
            return {search_folder_setting};
        }
    }
    if (defaults || (flags & search_application_dir) != 0) {
        if (fs::path own = program_folder(); !own.empty()) {
            folders.push_back(own);
        }
    }
    if (defaults || (flags & search_system32) != 0) {
        folders.push_back(platform::system::under_root("usr/lib"));
    }
    return folders;
}

dynamic_library dynamic_library::load(const fs::path& name, std::uint32_t flags, std::error_code& error) {
    constexpr std::uint32_t known = search_application_dir | search_system32 | search_default_dirs;
    if ((flags & ~known) != 0 || name.empty()) {
        error = make_error(error_invalid_parameter);
        return {};
    }
    const bool carried_searched =
        flags == load_default || (flags & (search_default_dirs | search_application_dir)) != 0;
    if (!has_folder(name) && carried_searched && !search_folder_set()) {
        if (const auto image = embedded_library_image(name.string())) {
            return load_from_memory(name.string(), *image, error);
        }
    }
    fs::path file;
    if (has_folder(name)) {
        file = resolve_ignoring_case(name);
    } else {
        for (const fs::path& folder : search_folders(flags)) {
            file = find_file_ignoring_case(folder, name.string());
            boost::system::error_code ignored;
            if (!file.empty() && fs::is_regular_file(file, ignored)) {
                break;
            }
            file.clear();
        }
    }
    boost::system::error_code ignored;
    if (file.empty() || !fs::is_regular_file(file, ignored)) {
        error = make_error(error_mod_not_found);
        return {};
    }
    file = fs::absolute(file);
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        error = load_failure();
        return {};
    }
    error.clear();
    return dynamic_library(handle, file);
}

dynamic_library dynamic_library::load_from_memory(const std::string& name, std::span<const std::byte> image,
                                                  std::error_code& error) {
    if (name.empty() || name.find('/') != std::string::npos) {
        error = make_error(error_invalid_parameter);
        return {};
    }
    std::lock_guard lock(memory_libraries_mutex);
    if (const auto path = memory_library_path(name)) {
        void* handle = dlopen(path->c_str(), RTLD_NOW | RTLD_NOLOAD);
        error = handle ? std::error_code() : make_error(error_mod_not_found);
        return handle ? dynamic_library(handle, *path) : dynamic_library();
    }
    std::error_code system_error;
    unique_fd memory = sealed_memory_file(name, image, system_error);
    if (!memory) {
        error = make_error(error_mod_not_found);
        return {};
    }
    const std::string path = "/proc/self/fd/" + std::to_string(memory.get());
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        error = load_failure();
        return {};
    }
    memory_libraries.push_back({name, std::move(memory), path});
    error.clear();
    return dynamic_library(handle, path);
}

dynamic_library dynamic_library::find_loaded(const fs::path& name, std::error_code& error) {
    const bool by_path = has_folder(name);
    if (!by_path) {
        std::lock_guard lock(memory_libraries_mutex);
        if (const auto path = memory_library_path(name.string())) {
            if (void* handle = dlopen(path->c_str(), RTLD_NOW | RTLD_NOLOAD)) {
                error.clear();
                return dynamic_library(handle, *path);
            }
        }
    }
    const fs::path file = by_path ? resolve_ignoring_case(name) : fs::path();
    for (const std::string& loaded : loaded_object_names()) {
        const bool match = by_path ? !file.empty() && same_file(file, loaded)
                                   : same_name_ignoring_case(fs::path(loaded).filename().string(), name.string());
        if (!match) {
            continue;
        }
        if (void* handle = dlopen(loaded.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
            error.clear();
            return dynamic_library(handle, loaded);
        }
    }
    error = make_error(error_mod_not_found);
    return {};
}

void* dynamic_library::entry_point(const std::string& name, std::error_code& error) const {
    if (!m_handle) {
        error = make_error(error_invalid_handle);
        return nullptr;
    }
    void* symbol = dlsym(m_handle, name.c_str());
    // dlsym also searches the libraries this one depends on; only its own exports count.
    link_map* own = nullptr;
    link_map* owner = nullptr;
    Dl_info info{};
    if (!symbol || dlinfo(m_handle, RTLD_DI_LINKMAP, &own) != 0 ||
        dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 || owner != own) {
        error = make_error(error_proc_not_found);
        return nullptr;
    }
    error.clear();
    return symbol;
}

}  // namespace platform::kernel
