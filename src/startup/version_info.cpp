#include "startup/version_info.hpp"

#include "platform/version/file_version_info.hpp"
#include "startup/language_catalogue.hpp"

namespace {

namespace ver = platform::version;

constexpr std::uint16_t kPrimaryFrench = 0x0C;

void ReplaceLast(std::string& text, std::string_view what, std::string_view with) {
    const std::size_t at = text.rfind(what);
    if (at != std::string::npos) {
        text.replace(at, what.size(), with);
    }
}

}  // namespace

VersionInfo::VersionInfo(std::vector<std::byte> ownedBlock)
    : m_ownedBlock(std::move(ownedBlock)), m_block(m_ownedBlock) {
    SetUp();
}

VersionInfo::VersionInfo(std::span<const std::byte> block) : m_block(block) {
    SetUp();
}

VersionInfo VersionInfo::FromFile(const boost::filesystem::path& file) {
    std::vector<std::byte> block(ver::file_version_info_size(file));
    if (block.empty() || !ver::file_version_info(file, block)) {
        block.clear();
    }
    return VersionInfo(std::move(block));
}

VersionInfo VersionInfo::FromOwnResource() {
    return VersionInfo(ver::own_version_info());
}

VersionInfo VersionInfo::FromBlock(std::vector<std::byte> block) {
    return VersionInfo(std::move(block));
}

void VersionInfo::SetUp() {
    if (m_block.empty()) {
        return;
    }
    const auto root = ver::query_version_value(m_block, "\\");
    m_fixedInfo = root ? ver::read_fixed_file_info(*root) : std::nullopt;
    if (!m_fixedInfo) {
        return;
    }
    const auto translations = ver::query_version_value(m_block, "\\VarFileInfo\\Translation");
    if (!translations || translations->length < 4) {
        return;
    }
    for (const auto& t : ver::read_translations(*translations)) {
        if (t.code_page == ver::unicode_code_page) {
            m_translations.push_back(ver::string_table_key(t));
        }
    }
}

std::uint64_t VersionInfo::GetVersionNumber() const {
    return m_fixedInfo ? (std::uint64_t{m_fixedInfo->dwFileVersionMS} << 32) | m_fixedInfo->dwFileVersionLS : 0;
}

std::string VersionInfo::GetString(std::string_view key) const {
    if (m_block.empty() || m_translations.empty()) {
        return {};
    }
    const auto value =
        ver::query_version_value(m_block, "\\StringFileInfo\\" + m_translations.front() + "\\" + std::string(key));
    if (!value || value->length == 0) {
        return {};
    }
    std::string text = ver::version_value_text(*value);
    // Resource compilers differ in whether the stored terminating zero is counted.
    if (!text.empty() && text.back() == '\0') {
        text.pop_back();
    }
    return text;
}

std::string VersionInfo::GetDisplayText() const {
    std::string text = GetProductName();
    const std::string version = GetProductVersion();
    if (!version.empty()) {
        text += ' ';
        text += version;
    }
    const std::uint32_t flags = m_fixedInfo ? m_fixedInfo->dwFileFlags & m_fixedInfo->dwFileFlagsMask : 0;
    if ((flags & ver::VS_FF_PRERELEASE) != 0 &&
        platform::locale::primary_language(LanguageToLangId(GetLanguageState().current)) != kPrimaryFrench) {
        ReplaceLast(text, "bêta", "beta");
    }
    if ((flags & ver::VS_FF_PRIVATEBUILD) != 0) {
        text += " – Private";
    }
    if ((flags & ver::VS_FF_DEBUG) != 0) {
        text += " – Debug";
    }
    return text;
}
