// Loading shared libraries by file name or path and looking up their entry points by name. Stands in
// for LoadLibraryExW, GetModuleHandleW, GetProcAddress and FreeLibrary.
//
// A bare file name is searched in the default directories: the libraries the program carries inside
// its own file (embedded_library.hpp), then the program's own folder, then the system folder R/usr/lib. File names are
// not case-sensitive, as on the system the installer was written for: a request for "DSETUP.dll" finds "DSetup.dll".
// Failures carry the Windows error codes in dynamic_library_category().
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace platform::kernel {

// Windows error codes a load or look-up reports.
inline constexpr int error_invalid_handle = 6;
inline constexpr int error_invalid_parameter = 87;
inline constexpr int error_mod_not_found = 126;
inline constexpr int error_proc_not_found = 127;
inline constexpr int error_bad_exe_format = 193;

// The category of those codes; an error_code's value is the Windows code itself.
const std::error_category& dynamic_library_category();

// Flags of dynamic_library::load, with their Windows values. 0 and search_default_dirs search the
// same places: the current folder is never searched, so that a library planted there is never run.
enum load_flags : std::uint32_t {
    load_default = 0,
    search_application_dir = 0x00000200,
    search_system32 = 0x00000800,
    search_default_dirs = 0x00001000,
};

class dynamic_library {
public:
    dynamic_library() = default;
    dynamic_library(dynamic_library&& other) noexcept;
    dynamic_library& operator=(dynamic_library&& other) noexcept;
    dynamic_library(const dynamic_library&) = delete;
    dynamic_library& operator=(const dynamic_library&) = delete;
    ~dynamic_library();

    // Loads a library (LoadLibraryExW). A name without a folder is looked up in the folders the flags
    // select; a name with a folder is taken as a path. Empty on failure, with the error set.
    static dynamic_library load(const boost::filesystem::path& name, std::uint32_t flags, std::error_code& error);

    // Loads a library from its bytes through a sealed memory file, known afterwards by `name`: a later
    // find_loaded of that name finds it, and a later call with the same name returns it again.
    // Empty on failure, with the error set.
    static dynamic_library load_from_memory(const std::string& name, std::span<const std::byte> image,
                                            std::error_code& error);

    // A library this process has loaded already, matched by its file name (not case-sensitive) or,
    // for a path, by its file (GetModuleHandleW). The handle holds its own reference, so the library
    // stays loaded while it lives. Empty, with error_mod_not_found, when it is not loaded.
    static dynamic_library find_loaded(const boost::filesystem::path& name, std::error_code& error);

    // An exported entry point of this library itself, never of one it depends on (GetProcAddress).
    void* entry_point(const std::string& name, std::error_code& error) const;

    template <class Function>
    Function* entry_point_as(const std::string& name, std::error_code& error) const {
        return reinterpret_cast<Function*>(entry_point(name, error));
    }

    // The file the library was loaded from; for one served from memory, its /proc/self/fd path.
    const boost::filesystem::path& file() const { return m_file; }
    explicit operator bool() const { return m_handle != nullptr; }

    // When not empty, a bare name is looked up in this folder alone instead of the default
    // directories and the carried libraries. Tests point it at a build of a library variant, or at an empty folder; the
    // program itself never sets it.
    static void set_search_folder(const boost::filesystem::path& folder);

    // The folders a bare name is looked up in for the given flags, in order.
    static std::vector<boost::filesystem::path> search_folders(std::uint32_t flags);

private:
    dynamic_library(void* handle, boost::filesystem::path file) : m_handle(handle), m_file(std::move(file)) {}

    void* m_handle = nullptr;
    boost::filesystem::path m_file;
};

// The existing file in the folder whose name equals the given one, ignoring case; the exact name wins
// when it exists, and among several others the first in byte order. Empty when there is none.
boost::filesystem::path find_file_ignoring_case(const boost::filesystem::path& folder, const std::string& name);

}  // namespace platform::kernel
