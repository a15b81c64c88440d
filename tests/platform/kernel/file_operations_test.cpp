#include "platform/kernel/file_operations.hpp"

#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/unique_fd.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/scratch_folder.hpp"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace kernel = platform::kernel;
namespace win32 = platform::kernel::win32;
namespace fs = boost::filesystem;
using test_support::read_file;
using test_support::scratch_folder;
using test_support::write_file;

namespace {

struct stat status_of(const fs::path& path) {
    struct stat status {};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status;
}

int code(std::uint32_t win32_code) {
    return static_cast<int>(win32_code);
}

constexpr std::uint32_t kept_attributes =
    kernel::file_attribute_readonly | kernel::file_attribute_hidden | kernel::file_attribute_archive;

// A file with content, attributes, mode and an old modification time, to see what travels.
void make_marked_file(const fs::path& path, const std::string& content) {
    write_file(path, content);
    ::chmod(path.c_str(), 0640);
    ASSERT_FALSE(kernel::set_file_attributes(path, kept_attributes));
    const timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

void expect_marked_copy(const fs::path& path, const std::string& content) {
    EXPECT_EQ(read_file(path), content);
    EXPECT_EQ(kernel::file_attributes(path), kept_attributes);
    const struct stat status = status_of(path);
    EXPECT_EQ(status.st_mode & 07777, 0440u);
    EXPECT_EQ(status.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(status.st_mtim.tv_nsec, 500);
}

// Only the expected entries remain in a folder: no temporary file left behind.
std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(FileOperations, CopyKeepsContentAttributesModeAndTime) {
    scratch_folder scratch;
    make_marked_file(scratch / "source", "payload");
    ASSERT_FALSE(kernel::copy_file(scratch / "source", scratch / "copy", kernel::copy_option::fail_if_exists));
    expect_marked_copy(scratch / "copy", "payload");
    expect_marked_copy(scratch / "source", "payload");
    EXPECT_EQ(names_in(scratch.path()), (std::vector<std::string>{"copy", "source"}));
}

TEST(FileOperations, CopyOntoAnExistingDestination) {
    scratch_folder scratch;
    write_file(scratch / "source", "new");
    write_file(scratch / "destination", "old");

    EXPECT_EQ(
        kernel::copy_file(scratch / "source", scratch / "destination", kernel::copy_option::fail_if_exists).value(),
        code(win32::file_exists));
    EXPECT_EQ(read_file(scratch / "destination"), "old");

    ASSERT_FALSE(kernel::copy_file(scratch / "source", scratch / "destination", kernel::copy_option::overwrite));
    EXPECT_EQ(read_file(scratch / "destination"), "new");

    // A read-only destination is refused, as Windows refuses it.
    ::chmod((scratch / "destination").c_str(), 0444);
    write_file(scratch / "source", "newer");
    EXPECT_EQ(kernel::copy_file(scratch / "source", scratch / "destination", kernel::copy_option::overwrite).value(),
              code(win32::access_denied));
    EXPECT_EQ(read_file(scratch / "destination"), "new");
}

TEST(FileOperations, CopyReplacesASymbolicLinkInsteadOfWritingThroughIt) {
    scratch_folder scratch;
    write_file(scratch / "source", "new");
    write_file(scratch / "victim", "precious");
    fs::create_symlink(scratch / "victim", scratch / "destination");
    ASSERT_FALSE(kernel::copy_file(scratch / "source", scratch / "destination", kernel::copy_option::overwrite));
    EXPECT_TRUE(S_ISREG(status_of(scratch / "destination").st_mode));
    EXPECT_EQ(read_file(scratch / "destination"), "new");
    EXPECT_EQ(read_file(scratch / "victim"), "precious");
}

TEST(FileOperations, CopyDropsSetUserId) {
    scratch_folder scratch;
    write_file(scratch / "program", "#!/bin/sh\n");
    ::chmod((scratch / "program").c_str(), 04755);
    ASSERT_FALSE(kernel::copy_file(scratch / "program", scratch / "copy", kernel::copy_option::overwrite));
    EXPECT_EQ(status_of(scratch / "copy").st_mode & 07777, 0755u);
}

TEST(FileOperations, CopyFailures) {
    scratch_folder scratch;
    write_file(scratch / "source", "x");
    write_file(scratch / "plain-file", "x");
    fs::create_directory(scratch / "folder");
    const struct {
        fs::path from;
        fs::path to;
        std::uint32_t code;
    } cases[] = {
        {scratch / "missing", scratch / "to", win32::file_not_found},
        {scratch / "no-folder" / "missing", scratch / "to", win32::path_not_found},
        {scratch / "source", scratch / "no-folder" / "to", win32::path_not_found},
        {scratch / "source", scratch / "plain-file" / "to", win32::path_not_found},
        {scratch / "source", scratch / "folder", win32::access_denied},
        {scratch / "folder", scratch / "to", win32::access_denied},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(kernel::copy_file(c.from, c.to, kernel::copy_option::overwrite).value(), code(c.code))
            << c.from << " -> " << c.to;
        EXPECT_EQ(kernel::last_error(), c.code);
    }
    EXPECT_EQ(names_in(scratch.path()), (std::vector<std::string>{"folder", "plain-file", "source"}));
}

TEST(FileOperations, MoveRenamesAndReplacesOnlyWhenAsked) {
    scratch_folder scratch;
    make_marked_file(scratch / "source", "payload");
    write_file(scratch / "existing", "old");

    EXPECT_EQ(kernel::move_file(scratch / "source", scratch / "existing", kernel::move_option::copy_allowed).value(),
              code(win32::already_exists));
    EXPECT_EQ(read_file(scratch / "existing"), "old");

    ASSERT_FALSE(kernel::move_file(scratch / "source", scratch / "existing", kernel::move_option::replace_existing));
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch / "source")));
    expect_marked_copy(scratch / "existing", "payload");

