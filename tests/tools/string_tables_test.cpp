// The string tables of the twenty interface languages, checked for what a translator can break:
// numbering, missing translations, placeholders, line structure, encoding, and that the build
// compiles every table into the program.
#include "platform/resources/resource_module.hpp"
#include "platform/resources/string_table.hpp"
#include "string_source.hpp"
#include "support/file_content.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

namespace res = platform::resources;

using text_map = std::map<std::uint32_t, std::string>;

struct language {
    const char* code;
    std::uint32_t offset;  // added to a French text number
    bool translated;
};

// In language index order.
constexpr language languages[] = {
    {"fr", 0, true},      {"en", 1000, true},   {"de", 2000, true},   {"es", 3000, true},   {"pt", 4000, true},
    {"nl", 6000, false},  {"da", 7000, false},  {"tr", 8000, true},   {"bg", 10000, false}, {"ro", 11000, true},
    {"zh", 9000, false},  {"it", 5000, true},   {"cs", 12000, false}, {"no", 13000, false}, {"el", 14000, false},
    {"pl", 15000, false}, {"he", 16000, false}, {"vi", 17000, false}, {"ja", 18000, false}, {"hu", 19000, false},
};

constexpr std::uint32_t directx_update = 1131;  // French only: every other language shows the French text

using test_support::read_file;

// A language's texts keyed by their French numbers.
text_map load_table(const language& lang) {
    const std::string path = std::string(QUILLON_SOURCE_DIR "/resources/strings/") + lang.code + ".txt";
    text_map by_french;
    for (const auto& [number, text] : vnrc::parse_string_source(read_file(path))) {
        by_french.emplace(number - lang.offset, text);
    }
    return by_french;
}

// What formatting and layout rely on: the placeholders and the line breaks, in order.
std::string shape(const std::string& text) {
    static const std::regex marks(R"(%[0-9]+|\r\n)");
    std::multiset<std::string> placeholders;
    std::string breaks;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), marks); it != std::sregex_iterator(); ++it) {
        if (it->str() == "\r\n") {
            breaks += "|";
        } else {
            placeholders.insert(it->str());
        }
    }
    std::string out = breaks;
    for (const auto& p : placeholders) {
        out += " " + p;
    }
    return out;
}

bool is_utf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

}  // namespace

TEST(StringTables, EveryLanguageHasTheEnglishNumbersInItsOwnBlock) {
    const text_map english = load_table(languages[1]);
    ASSERT_FALSE(english.empty());
    for (const auto& lang : languages) {
        SCOPED_TRACE(lang.code);
        const text_map texts = load_table(lang);
        std::set<std::uint32_t> numbers, expected;
        for (const auto& entry : texts) {
            numbers.insert(entry.first);
        }
        for (const auto& entry : english) {
            expected.insert(entry.first);
        }
        EXPECT_EQ(numbers, expected);
    }
}

TEST(StringTables, TranslatedLanguagesKeepPlaceholdersAndLineBreaks) {
    const text_map english = load_table(languages[1]);
    for (const auto& lang : languages) {
        if (!lang.translated) {
            continue;
        }
        for (const auto& [number, text] : load_table(lang)) {
            SCOPED_TRACE(std::string(lang.code) + " " + std::to_string(number));
            EXPECT_TRUE(is_utf8(text));
            if (number == directx_update) {
                continue;
            }
            EXPECT_NE(text, "#");
            EXPECT_FALSE(text.empty());
            const auto source = english.find(number);
            EXPECT_EQ(shape(text), source == english.end() ? "(no English text)" : shape(source->second));
        }
    }
}

TEST(StringTables, OnlyFrenchCarriesTheDirectXUpdateText) {
    for (const auto& lang : languages) {
        SCOPED_TRACE(lang.code);
        EXPECT_EQ(load_table(lang).at(directx_update), lang.offset == 0 ? "Mise à jour de DirectX..." : "#");
    }
}

TEST(StringTables, TheProgramCarriesEveryTable) {
    const auto& module = res::resource_module::self();
    for (const auto& lang : languages) {
        SCOPED_TRACE(lang.code);
        for (const auto& [number, text] : load_table(lang)) {
            EXPECT_EQ(res::load_string(module, number + lang.offset), text) << number;
        }
    }
}
