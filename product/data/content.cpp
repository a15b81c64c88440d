#include "content.hpp"

#include <array>
#include <cstdio>

namespace product_data {

namespace {

constexpr std::array<const char*, 24> syllables = {"qui", "lon", "va", "tre", "ne", "ro", "sa",  "mi",
                                                   "del", "ka",  "to", "ri",  "en", "us", "pa",  "li",
                                                   "mor", "fe",  "da", "sil", "an", "or", "bel", "cu"};

std::string word(random_source& random) {
    std::string text;
    const std::uint32_t count = 1 + random.below(3);
    for (std::uint32_t i = 0; i < count; ++i) {
        text += syllables[random.below(static_cast<std::uint32_t>(syllables.size()))];
    }
    return text;
}

std::string sentence(random_source& random, std::uint32_t words) {
    std::string text = word(random);
    text[0] = static_cast<char>(text[0] - 'a' + 'A');
    for (std::uint32_t i = 1; i < words; ++i) {
        text += ' ';
        text += word(random);
    }
    return text;
}

void append_line(std::string& out, const char* format, auto... values) {
    char line[256];
    const int length = std::snprintf(line, sizeof line, format, values...);
    out.append(line, static_cast<std::size_t>(length));
}

void language_catalogue(std::string& out, random_source& random, std::size_t size) {
    for (std::uint32_t number = 1000; out.size() < size; ++number) {
        append_line(out, "%u=", number);
        out += sentence(random, 2 + random.below(9));
        out += '\n';
    }
}

void document(std::string& out, random_source& random, std::size_t size) {
    out += "<quillon-document version=\"7.2\">\n";
    for (std::uint32_t layer = 0; out.size() < size; ++layer) {
        append_line(out, "<layer id=\"%u\" name=\"", layer);
        out += sentence(random, 2) + "\">\n";
        const std::uint32_t strokes = 20 + random.below(40);
        for (std::uint32_t s = 0; s < strokes && out.size() < size; ++s) {
            append_line(out, "  <stroke brush=\"%u\" width=\"%u.%u\" colour=\"#%06x\">", random.below(12),
                        1 + random.below(8), random.below(10), random.below(16) * 0x111111u);
            std::uint32_t x = random.below(2048);
            std::uint32_t y = random.below(2048);
            const std::uint32_t points = 4 + random.below(12);
            for (std::uint32_t p = 0; p < points; ++p) {
                x += random.below(9) - 4;
                y += random.below(9) - 4;
                append_line(out, "%u,%u ", x, y);
            }
            out += "</stroke>\n";
        }
        out += "</layer>\n";
    }
}

void settings(std::string& out, random_source& random, std::size_t size) {
    for (std::uint32_t section = 0; out.size() < size; ++section) {
        append_line(out, "[%s %u]\n", word(random).c_str(), section);
        const std::uint32_t keys = 5 + random.below(10);
        for (std::uint32_t k = 0; k < keys; ++k) {
            append_line(out, "%s = %u.%03u\n", word(random).c_str(), random.below(100), random.below(1000));
        }
    }
}

void texture(std::string& out, random_source& random, std::size_t size) {
    constexpr std::uint32_t width = 512;
    out += "QTX1";
    const std::uint32_t tint = random.below(0x1000000);
    for (std::uint32_t i = 0; out.size() < size; ++i) {
        const std::uint32_t x = i % width;
        const std::uint32_t y = i / width;
        // Shading that changes slowly, with a few bits of grain on top.
        const auto shade = static_cast<std::uint8_t>((x + y) / 8 + ((tint >> (i % 3 * 8)) & 0x3F));
        out += static_cast<char>(shade + random.below(4));
    }
}

void binary_code(std::string& out, random_source& random, std::size_t size) {
    std::array<std::string, 64> patterns;
    for (auto& pattern : patterns) {
        const std::uint32_t length = 4 + random.below(12);
        for (std::uint32_t i = 0; i < length; ++i) {
            pattern += static_cast<char>(random.below(256));
        }
    }
    while (out.size() < size) {
        if (random.below(4) == 0) {
            for (int i = 0; i < 4; ++i) {
                out += static_cast<char>(random.below(256));  // addresses and constants
            }
        } else {
            out += patterns[random.below(static_cast<std::uint32_t>(patterns.size()))];
        }
    }
}

void cabinet(std::string& out, random_source& random, std::size_t size) {
    out += "MSCF";
    while (out.size() < size) {
        const std::uint64_t bits = random.next();
        for (int i = 0; i < 8; ++i) {
            out += static_cast<char>(bits >> (i * 8));
        }
    }
}

}  // namespace

random_source::random_source(const std::string& seed_text) : m_state(0x51A7E11EC0FFEEULL) {
    for (const unsigned char c : seed_text) {
        m_state = (m_state ^ c) * 0x100000001B3ULL;
    }
}

std::uint64_t random_source::next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::string make_content(content_kind kind, const std::string& name, std::size_t size) {
    random_source random(name);
    std::string out;
    out.reserve(size + 512);
    switch (kind) {
        case content_kind::language_catalogue:
            language_catalogue(out, random, size);
            break;
        case content_kind::document:
            document(out, random, size);
            break;
        case content_kind::settings:
            settings(out, random, size);
            break;
        case content_kind::texture:
            texture(out, random, size);
            break;
        case content_kind::binary_code:
            binary_code(out, random, size);
            break;
        case content_kind::cabinet:
            cabinet(out, random, size);
            break;
    }
    out.resize(size, '\n');
    return out;
}

}  // namespace product_data
