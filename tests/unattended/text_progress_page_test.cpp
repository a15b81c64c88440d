#include "unattended/text_progress_page.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// What the engine does in a short run: a divider, a step, two files with progress, a failing step.
void ReportRun(InstallProgressPage& page) {
    page.AppendLogLine("", true);
    page.SetStatusText("Preparing Installation...");
    page.AppendLogLine("Preparing Installation...", false);
    page.AppendLogLine("OK\r\n", false);
    page.SetProgress(0);
    page.ShowProgress();
    for (const char* file : {"\"/opt/Vintrel/Quillon 7/quillon\"", "/opt/data.bin"}) {
        const std::string text = std::string("Copying File  ") + file + "...";
        page.SetStatusPath(text);
        page.AppendLogLine(text, false);
        page.SetProgress(40);
        page.SetProgress(100);
        page.AppendLogLine("OK\r\n", false);
    }
    page.SetStatusText("Shortcuts Creation...");
    page.AppendLogLine("Shortcuts Creation...", false);
    page.AppendLogLine("Failed\r\n", false);
}

TEST(TextProgressPage, ElsewhereThanOnATerminalEachFinishedLogLineIsALine) {
    std::ostringstream out;
    {
        TextProgressPage page(out, 0);
        ReportRun(page);
        EXPECT_EQ(page.StatusText(), "Shortcuts Creation...");
    }
    EXPECT_EQ(out.str(),
              "Preparing Installation...OK\n"
              "Copying File  \"/opt/Vintrel/Quillon 7/quillon\"...OK\n"
              "Copying File  /opt/data.bin...OK\n"
              "Shortcuts Creation...Failed\n");
}

TEST(TextProgressPage, OnATerminalOneBarIsRedrawnInPlaceBelowTheFinishedSteps) {
    std::ostringstream out;
    TextProgressPage page(out, 40);
    ReportRun(page);
    page.Finish();
    const std::string text = out.str();

    // Finished steps stay as lines; file copies only pass through the bar.
    EXPECT_NE(text.find("\rPreparing Installation...OK\x1b[K\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\rShortcuts Creation...Failed\x1b[K\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("data.bin...OK"), std::string::npos) << text;
    // The bar: percentage and the file, its path shortened from the front to fit 39 columns.
    EXPECT_NE(text.find("\r[########            ]  40%  ....bin...\x1b[K"), std::string::npos) << text;
    EXPECT_NE(text.find("\r[####################] 100%  ...lon\"...\x1b[K"), std::string::npos) << text;
    for (std::size_t start = 0, end; (end = text.find("\x1b[K", start)) != std::string::npos; start = end + 3) {
        const std::size_t lineStart = text.rfind('\r', end);
        EXPECT_LE(end - lineStart - 1, 39u) << text.substr(lineStart, end - lineStart);
    }
    // Nothing is drawn twice in a row, and the bar is cleared at the end.
    EXPECT_EQ(text.find("\r[########            ]  40%  ....bin...\x1b[K\r[########            ]  40%  ....bin"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");
}

}  // namespace
