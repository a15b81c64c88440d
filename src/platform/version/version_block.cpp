#include "platform/version/version_block.hpp"

#include "platform/text/utf_convert.hpp"

#include <unicode/ustring.h>

#include <cstdio>
#include <stdexcept>

namespace platform::version {
namespace {

constexpr std::size_t header_size = 6;  // wLength, wValueLength, wType
constexpr std::uint16_t type_binary = 0;
constexpr std::uint16_t type_text = 1;

constexpr std::size_t align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

std::uint16_t read_u16(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes[at]) |
                                      (std::to_integer<unsigned>(bytes[at + 1]) << 8));
}

std::uint32_t read_u32(std::span<const std::byte> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(read_u16(bytes, at)) |
           (static_cast<std::uint32_t>(read_u16(bytes, at + 2)) << 16);
}

// Strict, unlike the program's general conversion: a resource source with bad text is refused.
std::u16string to_utf16(std::string_view text) {
    std::u16string out(text.size(), u'\0');
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &length, text.data(), static_cast<int32_t>(text.size()),
                  &status);
    if (U_FAILURE(status)) {
        throw std::invalid_argument("version resource text is not valid UTF-8");
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

// ---- building ----

class block_writer {
public:
    // Starts a block at the current (aligned) end; finish() fills in its length.
    std::size_t begin(std::string_view key, std::uint16_t type) {
        pad();
        const std::size_t start = m_out.size();
        put_u16(0);
        put_u16(0);
        put_u16(type);
        for (char16_t c : to_utf16(key)) {
            put_u16(c);
        }
        put_u16(0);
        pad();
        return start;
    }
    void value(std::size_t start, std::span<const std::byte> bytes, std::uint16_t value_length) {
        set_u16(start + 2, value_length);
        m_out.insert(m_out.end(), bytes.begin(), bytes.end());
    }
    void finish(std::size_t start) {
        const std::size_t length = m_out.size() - start;
        if (length > 0xFFFF) {
            throw std::length_error("version resource block exceeds 65535 bytes");
        }
        set_u16(start, static_cast<std::uint16_t>(length));
    }
    void pad() { m_out.resize(align4(m_out.size())); }
    std::vector<std::byte> take() { return std::move(m_out); }

private:
    void put_u16(std::uint16_t v) {
        m_out.push_back(static_cast<std::byte>(v & 0xFF));
        m_out.push_back(static_cast<std::byte>(v >> 8));
    }
    void set_u16(std::size_t at, std::uint16_t v) {
        m_out[at] = static_cast<std::byte>(v & 0xFF);
        m_out[at + 1] = static_cast<std::byte>(v >> 8);
    }
    std::vector<std::byte> m_out;
};

void append_u32(std::vector<std::byte>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::byte>((v >> (8 * i)) & 0xFF));
    }
}

std::vector<std::byte> encode_fixed(const fixed_file_info& f) {
    std::vector<std::byte> out;
    for (std::uint32_t v : {f.dwSignature, f.dwStrucVersion, f.dwFileVersionMS, f.dwFileVersionLS, f.dwProductVersionMS,
                            f.dwProductVersionLS, f.dwFileFlagsMask, f.dwFileFlags, f.dwFileOS, f.dwFileType,
                            f.dwFileSubtype, f.dwFileDateMS, f.dwFileDateLS}) {
        append_u32(out, v);
    }
    return out;
}

void write_string(block_writer& w, const std::string& key, const std::string& value, string_length lengths) {
    const std::size_t start = w.begin(key, type_text);
    std::u16string text = to_utf16(value);
    const std::size_t counted = text.size() + (lengths == string_length::counts_terminator ? 1 : 0);
    if (counted > 0xFFFF) {
        throw std::length_error("version string too long: " + key);
    }
    text.push_back(u'\0');  // always stored, whether counted or not
    std::vector<std::byte> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::byte>(c & 0xFF));
        bytes.push_back(static_cast<std::byte>(c >> 8));
    }
    w.value(start, bytes, static_cast<std::uint16_t>(counted));
    w.finish(start);
}

// ---- reading ----

struct block {
    std::span<const std::byte> bytes;  // wLength bytes
    std::span<const std::byte> key;    // UTF-16LE units, without the terminator
    version_value value;
    std::size_t children = 0;  // offset of the first child
};

std::optional<block> parse_block(std::span<const std::byte> available) {
    if (available.size() < header_size) {
        return std::nullopt;
    }
    const std::size_t length = read_u16(available, 0);
    if (length < header_size || length > available.size()) {
        return std::nullopt;
    }
    block b;
    b.bytes = available.first(length);
    const std::uint16_t value_length = read_u16(b.bytes, 2);
    const std::uint16_t type = read_u16(b.bytes, 4);
    std::size_t at = header_size;
    while (true) {
        if (at + 2 > length) {
            return std::nullopt;  // unterminated key
        }
        if (read_u16(b.bytes, at) == 0) {
            break;
        }
        at += 2;
    }
    b.key = b.bytes.subspan(header_size, at - header_size);
    const std::size_t value_start = std::min(align4(at + 2), length);
    const std::size_t room = length - value_start;
    b.value.is_text = type == type_text;
    if (b.value.is_text) {
        b.value.length = static_cast<std::uint32_t>(std::min<std::size_t>(value_length, room / 2));
        b.value.data = b.bytes.subspan(value_start, std::size_t{b.value.length} * 2);
    } else {
        b.value.length = static_cast<std::uint32_t>(std::min<std::size_t>(value_length, room));
        b.value.data = b.bytes.subspan(value_start, b.value.length);
    }
    b.children = std::min(align4(value_start + b.value.data.size()), length);
    return b;
}