    // The read-only file just moved cannot itself be replaced.
    write_file(scratch / "other", "other");
    EXPECT_EQ(kernel::move_file(scratch / "other", scratch / "existing", kernel::move_option::replace_existing).value(),
              code(win32::access_denied));

    fs::create_directory(scratch / "folder");
    ASSERT_FALSE(kernel::move_file(scratch / "folder", scratch / "moved-folder", kernel::move_option::none));
    EXPECT_TRUE(fs::is_directory(scratch / "moved-folder"));

    EXPECT_EQ(kernel::move_file(scratch / "missing", scratch / "to", kernel::move_option::none).value(),
              code(win32::file_not_found));
    EXPECT_EQ(kernel::move_file(scratch / "other", scratch / "no-folder" / "to", kernel::move_option::none).value(),
              code(win32::path_not_found));
}

// rename() leaves both names of one hard-linked file in place; a move must still take the source away.
TEST(FileOperations, MoveOntoAnotherNameOfTheSameFile) {
    scratch_folder scratch;
    write_file(scratch / "a", "x");
    fs::create_hard_link(scratch / "a", scratch / "b");
    ASSERT_FALSE(kernel::move_file(scratch / "a", scratch / "b", kernel::move_option::replace_existing));
    EXPECT_EQ(names_in(scratch.path()), std::vector<std::string>{"b"});
    ASSERT_FALSE(kernel::move_file(scratch / "b", scratch / "b", kernel::move_option::none));
    EXPECT_EQ(read_file(scratch / "b"), "x");
}

TEST(FileOperations, MoveToAnotherFileSystemCopiesEverythingAndOwner) {
    scratch_folder scratch;
    test_support::private_tmpfs other(scratch / "other", "1m");
    if (!other.mounted()) {
        GTEST_SKIP() << "cannot mount a second file system here";
    }
    make_marked_file(scratch / "source", "payload");
    ASSERT_EQ(::lchown((scratch / "source").c_str(), 1234, 2345), 0);

    EXPECT_EQ(kernel::move_file(scratch / "source", scratch / "other" / "moved", kernel::move_option::none).value(),
              code(win32::not_same_device));
    ASSERT_FALSE(kernel::move_file(scratch / "source", scratch / "other" / "moved", kernel::move_option::copy_allowed));
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch / "source")));
    expect_marked_copy(scratch / "other" / "moved", "payload");
    EXPECT_EQ(status_of(scratch / "other" / "moved").st_uid, 1234u);
    EXPECT_EQ(status_of(scratch / "other" / "moved").st_gid, 2345u);
    EXPECT_EQ(names_in(scratch / "other"), std::vector<std::string>{"moved"});

    // Folders do not cross file systems.
    fs::create_directory(scratch / "folder");
    EXPECT_EQ(
        kernel::move_file(scratch / "folder", scratch / "other" / "folder", kernel::move_option::copy_allowed).value(),
        code(win32::not_same_device));
}

