#include "engine/shortcuts.hpp"

#include "engine_fixture.hpp"

#include <gtest/gtest.h>

namespace fs = boost::filesystem;

namespace {

class Shortcut : public EngineTest {};

TEST_F(Shortcut, IsWrittenInItsFolderOnlyForATargetWithAFolder) {
    const std::string folder = (machine.root() / "menu").string();
    fs::create_directories(folder);
    const struct {
        const char* target;
        const char* name;
        const char* file;  // empty: no shortcut
    } cases[] = {
        {"/opt/q/quillon", "Quillon 7.02b", "Quillon 7.02b.desktop"},
        {"/opt/q/quillon.bin", "", "quillon.desktop"},  // without a name: the target's, without extension
        {"", "Quillon", ""},                            // no main program found in the payload
        {"quillon", "Quillon", ""},                     // no folder to work in
        {"/opt/q/quillon", "../Quillon", ""},           // a name that leaves the folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target + std::string(" / ") + c.name);
        std::string created = "untouched";
        const bool made = CreateShortcut(c.target, folder, c.name, &created);
        EXPECT_EQ(made, *c.file != '\0');
        if (made) {
            EXPECT_EQ(created, folder + "/" + c.file);
            const std::string entry = ReadFile(created);
            EXPECT_NE(entry.find("Exec=" + std::string(c.target)), std::string::npos) << entry;
            EXPECT_NE(entry.find("Path=/opt/q\n"), std::string::npos) << entry;
        } else {
            EXPECT_EQ(created, "untouched");
        }
    }
    EXPECT_FALSE(fs::exists(machine.root() / "Quillon.desktop"));
}

}  // namespace
