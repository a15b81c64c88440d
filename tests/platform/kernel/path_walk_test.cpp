// The walk every file operation makes: links are followed only where nobody but root (or this account)
// could have put them, and files with a second name in a folder others may write are not changed.
#include "platform/kernel/path_walk.hpp"
#include "platform/kernel/file_attributes.hpp"
#include "platform/kernel/file_operations.hpp"
#include "platform/kernel/shared_file.hpp"
#include "platform/kernel/win32_error.hpp"
#include "platform/scratch_folder.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <fstream>

namespace fs = boost::filesystem;
namespace kernel = platform::kernel;
using test_support::scratch_folder;

namespace {

constexpr uid_t kOtherAccount = 4242;  // no account needs to exist to own a file

void Put(const fs::path& file, const std::string& content) {
    std::ofstream(file.string(), std::ios::binary | std::ios::trunc) << content;
}

// A folder holding a link "link" to `target`, made as `how` says.
struct FolderCase {
    const char* what;
    mode_t mode;
    uid_t folderOwner;
    uid_t linkOwner;
    bool followed;
};

TEST(PathWalk, FollowsALinkOnlyWhereNoOtherAccountCouldHavePutIt) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give files to another account";
    }
    const FolderCase cases[] = {
        {"a folder only root may write", 0755, 0, 0, true},
        {"a folder everyone may write", 0777, 0, 0, false},
        {"a folder its group may write", 0775, 0, 0, false},
        {"a folder of another account", 0755, kOtherAccount, kOtherAccount, false},
        {"a sticky shared folder, root's link", 01777, 0, 0, true},
        {"a sticky shared folder, another account's link", 01777, 0, kOtherAccount, false},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.what);
        scratch_folder scratch;
        const fs::path target = scratch / "target";
        const fs::path folder = scratch / "folder";
        fs::create_directories(target);
        Put(target / "file", "root's");
        fs::create_directories(folder);
        fs::create_symlink(target, folder / "link");
        ASSERT_EQ(::lchown((folder / "link").c_str(), c.linkOwner, c.linkOwner), 0);
        ASSERT_EQ(::chown(folder.c_str(), c.folderOwner, c.folderOwner), 0);
        ASSERT_EQ(::chmod(folder.c_str(), c.mode), 0);

        kernel::unique_fd opened;
        EXPECT_EQ(kernel::walk_path(folder / "link" / "file", kernel::last_link::follow, opened),
                  c.followed ? 0 : ELOOP);
        // A link at the end is opened itself when asked, wherever it is.
        ASSERT_EQ(kernel::walk_path(folder / "link", kernel::last_link::keep, opened), 0);
        struct stat facts {};
        ASSERT_EQ(::fstat(opened.get(), &facts), 0);
        EXPECT_TRUE(S_ISLNK(facts.st_mode));

        if (!c.followed) {
            // Nothing is written, opened up or deleted through it; the code names the cause.
            const auto cant_resolve = static_cast<int>(kernel::win32::cant_resolve_filename);
            EXPECT_EQ(kernel::delete_file(folder / "link" / "file").value(), cant_resolve);
            EXPECT_EQ(kernel::create_folder(folder / "link" / "new").value(), cant_resolve);
            EXPECT_EQ(kernel::set_file_attributes(folder / "link" / "file", kernel::file_attribute_readonly).value(),
                      cant_resolve);
            std::error_code error;
            EXPECT_FALSE(kernel::open_shared_file(folder / "link" / "new", kernel::file_access::write, error));
            EXPECT_EQ(error.value(), cant_resolve);
            EXPECT_TRUE(fs::exists(target / "file"));
            EXPECT_FALSE(fs::exists(target / "new"));
            EXPECT_EQ(fs::status(target / "file").permissions() & fs::owner_write, fs::owner_write);
        }
    }
}

TEST(PathWalk, AFolderOthersMayWriteHoldsNoFileOfOursToChangeInPlace) {
    scratch_folder scratch;
    const fs::path shared = scratch / "shared";
    const fs::path own = scratch / "own";
    fs::create_directories(shared);
    fs::create_directories(own);
    ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
    Put(own / "root file", "root's");
    fs::create_hard_link(own / "root file", shared / "second name");
    fs::create_symlink(own / "root file", shared / "link");
    ASSERT_EQ(::mkfifo((shared / "fifo").c_str(), 0666), 0);
    Put(shared / "plain", "ours");

    using kernel::found_item;
    EXPECT_EQ(kernel::find_item(shared / "second name"), found_item::planted);
    EXPECT_EQ(kernel::find_item(shared / "link"), found_item::planted);
    EXPECT_EQ(kernel::find_item(shared / "fifo"), found_item::planted);
    EXPECT_EQ(kernel::find_item(shared / "plain"), found_item::file);
    EXPECT_EQ(kernel::find_item(shared / "missing"), found_item::nothing);
    EXPECT_EQ(kernel::find_item(own / "root file"), found_item::file) << "two names where only root writes";

    // The second name gets no attribute change, and no file there is opened for writing in place.
    EXPECT_EQ(kernel::set_file_attributes(shared / "second name", kernel::file_attribute_readonly).value(),
              static_cast<int>(kernel::win32::access_denied));
    std::error_code error;
    for (const char* name : {"second name", "plain"}) {
        EXPECT_FALSE(kernel::open_shared_file(shared / name, kernel::file_access::write, error)) << name;
        EXPECT_EQ(error.value(), static_cast<int>(kernel::win32::already_exists)) << name;
    }
    EXPECT_TRUE(kernel::open_shared_file(shared / "new", kernel::file_access::write, error)) << error.message();
    EXPECT_EQ(fs::status(own / "root file").permissions() & fs::owner_write, fs::owner_write);

    // Deleting a link or a second name takes the name away, never the file it leads to.
    EXPECT_FALSE(kernel::delete_file(shared / "link"));
    EXPECT_FALSE(kernel::delete_file(shared / "second name"));
    std::ifstream in((own / "root file").string());
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "root's");
}

}  // namespace
