// The product's languages by their ISO 639 codes ("de", "zh"), for the command line: the code is the
// language part of the locale that the language's LANGID names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The product language whose code this is, in any letter case; also its full tag ("pt-PT").
std::optional<std::uint32_t> ProductLanguageFromCode(std::string_view code);

// The language's code, "" for an index without one.
std::string LanguageCode(std::uint32_t index);

// The codes of every product language, separated by blanks, in the catalogue's order.
std::string ProductLanguageCodes();
