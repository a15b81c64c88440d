#include "platform/kernel/folder_listing.hpp"

#include "platform/scratch_folder.hpp"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <map>

namespace kernel = platform::kernel;
namespace fs = boost::filesystem;
using test_support::scratch_folder;

TEST(FolderListing, IdentitiesNameTheItemThroughLinks) {
    scratch_folder scratch;
    test_support::write_file(scratch / "file", "x");
    test_support::write_file(scratch / "other", "x");
    fs::create_symlink(scratch / "file", scratch / "link");

    const auto file = kernel::identity_of((scratch / "file").string());
    ASSERT_TRUE(file);
    struct stat status {};
    ASSERT_EQ(::stat((scratch / "file").c_str(), &status), 0);
    EXPECT_EQ(file->device, static_cast<std::uint64_t>(status.st_dev));
    EXPECT_EQ(file->inode, static_cast<std::uint64_t>(status.st_ino));
    EXPECT_EQ(kernel::identity_of((scratch / "link").string()), file);
    EXPECT_NE(kernel::identity_of((scratch / "other").string()), file);
    EXPECT_FALSE(kernel::identity_of((scratch / "missing").string()));
    EXPECT_FALSE(kernel::identity_of((scratch / "file/below").string()));
}

TEST(FolderListing, ReportsEveryEntryAndMarksOnlyRegularFiles) {
    scratch_folder scratch;
    test_support::write_file(scratch / "file", "x");
    fs::create_directory(scratch / "folder");
    fs::create_symlink(scratch / "file", scratch / "link");

    std::map<std::string, kernel::folder_entry> seen;
    ASSERT_TRUE(kernel::list_folder(scratch.path().string(), [&](const kernel::folder_entry& entry) {
        EXPECT_TRUE(seen.emplace(std::string(entry.name), entry).second) << entry.name;
    }));
    ASSERT_EQ(seen.size(), 5u);
    for (const char* name : {".", "..", "file", "folder", "link"}) {
        ASSERT_TRUE(seen.count(name)) << name;
        EXPECT_EQ(seen[name].regular_file, std::string(name) == "file") << name;
    }
    EXPECT_EQ(seen["file"].inode, kernel::identity_of((scratch / "file").string())->inode);
    EXPECT_EQ(seen["folder"].inode, kernel::identity_of((scratch / "folder").string())->inode);
}

TEST(FolderListing, FailsWithoutCallingForWhatIsNoReadableFolder) {
    scratch_folder scratch;
    test_support::write_file(scratch / "file", "x");
    int calls = 0;
    const auto count = [&](const kernel::folder_entry&) { ++calls; };
    EXPECT_FALSE(kernel::list_folder((scratch / "missing").string(), count));
    EXPECT_FALSE(kernel::list_folder((scratch / "file").string(), count));
    EXPECT_EQ(calls, 0);
}
