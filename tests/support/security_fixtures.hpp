// Helpers for tests of the security library and operations: a temporary folder, a reader of DACLs in
// their binary layout that owes nothing to the library under test, and the output of a command.
#pragma once

#include <sys/xattr.h>

#include <boost/filesystem.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace test_support {

// The folder that holds every temp_folder of this test program. A test part run in a fresh process
// ends without running destructors, so its folders live under the parent's (named to the children
// through the environment), which the parent removes when it ends.
inline const boost::filesystem::path& temp_folder_base() {
    struct base {
        boost::filesystem::path path;
        bool owned = false;
        ~base() {
            if (owned) {
                boost::system::error_code ignored;
                boost::filesystem::remove_all(path, ignored);
            }
        }
    };
    static const base folder = [] {
        constexpr const char* variable = "VN_SECURITY_TEST_FOLDER";
        if (const char* inherited = std::getenv(variable); inherited && *inherited) {
            return base{inherited, false};
        }
        base made{
            boost::filesystem::temp_directory_path() / boost::filesystem::unique_path("vn-security-%%%%-%%%%-%%%%"),
            true};
        boost::filesystem::create_directories(made.path);
        ::setenv(variable, made.path.c_str(), 1);
        return made;
    }();
    return folder.path;
}

// A fresh folder, removed with everything in it when the object goes.
class temp_folder {
public:
    temp_folder() {
        m_path = temp_folder_base() / boost::filesystem::unique_path("%%%%-%%%%-%%%%");
        boost::filesystem::create_directories(m_path);
    }
    ~temp_folder() {
        boost::system::error_code ignored;
        boost::filesystem::remove_all(m_path, ignored);
    }
    temp_folder(const temp_folder&) = delete;
    temp_folder& operator=(const temp_folder&) = delete;

    const boost::filesystem::path& path() const { return m_path; }

private:
    boost::filesystem::path m_path;
};

// Standard output of a shell command.
inline std::string command_output(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) {
        output.append(buffer, n);
    }
    return output;
}

// "S-1-5-32-545" for the SID at the bytes.
inline std::string sid_text(const std::uint8_t* sid) {
    std::uint64_t authority = 0;
    for (int i = 2; i < 8; ++i) {
        authority = (authority << 8) | sid[i];
    }
    std::string text = "S-" + std::to_string(sid[0]) + "-" + std::to_string(authority);
    for (int i = 0; i < sid[1]; ++i) {
        std::uint32_t sub;
        std::memcpy(&sub, sid + 8 + 4 * i, sizeof sub);
        text += "-" + std::to_string(sub);
    }
    return text;
}

struct ace_record {
    int type;
    int flags;
    std::uint32_t mask;
    std::string sid;

    bool operator==(const ace_record&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const ace_record& a) {
        return out << "{type " << a.type << ", flags 0x" << std::hex << a.flags << ", mask 0x" << a.mask << std::dec
                   << ", " << a.sid << "}";
    }
};

// The entries of an ACL in memory (access-allowed and access-denied entries).
inline std::vector<ace_record> read_acl(const void* acl) {
    const auto* bytes = static_cast<const std::uint8_t*>(acl);
    std::uint16_t count;
    std::memcpy(&count, bytes + 4, sizeof count);
    std::vector<ace_record> entries;
    std::size_t offset = 8;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* ace = bytes + offset;
        std::uint16_t size;
        std::uint32_t mask;
        std::memcpy(&size, ace + 2, sizeof size);
        std::memcpy(&mask, ace + 4, sizeof mask);
        entries.push_back({ace[0], ace[1], mask, sid_text(ace + 8)});
        offset += size;
    }
    return entries;
}

// A self-relative descriptor's control word and DACL entries (nothing when it has no DACL).
struct dacl_record {
    std::uint16_t control;
    std::optional<std::vector<ace_record>> entries;
};

inline dacl_record read_self_relative_dacl(const std::vector<std::uint8_t>& descriptor) {
    std::uint16_t control;
    std::uint32_t dacl_offset;
    std::memcpy(&control, descriptor.data() + 2, sizeof control);
    std::memcpy(&dacl_offset, descriptor.data() + 16, sizeof dacl_offset);
    dacl_record record{control, std::nullopt};
    if ((control & 0x0004) && dacl_offset != 0) {
        record.entries = read_acl(descriptor.data() + dacl_offset);
    } else if (control & 0x0004) {
        record.entries.emplace();
    }
    return record;
}

// The descriptor a file keeps in its extended attribute, read without the library; empty when none.
inline std::optional<dacl_record> stored_dacl(const boost::filesystem::path& file) {
    const ssize_t size = getxattr(file.c_str(), "user.vn.dacl", nullptr, 0);
    if (size < 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (getxattr(file.c_str(), "user.vn.dacl", bytes.data(), bytes.size()) != size) {
        return std::nullopt;
    }
    return read_self_relative_dacl(bytes);
}

inline constexpr const char* everyone = "S-1-1-0";
inline constexpr const char* administrators = "S-1-5-32-544";
inline constexpr const char* users = "S-1-5-32-545";

}  // namespace test_support
