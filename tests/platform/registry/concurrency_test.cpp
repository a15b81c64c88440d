// Several real processes on one registry: nothing written is lost, and a process killed in the middle of
// a change leaves every key as it was before or after that change.
#include "platform/registry/key.hpp"
#include "platform/registry/key_file.hpp"

#include "support/sandbox_machine.hpp"
#include "support/scoped_privileges.hpp"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>

namespace reg = platform::registry;

namespace {

// Runs `work` in a child process; the child's exit code is 0 when it returned true.
pid_t spawn(const std::function<bool()>& work) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(work() ? 0 : 1);
    }
    return pid;
}

int exit_code_of(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

using RegistryConcurrency = test_support::sandbox_test;

TEST_F(RegistryConcurrency, ProcessesWritingAtOnceLoseNothing) {
    constexpr int processes = 6;
    constexpr int values_each = 20;
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p) {
        children.push_back(spawn([&, p] {
            ::close(start[1]);
            char go;
            (void)!::read(start[0], &go, 1);  // all start together, when the pipe closes
            for (int v = 0; v < values_each; ++v) {
                // Every process creates the shared key too, so creation races as well.
                auto shared = reg::Key::create(reg::hive::local_machine, "Software\\Shared");
                if (!shared || shared->key.set_dword("p" + std::to_string(p) + "v" + std::to_string(v), v) ||
                    !shared->key.create("Child " + std::to_string(p))) {
                    return false;
                }
            }
            return true;
        }));
        ASSERT_GT(children.back(), 0);
    }
    ::close(start[0]);
    ::close(start[1]);
    for (const pid_t child : children) {
        EXPECT_EQ(exit_code_of(child), 0);
    }

    const auto shared = reg::Key::open(reg::hive::local_machine, "Software\\Shared");
    ASSERT_TRUE(shared);
    EXPECT_EQ(shared->values()->size(), std::size_t{processes * values_each});
    for (int p = 0; p < processes; ++p) {
        for (int v = 0; v < values_each; ++v) {
            EXPECT_EQ(shared->query_dword("p" + std::to_string(p) + "v" + std::to_string(v)).value(),
                      static_cast<std::uint32_t>(v));
        }
    }
    EXPECT_EQ(shared->subkeys()->size(), std::size_t{processes});
}

TEST_F(RegistryConcurrency, AKilledProcessLeavesTheKeyWholeOrUnchanged) {
    test_support::scoped_privileges privileges({"SeBackupPrivilege", "SeRestorePrivilege"});
    const reg::Key key = reg::Key::create(reg::hive::local_machine, "Software\\Big")->key;

    // Two versions of a key large enough that writing one takes a while.
    auto version = [](const std::string& tag, int keys) {
        reg::key_tree tree{reg::tree_key{}};
        for (int k = 0; k < keys; ++k) {
            tree.push_back({tag + std::to_string(k), 0, {}});
            for (int v = 0; v < 50; ++v) {
                tree.back().values.push_back(
                    {"value " + std::to_string(v), reg::string_value(tag + std::to_string(k * v))});
            }
        }
        return tree;
    };
    const auto file_a = machine.temp() / "a";
    const auto file_b = machine.temp() / "b";
    ASSERT_FALSE(reg::detail::write_key_file(file_a, version("a", 20)));
    ASSERT_FALSE(reg::detail::write_key_file(file_b, version("b", 30)));
    ASSERT_FALSE(key.restore(file_b));
    const reg::key_tree tree_b = *key.read_tree();
    // Kills land anywhere in the first few restores, however fast this machine writes.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_FALSE(key.restore(file_a));
    const auto one_restore =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    const reg::key_tree tree_a = *key.read_tree();
    ASSERT_EQ(tree_a.size(), 21u);
    ASSERT_EQ(tree_b.size(), 31u);

    std::mt19937 random(12345);
    for (int round = 0; round < 12; ++round) {
        const pid_t child = spawn([&] {
            const reg::Key own = *reg::Key::open(reg::hive::local_machine, "Software\\Big");
            for (;;) {
                if (own.restore(file_a) || own.restore(file_b)) {
                    return false;
                }
            }
        });
        ASSERT_GT(child, 0);
        // The child needs a moment to start and open the store before its first restore.
        const auto longest = static_cast<useconds_t>(4 * one_restore.count() + 20000);
        ::usleep(std::uniform_int_distribution<useconds_t>(0, longest)(random));
        ::kill(child, SIGKILL);
        EXPECT_EQ(exit_code_of(child), 128 + SIGKILL);

        const auto tree = key.read_tree();
        ASSERT_TRUE(tree) << tree.error().message();
        EXPECT_TRUE(*tree == tree_a || *tree == tree_b) << "round " << round << ": a partly written key";
        // The store takes changes again at once.
        ASSERT_FALSE(key.set_dword("alive", round));
        ASSERT_FALSE(key.delete_value("alive"));
    }
}

}  // namespace
