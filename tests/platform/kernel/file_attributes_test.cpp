#include "platform/kernel/file_attributes.hpp"

#include "platform/kernel/win32_error.hpp"
#include "platform/scratch_folder.hpp"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <gtest/gtest.h>

namespace kernel = platform::kernel;
using test_support::scratch_folder;
using test_support::write_file;

namespace {

mode_t mode_of(const boost::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & 07777;
}

bool has_stored_attributes(const boost::filesystem::path& path) {
    return ::lgetxattr(path.c_str(), kernel::attributes_xattr_name, nullptr, 0) >= 0;
}

// Sets the process umask for one scope.
class scoped_umask {
public:
    explicit scoped_umask(mode_t mask) : m_old(::umask(mask)) {}
    ~scoped_umask() { ::umask(m_old); }

private:
    mode_t m_old;
};

}  // namespace

TEST(FileAttributes, FileRoundTrip) {
    scoped_umask mask(022);
    scratch_folder scratch;
    const auto file = scratch / "file.bin";
    write_file(file, "data");
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(kernel::file_attributes(file), kernel::file_attribute_normal);

    for (const std::uint32_t attributes : {0x2021u, 0x1u, 0x20u, 0x7u, 0x1127u}) {
        ASSERT_FALSE(kernel::set_file_attributes(file, attributes)) << std::hex << attributes;
        EXPECT_EQ(kernel::file_attributes(file), attributes) << std::hex << attributes;
        const bool read_only = attributes & kernel::file_attribute_readonly;
        EXPECT_EQ(mode_of(file), read_only ? 0444u : 0644u) << std::hex << attributes;
    }

    // NORMAL clears everything, and leaves no stored attributes behind.
    ASSERT_FALSE(kernel::set_file_attributes(file, kernel::file_attribute_normal));
    EXPECT_EQ(kernel::file_attributes(file), kernel::file_attribute_normal);
    EXPECT_FALSE(has_stored_attributes(file));
    EXPECT_EQ(mode_of(file), 0644u);
}

TEST(FileAttributes, ClearingReadOnlyGivesBackWriteWhereReadingIsAllowedAndTheUmaskAgrees) {
    scratch_folder scratch;
    const struct {
        mode_t read_only_mode;
        mode_t umask;
        mode_t expected;
    } cases[] = {
        {0444, 022, 0644}, {0444, 002, 0664}, {0440, 000, 0660}, {0400, 000, 0600}, {0555, 022, 0755},
    };
    for (const auto& c : cases) {
        const auto file = scratch / "file";
        write_file(file, "");
        ::chmod(file.c_str(), c.read_only_mode);
        ASSERT_EQ(kernel::file_attributes(file), kernel::file_attribute_readonly);
        scoped_umask mask(c.umask);
        ASSERT_FALSE(kernel::set_file_attributes(file, kernel::file_attribute_archive));
        EXPECT_EQ(mode_of(file), c.expected) << std::oct << c.read_only_mode << " umask " << c.umask;
        ::unlink(file.c_str());
    }
}

TEST(FileAttributes, FolderKeepsReadOnlyWithoutLosingItsWriteBits) {
    scratch_folder scratch;
    const auto folder = scratch / "folder";
    boost::filesystem::create_directory(folder);
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(kernel::file_attributes(folder), kernel::file_attribute_directory);

    ASSERT_FALSE(kernel::set_file_attributes(folder, kernel::file_attribute_readonly | kernel::file_attribute_archive));
    EXPECT_EQ(kernel::file_attributes(folder),
              kernel::file_attribute_directory | kernel::file_attribute_readonly | kernel::file_attribute_archive);
    EXPECT_EQ(mode_of(folder), 0755u);

    ASSERT_FALSE(kernel::set_file_attributes(folder, kernel::file_attribute_normal));
    EXPECT_EQ(kernel::file_attributes(folder), kernel::file_attribute_directory);
}

TEST(FileAttributes, SymbolicLinkIsNeverFollowed) {
    scratch_folder scratch;
    const auto target = scratch / "target";
    const auto link = scratch / "link";
    write_file(target, "x");
    ::chmod(target.c_str(), 0644);
    boost::filesystem::create_symlink(target, link);

    EXPECT_EQ(kernel::file_attributes(link), kernel::file_attribute_reparse_point);
    EXPECT_EQ(kernel::set_file_attributes(link, kernel::file_attribute_readonly).value(),
              static_cast<int>(kernel::win32::not_supported));
    EXPECT_EQ(mode_of(target), 0644u);
    EXPECT_FALSE(has_stored_attributes(target));
}

TEST(FileAttributes, MissingObjects) {
    scratch_folder scratch;
    const struct {
        boost::filesystem::path path;
        std::uint32_t code;
    } cases[] = {
        {scratch / "missing", kernel::win32::file_not_found},
        {scratch / "no-folder" / "missing", kernel::win32::path_not_found},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kernel::file_attributes(c.path), kernel::invalid_file_attributes);
        EXPECT_EQ(kernel::last_error(), c.code);
        EXPECT_EQ(kernel::set_file_attributes(c.path, kernel::file_attribute_archive).value(),
                  static_cast<int>(c.code));
    }
}

TEST(FileAttributes, MalformedStoredValueReadsAsNone) {
    scratch_folder scratch;
    const auto file = scratch / "file";
    write_file(file, "");
    ::chmod(file.c_str(), 0644);
    ASSERT_EQ(::setxattr(file.c_str(), kernel::attributes_xattr_name, "zz", 2, 0), 0);
    EXPECT_EQ(kernel::file_attributes(file), kernel::file_attribute_normal);
}
