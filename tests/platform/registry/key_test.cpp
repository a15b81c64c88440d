#include "platform/registry/key.hpp"

#include "support/sandbox_machine.hpp"

#include <gtest/gtest.h>

#include <boost/filesystem/operations.hpp>

#include <fstream>

namespace fs = boost::filesystem;
namespace reg = platform::registry;

using reg::errc;

namespace {

class RegistryKey : public test_support::sandbox_test {
protected:
    static reg::Key create(std::string_view path, reg::hive h = reg::hive::local_machine) {
        auto made = reg::Key::create(h, path);
        EXPECT_TRUE(made) << path << ": " << made.error().message();
        return made ? made->key : reg::Key();
    }
};

TEST_F(RegistryKey, CreateTellsNewFromExistingAndMakesTheWholePath) {
    auto first = reg::Key::create(reg::hive::local_machine, "Software\\Vintrel\\Quillon 7");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->disposition, reg::disposition::created_new_key);

    auto again = reg::Key::create(reg::hive::local_machine, "SOFTWARE\\vintrel\\QUILLON 7");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->disposition, reg::disposition::opened_existing_key);

    auto parent = reg::Key::open(reg::hive::local_machine, "Software\\Vintrel");
    ASSERT_TRUE(parent);
    auto sibling = parent->create("Other");
    ASSERT_TRUE(sibling);
    EXPECT_EQ(sibling->disposition, reg::disposition::created_new_key);
    EXPECT_EQ(parent->create("")->disposition, reg::disposition::opened_existing_key);

    // A value written through one handle is seen through another to the same key.
    ASSERT_FALSE(first->key.set_dword("n", 7));
    EXPECT_EQ(*again->key.query_dword("N"), 7u);
}

TEST_F(RegistryKey, NamesIgnoreCaseAndKeepTheCaseTheyWereCreatedWith) {
    const reg::Key key = create("Software\\Vintrel");
    ASSERT_FALSE(key.set_string("Quillon 7 Path", "/opt/a"));
    ASSERT_FALSE(key.set_string("QUILLON 7 PATH", "/opt/b"));
    ASSERT_FALSE(create("SOFTWARE\\VINTREL\\Ünïcode").set_dword("x", 1));
    EXPECT_EQ(create("software\\vintrel\\üNÏCODE").query_dword("X").value(), 1u);

    const auto values = key.values();
    ASSERT_TRUE(values);
    ASSERT_EQ(values->size(), 1u);
    EXPECT_EQ((*values)[0].name, "Quillon 7 Path");
    EXPECT_EQ(*key.query_string("quillon 7 path"), "/opt/b");

    EXPECT_EQ(*reg::Key::root(reg::hive::local_machine).subkeys(), std::vector<std::string>{"Software"});
    EXPECT_EQ(*reg::Key::open(reg::hive::local_machine, "software")->subkeys(), std::vector<std::string>{"Vintrel"});
}

TEST_F(RegistryKey, ValuesKeepTheirTypeAndExactBytes) {
    const reg::Key key = create("Software\\Types");
    const std::vector<std::uint8_t> odd_string{'a', 0, 'b'};  // no terminating null, odd size
    const reg::value cases[] = {
        reg::string_value("Quillon 7.02b"),
        reg::string_value("%ProgramFiles%\\x", reg::value_type::expand_sz),
        reg::string_value(""),
        {reg::value_type::sz, odd_string},
        reg::multi_string_value({"one", "two"}),
        reg::dword_value(0xFFFFFFF6),
        reg::qword_value(0x0007000200020001),
        reg::binary_value(std::vector<std::uint8_t>{0, 1, 2, 255}),
        {reg::value_type::none, {}},
        {static_cast<reg::value_type>(0x12345), {9}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        ASSERT_FALSE(key.set_value("v" + std::to_string(i), cases[i]));
    }
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto name = "v" + std::to_string(i);
        EXPECT_EQ(*key.query(name), cases[i]) << name;
        const auto info = key.query_info(name);
        EXPECT_EQ(info->type, cases[i].type) << name;
        EXPECT_EQ(info->size, cases[i].data.size()) << name;
    }
    // REG_SZ counts its terminating null: (characters + 1) x 2.
    EXPECT_EQ(key.query_info("v0")->size, (13u + 1) * 2);
}

TEST_F(RegistryKey, DefaultValueHasTheEmptyName) {
    const reg::Key key = create("Software\\Default");
    EXPECT_EQ(key.query("").error(), errc::file_not_found);
    ASSERT_FALSE(key.set_string("", "default text"));
    EXPECT_EQ(*key.query_string(""), "default text");
    EXPECT_EQ(key.values()->at(0).name, "");
}

