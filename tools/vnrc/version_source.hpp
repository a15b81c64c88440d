// Reads a version resource's text description, one statement per line; blank lines and lines
// starting with // are ignored:
//
//   FILEVERSION 1.0.0.0            four numbers, also PRODUCTVERSION
//   FILEFLAGSMASK 0x3F             a number, also FILEFLAGS, FILEOS, FILETYPE, FILESUBTYPE
//   TRANSLATION 0x0409 1200        language and code page; may repeat
//   STRINGTABLE 040904b0           starts a string table; the strings below belong to it
//   "CompanyName" "Vintrel"        one string: key and value, quoted, with the escapes of string sources
#pragma once

#include "platform/version/version_block.hpp"
#include "string_source.hpp"

#include <string>

namespace vnrc {

// Throws source_error naming the line of the first malformed statement.
platform::version::version_resource parse_version_source(const std::string& text);

}  // namespace vnrc
