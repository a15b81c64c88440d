#include "platform/registry/key_file.hpp"

#include "platform/kernel/unique_fd.hpp"
#include "platform/registry/names.hpp"

#include <boost/crc.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string_view>
#include <utility>

namespace platform::registry::detail {
namespace {

constexpr char magic[8] = {'V', 'N', 'R', 'E', 'G', 'K', 'E', 'Y'};
constexpr std::uint32_t version = 1;
constexpr std::uint32_t no_parent = 0xFFFFFFFF;
// Far beyond any key the installer saves; a bound so that a bogus file cannot exhaust memory.
constexpr off_t max_file_size = 256 * 1024 * 1024;

std::uint32_t crc32_of(std::span<const std::uint8_t> bytes) {
    boost::crc_32_type crc;
    crc.process_bytes(bytes.data(), bytes.size());
    return crc.checksum();
}

class writer {
public:
    void u32(std::uint32_t number) {
        for (int i = 0; i < 4; ++i) {
            m_bytes.push_back(static_cast<std::uint8_t>(number >> (8 * i)));
        }
    }
    void bytes(std::span<const std::uint8_t> data) {
        u32(static_cast<std::uint32_t>(data.size()));
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    }
    void text(std::string_view s) { bytes({reinterpret_cast<const std::uint8_t*>(s.data()), s.size()}); }
    void raw(std::span<const std::uint8_t> data) { m_bytes.insert(m_bytes.end(), data.begin(), data.end()); }
    std::vector<std::uint8_t>& result() { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

struct malformed {};

class reader {
public:
    explicit reader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::uint32_t u32() {
        const auto b = take(4);
        return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::span<const std::uint8_t> bytes() { return take(u32()); }
    std::string text() {
        const auto b = bytes();
        return {reinterpret_cast<const char*>(b.data()), b.size()};
    }
    std::span<const std::uint8_t> take(std::size_t count) {
        if (count > m_bytes.size() - m_offset) {
            throw malformed{};
        }
        const auto part = m_bytes.subspan(m_offset, count);
        m_offset += count;
        return part;
    }
    bool at_end() const { return m_offset == m_bytes.size(); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_offset = 0;
};

void require(bool condition) {
    if (!condition) {
        throw malformed{};
    }
}

tree_key read_key(reader& in, std::size_t index) {
    tree_key key;
    const std::uint32_t parent = in.u32();
    key.name = in.text();
    if (index == 0) {
        require(parent == no_parent && key.name.empty());
    } else {
        require(parent < index && !check_key_name(key.name));
        key.parent = parent;
    }
    std::set<std::string> value_names;
    for (std::uint32_t count = in.u32(); count > 0; --count) {
        named_value v;
        v.name = in.text();
        require(!check_value_name(v.name) && value_names.insert(folded(v.name)).second);
        v.value.type = static_cast<value_type>(in.u32());
        const auto data = in.bytes();
        v.value.data.assign(data.begin(), data.end());
        key.values.push_back(std::move(v));
    }
    return key;
}

std::error_code io_error(int number, errc otherwise) {
    switch (number) {
        case EACCES:
        case EPERM:
        case EROFS:
            return errc::access_denied;
        case ENOENT:
        case ENOTDIR:
            return errc::file_not_found;
        case ENOSPC:
            return errc::disk_full;
        default:
            return otherwise;
    }
}

}  // namespace

std::vector<std::uint8_t> encode_key_file(const key_tree& tree) {
    writer out;
    out.raw({reinterpret_cast<const std::uint8_t*>(magic), sizeof magic});
    out.u32(version);
    out.u32(static_cast<std::uint32_t>(tree.size()));
    for (std::size_t i = 0; i < tree.size(); ++i) {
        out.u32(i == 0 ? no_parent : static_cast<std::uint32_t>(tree[i].parent));
        out.text(i == 0 ? std::string_view() : tree[i].name);
        out.u32(static_cast<std::uint32_t>(tree[i].values.size()));
        for (const auto& v : tree[i].values) {
            out.text(v.name);
            out.u32(static_cast<std::uint32_t>(v.value.type));
            out.bytes(v.value.data);
        }
    }
    out.u32(crc32_of(out.result()));
    return std::move(out.result());
}

result<key_tree> decode_key_file(std::span<const std::uint8_t> bytes) {
    try {
        require(bytes.size() >= sizeof magic + 12 && std::memcmp(bytes.data(), magic, sizeof magic) == 0);
        const auto body = bytes.first(bytes.size() - 4);
        reader crc_reader(bytes.last(4));
        require(crc_reader.u32() == crc32_of(body));

        reader in(body.subspan(sizeof magic));
        require(in.u32() == version);
        const std::uint32_t count = in.u32();
        require(count >= 1);
        key_tree tree;
        std::set<std::pair<std::size_t, std::string>> key_names;
        for (std::uint32_t i = 0; i < count; ++i) {
            tree.push_back(read_key(in, i));
            if (i > 0) {
                require(key_names.emplace(tree.back().parent, folded(tree.back().name)).second);
            }
        }
        require(in.at_end());
        return tree;
    } catch (const malformed&) {
        return errc::registry_corrupt;
    }
}

std::error_code write_key_file(const boost::filesystem::path& file, const key_tree& tree) {
    const auto bytes = encode_key_file(tree);
    kernel::unique_fd fd(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
        return errno == EEXIST ? make_error_code(errc::already_exists) : io_error(errno, errc::cantwrite);
    }
    std::error_code failure;
    for (std::size_t written = 0; written < bytes.size() && !failure;) {
        const ssize_t n = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n == 0 || errno != EINTR) {
            failure = io_error(n < 0 ? errno : ENOSPC, errc::cantwrite);
        }
    }
    if (!failure && ::fsync(fd.get()) != 0) {
        failure = io_error(errno, errc::cantwrite);
    }
    if (const int error = fd.close(); error != 0 && !failure) {
        failure = io_error(error, errc::cantwrite);
    }
    if (failure) {
        ::unlink(file.c_str());
    }
    return failure;
}

result<key_tree> read_key_file(const boost::filesystem::path& file) {
    kernel::unique_fd fd(::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        return io_error(errno, errc::cantread);
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size > max_file_size) {
        return errc::registry_corrupt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    for (std::size_t got = 0; got < bytes.size();) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n == 0) {
            return errc::registry_corrupt;  // shorter than it was a moment ago
        } else if (errno != EINTR) {
            return io_error(errno, errc::cantread);
        }
    }
    return decode_key_file(bytes);
}

}  // namespace platform::registry::detail
