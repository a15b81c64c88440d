// User-visible texts by number. Callers ask for a text by its French number (1000 to 1131); the
// current language's copy is number + the language's block offset. Languages the installer is not
// fully translated into read as English, and a text whose translation is missing ("#") falls back
// to English, then French.
#pragma once

#include <cstdint>
#include <string>

// The number of the text to load for the current language.
std::uint32_t ResolveTextId(std::uint32_t frenchTextId);

// The current language's text for a French text number; empty when the string tables lack it.
std::string LoadText(std::uint32_t frenchTextId);
