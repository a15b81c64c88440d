#include "dialog_source.hpp"
#include "string_source.hpp"

#include <gtest/gtest.h>

namespace res = platform::resources;
using namespace platform::resources::styles;

TEST(DialogSource, ReadsTheDialogAndItsControls) {
    const auto source = vnrc::parse_dialog_source(
        "// a comment\n"
        "\n"
        "DIALOG 133 0 0 278 86\r\n"
        "STYLE DS_CONTROL | WS_CHILD | 0x4\n"
        "EXSTYLE WS_EX_CONTROLPARENT\n"
        "CAPTION \"About \\\"%1\\\"\"\n"
        "FONT 9 \"DejaVu Sans\"\n"
        "CONTROL 1007 EDIT \"C:\\\\x\" 16 39 177 12 STYLE ES_AUTOHSCROLL | WS_BORDER // trailing comment\n"
        "CONTROL -1 static #137 -3 0 67 112 STYLE SS_BITMAP | NOT WS_VISIBLE EXSTYLE WS_EX_STATICEDGE\n"
        "CONTROL 1023 \"ComboBoxEx32\" \"\" 149 7 95 130\n");
    EXPECT_EQ(source.id, 133u);
    const res::dialog_template& d = source.dialog;
    EXPECT_EQ(d.style, DS_CONTROL | WS_CHILD | DS_3DLOOK);
    EXPECT_EQ(d.ex_style, WS_EX_CONTROLPARENT);
    EXPECT_EQ(d.caption, "About \"%1\"");
    EXPECT_EQ(d.font_size, 9);
    EXPECT_EQ(std::tie(d.cx, d.cy), std::make_tuple(278, 86));
    ASSERT_EQ(d.controls.size(), 3u);

    const res::control_template& edit = d.controls[0];
    EXPECT_EQ(edit.id, 1007);
    EXPECT_EQ(edit.window_class, "EDIT");
    EXPECT_EQ(edit.text, "C:\\x");
    EXPECT_EQ(std::tie(edit.x, edit.y, edit.cx, edit.cy), std::make_tuple(16, 39, 177, 12));
    EXPECT_EQ(edit.style, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | WS_BORDER);

    const res::control_template& picture = d.controls[1];
    EXPECT_EQ(picture.id, -1);
    EXPECT_EQ(picture.window_class, "STATIC");  // the class's own spelling
    EXPECT_EQ(picture.image_id, 137u);
    EXPECT_EQ(picture.x, -3);
    EXPECT_EQ(picture.style, WS_CHILD | SS_BITMAP);
    EXPECT_EQ(picture.ex_style, WS_EX_STATICEDGE);

    EXPECT_EQ(d.controls[2].window_class, "ComboBoxEx32");
    EXPECT_EQ(d.controls[2].style, WS_CHILD | WS_VISIBLE);
}

TEST(DialogSource, NamesTheLineOfEachMistake) {
    const struct {
        const char* source;
        const char* line;
    } cases[] = {
        {"CAPTION \"x\"\n", "line 1"},                                              // DIALOG first
        {"DIALOG 1 0 0 10 10\nDIALOG 2 0 0 10 10\n", "line 2"},                     // one per file
        {"DIALOG 0 0 0 10 10\n", "line 1"},                                         // id 0
        {"DIALOG 1 0 0 10\n", "line 1"},                                            // missing height
        {"DIALOG 1 0 0 10 10 extra\n", "line 1"},                                   // trailing text
        {"DIALOG 1 0 0 10 10\nSTYLE WS_CHILD | WS_NOSUCH\n", "line 2"},             // unknown style
        {"DIALOG 1 0 0 10 10\nSTYLE WS_CHILD |\n", "line 2"},                       // dangling bar
        {"DIALOG 1 0 0 10 10\nCONTROL 5 LISTBOX \"\" 0 0 1 1\n", "line 2"},         // unknown class
        {"DIALOG 1 0 0 10 10\nCONTROL 5 EDIT \"open 0 0 1 1\n", "line 2"},          // unterminated text
        {"DIALOG 1 0 0 10 10\nCONTROL 5 EDIT \"\" 0 0 1\n", "line 2"},              // missing height
        {"DIALOG 1 0 0 10 10\nCONTROL 5 EDIT \"\" 0 0 1 1 WS_BORDER\n", "line 2"},  // STYLE missing
        {"DIALOG 1 0 0 10 10\nCONTROL 5 STATIC #0 0 0 1 1\n", "line 2"},            // resource 0
        {"DIALOG 1 0 0 10 10\nFONT 0 \"x\"\n", "line 2"},
        {"DIALOG 1 0 0 10 10\nCONTROL 0x 5 EDIT \"\" 0 0 1 1\n", "line 2"},  // bad number
        {"DIALOG 1 0 0 10 10\nCONTROL 5 EDIT \"\" 0 0 1 1 $\n", "line 2"},
        {"// nothing\n", "no DIALOG"},
    };
    for (const auto& c : cases) {
        try {
            vnrc::parse_dialog_source(c.source);
            ADD_FAILURE() << "accepted: " << c.source;
        } catch (const vnrc::source_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.line), std::string::npos) << c.source << " -> " << e.what();
        }
    }
}
