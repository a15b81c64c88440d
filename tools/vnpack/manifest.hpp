// The packer's manifest: which files go into the payload, where they are installed, and as what.
//
// One entry per line, three fields separated by "|":
//
//     SOURCE | FOLDER | KIND
//
//   SOURCE  the file to pack; a relative path is taken from the manifest's folder. Only its file
//           name reaches the installed machine.
//   FOLDER  the destination folder text, Windows-style, normally starting with a folder token:
//           <InstallPath>\Lang, <CommonData>\Vintrel\Materials, <Temporary>
//   KIND    0 to 5, or its name: program_file, main_program, uninstaller, shared_data,
//           sample_data, temporary
//
// A folder text cannot hold "|" (Windows paths never do), so a line is split at its last two "|"
// and a source path may hold any character. Spaces and tabs around a field are dropped. Blank
// lines and lines whose first non-blank character is "#" are ignored. Entries keep the manifest's
// order, which is the archive's order.
#pragma once

#include <boost/filesystem/path.hpp>

#include <cstddef>
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vnpack {

struct manifest_entry {
    std::string source_text;              // as written; stored in the archive index
    boost::filesystem::path source_file;  // where the bytes are read from
    std::string folder;
    std::uint32_t kind = 0;
    std::size_t line = 0;
};

// A manifest that cannot be used; the message names the line.
struct manifest_error : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::vector<manifest_entry> read_manifest(std::istream& in, const boost::filesystem::path& base_folder,
                                          const std::string& name = "manifest");

std::vector<manifest_entry> read_manifest_file(const boost::filesystem::path& manifest);

}  // namespace vnpack
