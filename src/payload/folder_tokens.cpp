#include "payload/folder_tokens.hpp"

#include "payload/compress_error.hpp"
#include "payload/entry_path.hpp"
#include "platform/shell/known_folders.hpp"

#include <boost/filesystem/operations.hpp>

#include <optional>
#include <string_view>
#include <vector>

namespace payload {

namespace fs = boost::filesystem;
namespace csidl = platform::shell::csidl;

namespace {

struct token_base {
    fs::path folder;
    bool record = false;  // folders made below the base are recorded for access
};

constexpr int no_fallback = -1;

struct shell_token {
    std::string_view name;
    int csidl;
    int fallback;
    bool record;
};

// After "<InstallPath>" and "<SamplePath>", in the order the first element is compared.
constexpr shell_token shell_tokens[] = {
    {"<ProgramFiles>", csidl::program_files, no_fallback, false},
    {"<ProgramCommon>", csidl::program_files_common, no_fallback, false},
    {"<CommonData>", csidl::common_appdata, csidl::appdata, true},
    {"<UserData>", csidl::appdata, no_fallback, false},
    {"<CommonDocuments>", csidl::common_documents, csidl::personal, true},
    {"<Documents>", csidl::personal, no_fallback, false},
    {"<CommonDesktop>", csidl::common_desktopdirectory, csidl::desktopdirectory, true},
    {"<Desktop>", csidl::desktopdirectory, no_fallback, false},
    {"<WinDir>", csidl::windows, no_fallback, false},
    {"<System>", csidl::system, no_fallback, false},
};

token_base sample_base(const archive_folders& folders, access_folder_list& access) {
    if (!folders.sample_folder.empty() && folders.sample_folder.is_absolute()) {
        return {folders.sample_folder};
    }
    fs::path base = shell_folder(csidl::common_desktopdirectory, csidl::desktopdirectory, true);
    if (!folders.sample_folder.empty()) {
        base /= folders.sample_folder;
        record_access_folder(base, access);
    }
    return {base};
}

token_base token_folder(std::string_view token, const archive_folders& folders, access_folder_list& access) {
    if (token == "<InstallPath>") {
        return {folders.install_folder};
    }
    if (token == "<SamplePath>") {
        return sample_base(folders, access);
    }
    for (const auto& entry : shell_tokens) {
        if (token == entry.name) {
            return {shell_folder(entry.csidl, entry.fallback, entry.fallback != no_fallback), entry.record};
        }
    }
    if (token == "<Temporary>") {
        return {folders.temp_folder.empty() ? folders.install_folder : folders.temp_folder};
    }
    return {};  // an unknown token: no place
}

// The path lexically absolute and cleared of "." and ".."; unchanged when the current folder cannot
// be read.
std::vector<fs::path> normalized_elements(const fs::path& path) {
    fs::path absolute = path;
    if (!path.is_absolute()) {
        boost::system::error_code error;
        const fs::path current = fs::current_path(error);
        if (!error) {
            absolute = current / path;
        }
    }
    std::vector<fs::path> elements;
    for (const auto& element : absolute) {
        if (element == "." || element.empty()) {
            continue;
        }
        if (element == "..") {
            if (!elements.empty() && elements.back() != "/") {
                elements.pop_back();
            }
            continue;
        }
        elements.push_back(element);
    }
    return elements;
}

}  // namespace

fs::path resolve_folder(const std::string& folder_text, const archive_folders& folders, access_folder_list& access) {
    // Only a known token names a place: a text without one would land wherever the installer was
    // started from, and an uninstaller would later remove whatever lies there.
    const auto elements = path_elements(folder_text);
    if (elements.empty() || !is_token_element(elements[0])) {
        throw compress_failure(compress_errc::unexpected);
    }
    token_base base = token_folder(elements[0], folders, access);
    if (!base.folder.is_absolute()) {
        throw compress_failure(compress_errc::unexpected);  // an unknown token, or a base that is no place
    }
    const std::size_t first = 1;

    std::size_t depth = 0;
    for (std::size_t i = first; i < elements.size(); ++i) {
        const std::string_view element = elements[i];
        if (element == ".") {
            continue;
        }
        if (element == "..") {
            if (depth == 0) {
                throw compress_failure(compress_errc::unexpected);
            }
            --depth;
            base.folder = base.folder.parent_path();
            continue;
        }
        ++depth;
        base.folder /= std::string(element);
        if (base.record) {
            record_access_folder(base.folder, access);
        }
    }
    return base.folder;
}

fs::path shell_folder(int csidl, int fallback_csidl, bool use_fallback) {
    auto folder = platform::shell::special_folder(csidl);
    if ((!folder || folder->empty()) && use_fallback) {
        folder = platform::shell::special_folder(fallback_csidl);
    }
    if (!folder || folder->empty()) {
        throw compress_failure(compress_errc::unexpected);
    }
    return *folder;
}

void record_access_folder(const fs::path& folder, access_folder_list& access) {
    for (const auto& recorded : access) {
        if (same_folder(recorded.folder, folder)) {
            return;
        }
    }
    access.push_back({folder, false});
}

bool same_folder(const fs::path& a, const fs::path& b) noexcept {
    try {
        if (a == b) {
            return true;
        }
        boost::system::error_code error;
        const bool same = fs::equivalent(a, b, error);
        if (!error) {
            return same;
        }
        return normalized_elements(a) == normalized_elements(b);
    } catch (...) {
        return false;  // out of memory while comparing: treat as different, the safe answer for a grant
    }
}

}  // namespace payload