TEST_F(RegistryKey, ValuesEnumerateInCreationOrderAndKeepTheirPlaceWhenRewritten) {
    const reg::Key key = create("Software\\Order");
    for (const char* name : {"zeta", "alpha", "mid"}) {
        ASSERT_FALSE(key.set_dword(name, 1));
    }
    ASSERT_FALSE(key.set_dword("ALPHA", 2));
    std::vector<std::string> names;
    for (const auto& v : *key.values()) {
        names.push_back(v.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"zeta", "alpha", "mid"}));
}

TEST_F(RegistryKey, TypedQueriesReportTheMismatch) {
    const reg::Key key = create("Software\\Typed");
    ASSERT_FALSE(key.set_dword("number", 5));
    ASSERT_FALSE(key.set_string("text", "5"));
    ASSERT_FALSE(key.set_value("short", {reg::value_type::dword, {1, 2}}));
    ASSERT_FALSE(key.set_value("odd", {reg::value_type::sz, {'a', 0, 0}}));

    EXPECT_EQ(key.query_string("number").error(), errc::unsupported_type);
    EXPECT_EQ(key.query_dword("text").error(), errc::unsupported_type);
    EXPECT_EQ(key.query_dword("short").error(), errc::datatype_mismatch);
    EXPECT_EQ(key.query_string("odd").error(), errc::invalid_data);
    EXPECT_EQ(key.query_string("missing").error(), errc::file_not_found);

    std::uint8_t four[4] = {};
    std::uint8_t two[2] = {};
    EXPECT_EQ(key.query_into("number", four)->size, 4u);
    EXPECT_EQ(four[0], 5);
    EXPECT_EQ(key.query_into("text", four)->type, reg::value_type::sz);
    EXPECT_EQ(key.query_into("number", two).error(), errc::more_data);
}

