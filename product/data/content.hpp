// Generators for the product's data files. Every file is a pure function of its name and size, so
// a build makes the same bytes every time; each kind of content compresses about as the real thing
// does (catalogue and document text well, pictures moderately, cabinets hardly at all).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace product_data {

// A small deterministic generator (SplitMix64), seeded from a file name.
class random_source {
public:
    explicit random_source(const std::string& seed_text);
    std::uint64_t next();
    std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(next() % bound); }

private:
    std::uint64_t m_state;
};

enum class content_kind {
    language_catalogue,  // numbered interface texts of one language
    document,            // a Quillon document: a scene of strokes and layers as text
    settings,            // key = value settings and material parameters
    texture,             // a picture: smooth shading with grain
    binary_code,         // a program library: repeating instruction patterns and tables
    cabinet,             // compressed archive members: nearly incompressible
};

// Exactly `size` bytes of the kind's content for the file `name`.
std::string make_content(content_kind kind, const std::string& name, std::size_t size);

}  // namespace product_data