bool key_equals(std::span<const std::byte> key, std::u16string_view wanted) {
    if (key.size() != wanted.size() * 2) {
        return false;
    }
    auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (fold(static_cast<char16_t>(read_u16(key, i * 2))) != fold(wanted[i])) {
            return false;
        }
    }
    return true;
}

std::optional<block> find_child(const block& parent, std::u16string_view key) {
    std::size_t at = parent.children;
    while (at + header_size <= parent.bytes.size()) {
        const auto child = parse_block(parent.bytes.subspan(at));
        if (!child) {
            return std::nullopt;
        }
        if (key_equals(child->key, key)) {
            return child;
        }
        at = align4(at + child->bytes.size());
    }
    return std::nullopt;
}

std::optional<block> parse_root(std::span<const std::byte> bytes) {
    auto root = parse_block(bytes);
    if (!root || !key_equals(root->key, u"VS_VERSION_INFO")) {
        return std::nullopt;
    }
    return root;
}

}  // namespace

std::string string_table_key(const translation& t) {
    char text[9];
    std::snprintf(text, sizeof text, "%04x%04x", static_cast<unsigned>(t.language), static_cast<unsigned>(t.code_page));
    return text;
}

std::vector<std::byte> build_version_block(const version_resource& resource, string_length lengths) {
    block_writer w;
    const std::size_t root = w.begin("VS_VERSION_INFO", type_binary);
    if (resource.fixed) {
        const auto fixed = encode_fixed(*resource.fixed);
        w.value(root, fixed, static_cast<std::uint16_t>(fixed.size()));
    }
    if (!resource.string_tables.empty()) {
        const std::size_t file_info = w.begin("StringFileInfo", type_text);
        for (const auto& table : resource.string_tables) {
            const std::size_t table_start = w.begin(table.key, type_text);
            for (const auto& [key, value] : table.strings) {
                write_string(w, key, value, lengths);
            }
            w.finish(table_start);
        }
        w.finish(file_info);
    }
    if (!resource.translations.empty()) {
        const std::size_t var_info = w.begin("VarFileInfo", type_text);
        const std::size_t var = w.begin("Translation", type_binary);
        std::vector<std::byte> pairs;
        for (const auto& t : resource.translations) {
            append_u32(pairs, static_cast<std::uint32_t>(t.language) | (static_cast<std::uint32_t>(t.code_page) << 16));
        }
        if (pairs.size() > 0xFFFF) {
            throw std::length_error("too many translations");
        }
        w.value(var, pairs, static_cast<std::uint16_t>(pairs.size()));
        w.finish(var);
        w.finish(var_info);
    }
    w.finish(root);
    return w.take();
}

std::uint32_t version_block_length(std::span<const std::byte> bytes) {
    const auto root = parse_root(bytes);
    return root ? static_cast<std::uint32_t>(root->bytes.size()) : 0;
}

std::optional<version_value> query_version_value(std::span<const std::byte> block_bytes, std::string_view sub_block) {
    auto current = parse_root(block_bytes);
    std::size_t at = 0;
    while (current && at < sub_block.size()) {
        const std::size_t end = std::min(sub_block.find('\\', at), sub_block.size());
        if (end > at) {
            std::u16string key;
            try {
                key = to_utf16(sub_block.substr(at, end - at));
            } catch (const std::invalid_argument&) {
                return std::nullopt;
            }
            current = find_child(*current, key);
        }
        at = end + 1;
    }
    if (!current) {
        return std::nullopt;
    }
    return current->value;
}

std::string version_value_text(const version_value& value) {
    std::u16string units(value.data.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(read_u16(value.data, i * 2));
    }
    return platform::text::utf16_to_utf8(units);
}

std::optional<fixed_file_info> read_fixed_file_info(const version_value& value) {
    if (value.data.size() < fixed_file_info_size || read_u32(value.data, 0) != VS_FFI_SIGNATURE) {
        return std::nullopt;
    }
    std::uint32_t fields[13];
    for (std::size_t i = 0; i < 13; ++i) {
        fields[i] = read_u32(value.data, i * 4);
    }
    return fixed_file_info{fields[0], fields[1], fields[2], fields[3],  fields[4],  fields[5], fields[6],
                           fields[7], fields[8], fields[9], fields[10], fields[11], fields[12]};
}

std::vector<translation> read_translations(const version_value& value) {
    std::vector<translation> out;
    for (std::size_t at = 0; at + 4 <= value.data.size(); at += 4) {
        out.push_back({read_u16(value.data, at), read_u16(value.data, at + 2)});
    }
    return out;
}

}  // namespace platform::version
