// The version information of a program file or of the installer itself: the packed file version,
// the version strings of the block's first Unicode translation, and the version text shown to the
// user.
#pragma once

#include "platform/version/version_block.hpp"

#include <boost/filesystem/path.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class VersionInfo {
public:
    // A copy of a program file's version block; empty when the file cannot be read or has none.
    static VersionInfo FromFile(const boost::filesystem::path& file);
    // The installer's own version resource, used in place; empty when it has none.
    static VersionInfo FromOwnResource();
    // A version block held in memory.
    static VersionInfo FromBlock(std::vector<std::byte> block);

    VersionInfo(VersionInfo&&) noexcept = default;
    VersionInfo& operator=(VersionInfo&&) noexcept = default;
    VersionInfo(const VersionInfo&) = delete;
    VersionInfo& operator=(const VersionInfo&) = delete;

    // dwFileVersionMS in the high 32 bits, dwFileVersionLS in the low; 0 without fixed information.
    std::uint64_t GetVersionNumber() const;

    // A version string of the first translation in code page 1200; empty when absent.
    std::string GetString(std::string_view key) const;
    std::string GetProductName() const { return GetString("ProductName"); }
    std::string GetProductVersion() const { return GetString("ProductVersion"); }
    std::string GetLegalCopyright() const { return GetString("LegalCopyright"); }

    // "ProductName ProductVersion", with "bêta" shown as "beta" outside French for a pre-release,
    // and " – Private" and " – Debug" for private and debug builds.
    std::string GetDisplayText() const;

    bool HasFixedInfo() const { return m_fixedInfo.has_value(); }

private:
    explicit VersionInfo(std::vector<std::byte> ownedBlock);
    explicit VersionInfo(std::span<const std::byte> block);
    void SetUp();

    std::vector<std::byte> m_ownedBlock;  // empty when the block is the program's own resource
    std::span<const std::byte> m_block;   // empty: no version information
    std::optional<platform::version::fixed_file_info> m_fixedInfo;
    std::vector<std::string> m_translations;  // "040904b0" for each Unicode translation, in block order
};
