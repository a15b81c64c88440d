// Version resources in the VS_VERSIONINFO block layout: UTF-16LE keys, every block 32-bit aligned,
// the fixed file information (VS_FIXEDFILEINFO), StringFileInfo/StringTable/String and
// VarFileInfo/Var "Translation". Stands in for VerQueryValueW, and for the resource compiler's
// VERSIONINFO statement (the builder).
//
// Block layout, little-endian:
//   u16 wLength (block with its children), u16 wValueLength, u16 wType (1 text, 0 binary),
//   key (UTF-16, zero-terminated), padding to 4, value, padding to 4, children.
// A text value's wValueLength counts UTF-16 characters, a binary value's counts bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::version {

inline constexpr std::uint32_t VS_FFI_SIGNATURE = 0xFEEF04BD;
inline constexpr std::uint32_t VS_FFI_STRUCVERSION = 0x00010000;
inline constexpr std::uint32_t VS_FFI_FILEFLAGSMASK = 0x0000003F;

inline constexpr std::uint32_t VS_FF_DEBUG = 0x01;
inline constexpr std::uint32_t VS_FF_PRERELEASE = 0x02;
inline constexpr std::uint32_t VS_FF_PATCHED = 0x04;
inline constexpr std::uint32_t VS_FF_PRIVATEBUILD = 0x08;
inline constexpr std::uint32_t VS_FF_INFOINFERRED = 0x10;
inline constexpr std::uint32_t VS_FF_SPECIALBUILD = 0x20;

inline constexpr std::uint32_t VOS_NT_WINDOWS32 = 0x00040004;
inline constexpr std::uint32_t VFT_APP = 0x1;
inline constexpr std::uint32_t VFT_DLL = 0x2;

// The code page of Unicode string tables.
inline constexpr std::uint16_t unicode_code_page = 1200;

// VS_FIXEDFILEINFO, 52 bytes in the block; the member names are the record's own.
struct fixed_file_info {
    std::uint32_t dwSignature = VS_FFI_SIGNATURE;
    std::uint32_t dwStrucVersion = VS_FFI_STRUCVERSION;
    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
    std::uint32_t dwProductVersionMS = 0;
    std::uint32_t dwProductVersionLS = 0;
    std::uint32_t dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    std::uint32_t dwFileFlags = 0;
    std::uint32_t dwFileOS = VOS_NT_WINDOWS32;
    std::uint32_t dwFileType = VFT_APP;
    std::uint32_t dwFileSubtype = 0;
    std::uint32_t dwFileDateMS = 0;
    std::uint32_t dwFileDateLS = 0;
};
inline constexpr std::size_t fixed_file_info_size = 13 * 4;

// One entry of the "Translation" value: a language id and a code page, 16 bits each.
struct translation {
    std::uint16_t language = 0;
    std::uint16_t code_page = 0;
    bool operator==(const translation&) const = default;
};

// The key of the string table for a translation: "%04x%04x" of language and code page ("040904b0").
std::string string_table_key(const translation& t);

struct string_table {
    std::string key;                                           // "040904b0"
    std::vector<std::pair<std::string, std::string>> strings;  // UTF-8 key and value, in block order
};

// Everything a version resource holds.
struct version_resource {
    std::optional<fixed_file_info> fixed;  // without it the root block has no value
    std::vector<string_table> string_tables;
    std::vector<translation> translations;  // without any, the block has no VarFileInfo
};

// Whether a String block's wValueLength counts the terminating zero that is always stored. Resource
// compilers differ; readers must accept both.
enum class string_length { counts_terminator, excludes_terminator };

// The VS_VERSIONINFO block. Throws std::length_error when a block would exceed 65535 bytes and
// std::invalid_argument for a text that is not valid UTF-8.
std::vector<std::byte> build_version_block(const version_resource& resource,
                                           string_length lengths = string_length::counts_terminator);

// A value found by query_version_value, in place in the block.
struct version_value {
    std::span<const std::byte> data;  // the value's bytes
    std::uint32_t length = 0;         // as VerQueryValueW reports it: characters for text, bytes otherwise
    bool is_text = false;
};

// The length of the VS_VERSIONINFO block at the start of `bytes` (its wLength); 0 when the bytes do
// not start with a well-formed root block keyed "VS_VERSION_INFO".
std::uint32_t version_block_length(std::span<const std::byte> bytes);

// VerQueryValueW: "\" gives the root value (the fixed file information), "\VarFileInfo\Translation"
// the translations, "\StringFileInfo\040904b0\ProductName" a string. Keys compare without regard
// to ASCII case. Empty when the path names no block, or the block is malformed. Lengths never reach
// past the enclosing block, whatever the block claims.
std::optional<version_value> query_version_value(std::span<const std::byte> block, std::string_view sub_block);

// The UTF-8 text of a text value's `length` characters; a terminating zero counted in the length
// comes out as a final '\0'. Unpaired surrogates become U+FFFD.
std::string version_value_text(const version_value& value);

// The fixed file information of a root value; empty when the value is too short or its signature
// is not VS_FFI_SIGNATURE.
std::optional<fixed_file_info> read_fixed_file_info(const version_value& value);

// The pairs of a "Translation" value; a trailing part shorter than a pair is ignored.
std::vector<translation> read_translations(const version_value& value);

}  // namespace platform::version
