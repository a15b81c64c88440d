// The files the payload carries, in archive order, with their destination folders and entry kinds:
// the 13 interface languages, the main program, the uninstaller, 22 shared data files, 28 samples
// and textures, and the 6 files of the DirectX runtime set-up.
#pragma once

#include "content.hpp"
#include "payload/archive_entry.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace product_data {

// The archive's entry kinds, as the installer reads them.
using payload::entry_kind;

struct payload_file {
    std::string name;    // the installed file name
    std::string folder;  // the destination folder text
    entry_kind kind;
    // Generated files: their content and size. Built files (the programs and the set-up library)
    // have no content here; the build hands their paths to the generator.
    bool generated = true;
    content_kind content = content_kind::settings;
    std::size_t size = 0;
};

inline constexpr const char* main_program_name = "quillon";
inline constexpr const char* uninstaller_name = "uninstall";
inline constexpr const char* setup_library_name = "DSETUP.dll";

std::vector<payload_file> payload_files();

}  // namespace product_data