TEST(FileOperations, FullDiskFailsTheCopyAndLeavesNothing) {
    scratch_folder scratch;
    test_support::private_tmpfs small(scratch / "small", "64k");
    if (!small.mounted()) {
        GTEST_SKIP() << "cannot mount a small file system here";
    }
    write_file(scratch / "big", std::string(512 * 1024, 'x'));
    EXPECT_EQ(kernel::copy_file(scratch / "big", scratch / "small" / "big", kernel::copy_option::overwrite).value(),
              code(win32::disk_full));
    EXPECT_TRUE(fs::is_empty(scratch / "small"));
    EXPECT_EQ(kernel::move_file(scratch / "big", scratch / "small" / "big", kernel::move_option::copy_allowed).value(),
              code(win32::disk_full));
    EXPECT_TRUE(fs::is_empty(scratch / "small"));
    EXPECT_TRUE(fs::exists(scratch / "big"));
}

TEST(FileOperations, DeleteFile) {
    scratch_folder scratch;
    write_file(scratch / "file", "x");
    write_file(scratch / "read-only", "x");
    ::chmod((scratch / "read-only").c_str(), 0444);
    write_file(scratch / "target", "x");
    fs::create_symlink(scratch / "target", scratch / "link");
    fs::create_directory(scratch / "folder");

    EXPECT_FALSE(kernel::delete_file(scratch / "file"));
    EXPECT_FALSE(kernel::delete_file(scratch / "link"));
    EXPECT_TRUE(fs::exists(scratch / "target"));
    const struct {
        fs::path path;
        std::uint32_t code;
    } refused[] = {
        {scratch / "read-only", win32::access_denied},
        {scratch / "folder", win32::access_denied},
        {scratch / "file", win32::file_not_found},
        {scratch / "no-folder" / "file", win32::path_not_found},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(kernel::delete_file(c.path).value(), code(c.code)) << c.path;
    }
    EXPECT_EQ(names_in(scratch.path()), (std::vector<std::string>{"folder", "read-only", "target"}));
}

// Root ignores permission bits; an immutable file is refused even to root.
TEST(FileOperations, ImmutableFileCannotBeDeleted) {
    scratch_folder scratch;
    const fs::path file = scratch / "immutable";
    write_file(file, "x");
    kernel::unique_fd handle(::open(file.c_str(), O_RDONLY));
    int flags = 0;
    if (::ioctl(handle.get(), FS_IOC_GETFLAGS, &flags) != 0) {
        GTEST_SKIP() << "no inode flags on this file system";
    }
    flags |= FS_IMMUTABLE_FL;
    if (::ioctl(handle.get(), FS_IOC_SETFLAGS, &flags) != 0) {
        GTEST_SKIP() << "cannot make a file immutable here";
    }
    const std::error_code error = kernel::delete_file(file);
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(handle.get(), FS_IOC_SETFLAGS, &flags);
    EXPECT_EQ(error.value(), code(win32::access_denied));
    EXPECT_TRUE(fs::exists(file));
}

TEST(FileOperations, CreateAndRemoveFolder) {
    scratch_folder scratch;
    ASSERT_FALSE(kernel::create_folder(scratch / "folder"));
    EXPECT_TRUE(fs::is_directory(scratch / "folder"));
    write_file(scratch / "folder" / "file", "x");
    fs::create_symlink(scratch / "nowhere", scratch / "dangling");

    const struct {
        fs::path path;
        std::uint32_t code;
    } create_cases[] = {
        {scratch / "folder", win32::already_exists},
        {scratch / "dangling", win32::already_exists},
        {scratch / "no-folder" / "folder", win32::path_not_found},
        {scratch / "folder" / "file" / "sub", win32::path_not_found},
    };
    for (const auto& c : create_cases) {
        EXPECT_EQ(kernel::create_folder(c.path).value(), code(c.code)) << c.path;
    }
    EXPECT_FALSE(fs::exists(scratch / "nowhere"));

    const struct {
        fs::path path;
        std::uint32_t code;
    } remove_cases[] = {
        {scratch / "folder", win32::dir_not_empty},
        {scratch / "folder" / "file", win32::directory},
        {scratch / "dangling", win32::directory},
        {scratch / "missing", win32::file_not_found},
    };
    for (const auto& c : remove_cases) {
        EXPECT_EQ(kernel::remove_folder(c.path).value(), code(c.code)) << c.path;
    }
    fs::remove(scratch / "folder" / "file");
    EXPECT_FALSE(kernel::remove_folder(scratch / "folder"));
    EXPECT_FALSE(fs::exists(scratch / "folder"));
}