TEST_F(RegistryKey, DeletingValuesAndTrees) {
    const reg::Key uninstall = create("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    const reg::Key product = uninstall.create("Quillon 7\\Deep\\Deeper")->key;
    ASSERT_FALSE(product.set_dword("x", 1));
    ASSERT_FALSE(uninstall.create("Other")->key.set_dword("kept", 1));
    ASSERT_FALSE(uninstall.set_dword("DisplayName", 1));

    EXPECT_FALSE(uninstall.delete_value("displayname"));
    EXPECT_EQ(uninstall.delete_value("DisplayName"), errc::file_not_found);

    EXPECT_FALSE(uninstall.delete_tree("QUILLON 7"));
    EXPECT_EQ(uninstall.open("Quillon 7").error(), errc::file_not_found);
    EXPECT_EQ(uninstall.delete_tree("Quillon 7"), errc::file_not_found);
    EXPECT_EQ(*uninstall.subkeys(), std::vector<std::string>{"Other"});
    EXPECT_EQ(*uninstall.open("Other")->query_dword("kept"), 1u);

    // A handle to a deleted key fails rather than reaching a key later made in its place.
    EXPECT_EQ(product.set_dword("y", 1), errc::key_deleted);
    ASSERT_TRUE(uninstall.create("Quillon 7\\Deep\\Deeper"));
    EXPECT_EQ(product.query("x").error(), errc::key_deleted);
    EXPECT_EQ(product.create("child").error(), errc::key_deleted);
}

TEST_F(RegistryKey, BadNamesAreRefusedAndChangeNothing) {
    const std::string long_name(256, 'k');
    const struct {
        const char* what;
        std::string path;
        errc expected;
    } paths[] = {
        {"leading separator", "\\Software", errc::bad_pathname},
        {"empty component", "Software\\\\Vintrel", errc::bad_pathname},
        {"trailing separator", "Software\\", errc::bad_pathname},
        {"name over 255 units", "Software\\" + long_name, errc::invalid_parameter},
        {"ill-formed UTF-8", "Software\\\xFF", errc::invalid_parameter},
        {"null character", std::string("Soft\0ware", 9), errc::invalid_parameter},
    };
    for (const auto& c : paths) {
        EXPECT_EQ(reg::Key::create(reg::hive::local_machine, c.path).error(), c.expected) << c.what;
        EXPECT_EQ(reg::Key::open(reg::hive::local_machine, c.path).error(), c.expected) << c.what;
    }
    EXPECT_TRUE(reg::Key::create(reg::hive::local_machine, std::string(255, 'k')));

    const reg::Key key = create("Software\\Names");
    EXPECT_EQ(key.set_dword(std::string(16384, 'v'), 1), errc::invalid_parameter);
    EXPECT_FALSE(key.set_dword(std::string(16383, 'v'), 1));
    EXPECT_FALSE(key.set_dword("back\\slash is fine in a value name", 1));

    const reg::Key empty;
    EXPECT_EQ(empty.set_dword("x", 1), errc::invalid_handle);
    EXPECT_EQ(empty.open("x").error(), errc::invalid_handle);
    EXPECT_EQ(empty.values().error(), errc::invalid_handle);
}

TEST_F(RegistryKey, ReadsOfAnEmptyMachineFindNothingAndCreateNothing) {
    const auto machine_file = reg::hive_file(reg::hive::local_machine);
    EXPECT_EQ(machine_file, machine.root() / "var/lib/quillon-registry/machine.db");
    EXPECT_EQ(reg::hive_file(reg::hive::current_user), machine.home() / ".config/quillon-registry/user.db");

    const reg::Key root = reg::Key::root(reg::hive::local_machine);
    // Callers show and compare the Windows error number.
    EXPECT_EQ(reg::Key::open(reg::hive::local_machine, "Software").error().value(), 2);
    EXPECT_EQ(reg::get_value(reg::hive::local_machine, "Software\\Vintrel", "Quillon 7 Path").error(),
              errc::file_not_found);
    EXPECT_TRUE(root.subkeys()->empty());
    EXPECT_TRUE(root.values()->empty());
    EXPECT_EQ(root.query("x").error(), errc::file_not_found);
    EXPECT_EQ(root.delete_tree("Software"), errc::file_not_found);
    EXPECT_EQ(root.delete_value("x"), errc::file_not_found);
    EXPECT_FALSE(fs::exists(machine_file.parent_path()));

    ASSERT_FALSE(root.set_dword("x", 1));
    EXPECT_TRUE(fs::is_regular_file(machine_file));
}

TEST_F(RegistryKey, ADamagedStoreIsReportedAndNeverOverwritten) {
    ASSERT_FALSE(create("Software").set_dword("x", 1));
    const auto file = reg::hive_file(reg::hive::local_machine);
    const std::string damage(4096, 'x');
    std::ofstream(file.string(), std::ios::binary | std::ios::trunc) << damage;

    EXPECT_EQ(reg::Key::open(reg::hive::local_machine, "Software").error(), errc::registry_corrupt);
    EXPECT_EQ(reg::Key::create(reg::hive::local_machine, "Other").error(), errc::registry_corrupt);
    EXPECT_EQ(reg::Key::root(reg::hive::local_machine).set_dword("y", 1), errc::registry_corrupt);
    EXPECT_EQ(fs::file_size(file), damage.size());
}

TEST_F(RegistryKey, TheTwoHivesAreSeparate) {
    ASSERT_FALSE(create("Software\\Vintrel", reg::hive::current_user).set_dword("user", 1));
    EXPECT_EQ(reg::Key::open(reg::hive::local_machine, "Software\\Vintrel").error(), errc::file_not_found);
    EXPECT_EQ(*reg::get_value(reg::hive::current_user, "software\\vintrel", "USER"), reg::dword_value(1));
    EXPECT_TRUE(fs::exists(reg::hive_file(reg::hive::current_user)));
    EXPECT_FALSE(fs::exists(reg::hive_file(reg::hive::local_machine)));
}

TEST_F(RegistryKey, ReadTreeListsTheKeyDepthFirstInNameOrder) {
    const reg::Key top = create("Software\\Tree");
    ASSERT_FALSE(top.set_dword("top", 1));
    ASSERT_TRUE(top.create("b\\b2"));
    ASSERT_TRUE(top.create("B\\b1"));
    ASSERT_FALSE(top.create("a")->key.set_string("", "in a"));

    const auto tree = top.read_tree();
    ASSERT_TRUE(tree);
    EXPECT_EQ(reg::tree_key_names(*tree, "T"), (std::vector<std::string>{"T", "T\\a", "T\\b", "T\\b\\b1", "T\\b\\b2"}));
    EXPECT_EQ((*tree)[0].values, (std::vector<reg::named_value>{{"top", reg::dword_value(1)}}));
    EXPECT_EQ((*tree)[1].values, (std::vector<reg::named_value>{{"", reg::string_value("in a")}}));
}

}  // namespace
