#include "manifest.hpp"

#include "payload/entry_path.hpp"
#include "platform/text/utf_convert.hpp"

#include <boost/filesystem/fstream.hpp>

#include <array>
#include <string_view>

namespace vnpack {

namespace {

constexpr std::array<std::string_view, 6> kind_names = {"program_file", "main_program", "uninstaller",
                                                        "shared_data",  "sample_data",  "temporary"};

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::uint32_t parse_kind(std::string_view text) {
    for (std::size_t i = 0; i < kind_names.size(); ++i) {
        if (text == kind_names[i] || (text.size() == 1 && text[0] == static_cast<char>('0' + i))) {
            return static_cast<std::uint32_t>(i);
        }
    }
    throw std::invalid_argument("kind must be 0 to 5 or a kind name, not \"" + std::string(text) + "\"");
}

manifest_entry parse_line(std::string_view line, const boost::filesystem::path& base_folder) {
    const auto last = line.rfind('|');
    const auto middle =
        last == std::string_view::npos || last == 0 ? std::string_view::npos : line.rfind('|', last - 1);
    if (middle == std::string_view::npos) {
        throw std::invalid_argument("expected SOURCE | FOLDER | KIND");
    }
    manifest_entry entry;
    entry.source_text = trim(line.substr(0, middle));
    entry.folder = trim(line.substr(middle + 1, last - middle - 1));
    entry.kind = parse_kind(trim(line.substr(last + 1)));
    if (entry.source_text.empty()) {
        throw std::invalid_argument("the source is empty");
    }
    if (!platform::text::utf8_to_utf16_strict(entry.source_text) ||
        !platform::text::utf8_to_utf16_strict(entry.folder)) {
        throw std::invalid_argument("not UTF-8");
    }
    // The installer refuses what could land outside its folder; refuse it here already.
    if (!payload::is_safe_entry_path(entry.folder, payload::entry_file_name(entry.source_text))) {
        throw std::invalid_argument("the file name or folder would leave the destination folder");
    }
    const boost::filesystem::path source(entry.source_text);
    entry.source_file = source.is_absolute() ? source : base_folder / source;
    return entry;
}

}  // namespace

std::vector<manifest_entry> read_manifest(std::istream& in, const boost::filesystem::path& base_folder,
                                          const std::string& name) {
    std::vector<manifest_entry> entries;
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const auto content = trim(line);
        if (content.empty() || content.front() == '#') {
            continue;
        }
        try {
            entries.push_back(parse_line(content, base_folder));
            entries.back().line = number;
        } catch (const std::invalid_argument& e) {
            throw manifest_error(name + ":" + std::to_string(number) + ": " + e.what());
        }
    }
    if (in.bad()) {
        throw manifest_error(name + ": cannot be read");
    }
    return entries;
}

std::vector<manifest_entry> read_manifest_file(const boost::filesystem::path& manifest) {
    boost::filesystem::ifstream in(manifest, std::ios::binary);
    if (!in) {
        throw manifest_error(manifest.string() + ": cannot be opened");
    }
    return read_manifest(in, manifest.parent_path(), manifest.string());
}

}  // namespace vnpack
