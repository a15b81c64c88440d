#include "uninstall_log/log_merge.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <fstream>
#include <random>

namespace fs = boost::filesystem;

namespace {

// The merge as a plain scan: each previous entry, the last first, compared with every current entry
// from the head; the first match drops it.
bool SameItem(const std::string& a, const std::string& b) {
    if (a == b) {
        return true;
    }
    boost::system::error_code ea, eb;
    const bool aExists = fs::exists(a, ea);
    const bool bExists = fs::exists(b, eb);
    if (aExists && bExists) {
        return fs::equivalent(a, b);
    }
    if (aExists || bExists) {
        return false;
    }
    auto normal = [](const std::string& p) {
        std::string out;
        for (const auto& c : fs::absolute(p).lexically_normal()) {
            if (c != "." && !c.empty()) {
                out += '/' + c.string();
            }
        }
        std::transform(out.begin(), out.end(), out.begin(), [](unsigned char ch) { return std::tolower(ch); });
        return out;
    };
    return normal(a) == normal(b);
}

void ReferenceMerge(std::list<UninstallLogEntry>& previous, std::list<UninstallLogEntry>& current) {
    while (!previous.empty()) {
        auto old = std::prev(previous.end());
        const bool matched = std::any_of(current.begin(), current.end(), [&](const UninstallLogEntry& e) {
            return e.kind == old->kind && (KindNumber(e.kind) > 1 || SameItem(e.path, old->path));
        });
        if (matched) {
            previous.erase(old);
        } else {
            current.splice(current.begin(), previous, old);
        }
    }
}

}  // namespace

TEST(LogMerge, GivesTheSameResultAsAPlainScan) {
    const fs::path dir = fs::temp_directory_path() / fs::unique_path("merge-%%%%-%%%%");
    fs::create_directories(dir / "Sub");
    for (const char* name : {"a", "b", "Sub/c"}) {
        std::ofstream((dir / name).string()) << name;
    }
    fs::create_hard_link(dir / "a", dir / "hard-a");
    fs::create_symlink(dir / "Sub", dir / "link-sub");

    // Paths that differ in case, in "..", in links, paths of items that do not exist, and one under
    // a file, whose "folder" cannot be listed.
    const std::vector<std::string> paths = {
        (dir / "a").string(),         (dir / "A").string(),          (dir / "hard-a").string(),
        (dir / "Sub/c").string(),     (dir / "link-sub/c").string(), (dir / "Sub/../b").string(),
        (dir / "b").string(),         (dir / "gone/X").string(),     (dir / "GONE/x").string(),
        (dir / "gone/./x/").string(), (dir / "Sub").string(),        (dir / "link-sub").string(),
        (dir / "a/inside").string()};
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::list<UninstallLogEntry> previous, current;
        for (auto* list : {&previous, &current}) {
            const int count = static_cast<int>(random() % 8);
            for (int i = 0; i < count; ++i) {
                UninstallLogEntry e;
                e.kind = static_cast<EntryKind>(random() % 3 == 0 ? random() % 8 : random() % 2);
                e.path = paths[random() % paths.size()];
                e.value = static_cast<int>(list->size());
                list->push_back(e);
            }
        }
        auto expectedPrevious = previous;
        auto expected = current;
        ReferenceMerge(expectedPrevious, expected);
        MergePreviousEntries(previous, current);
        ASSERT_TRUE(previous.empty());
        ASSERT_EQ(current.size(), expected.size()) << "round " << round;
        for (auto a = current.begin(), b = expected.begin(); a != current.end(); ++a, ++b) {
            EXPECT_EQ(a->kind, b->kind);
            EXPECT_EQ(a->path, b->path);
            EXPECT_EQ(a->value, b->value);
        }
    }
    fs::remove_all(dir);
}
