// The start-up rules: the command line, the tips, the default session's place and the
// twips of the stored geometry.

#include "app/startup.h"
#include "settings/settings_table.h"
#include "support/scoped_env.h"
#include "support/temp_tree.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace pw {
namespace {

using test::ScopedEnv;
using test::TempTree;

TEST(Startup, MinusUnAnywhereAsksForTheSurveyAlone) {
    for (const char* line : {"-un", "x -un", "/tmp/re-unite.pwf", "--unknown"}) {
        EXPECT_EQ(entryWindow(line), StartWindow::Survey) << line;
    }
    for (const char* line : {"", "-UN", "/tmp/a.pwf", "-u n"}) {
        EXPECT_EQ(entryWindow(line), StartWindow::MainWindow) << line;
    }
    EXPECT_EQ(commandLineText({"\"/my files/a.pwf\"", "b"}), "\"/my files/a.pwf\" b");
    EXPECT_EQ(commandLineText({}), "");
}

TEST(Startup, ASessionNamedOnTheCommandLineLosesItsQuotesAndSkipsTheTip) {
    MemorySettingsStore store;
    const FirstActivation named = firstActivation("\"/my files/a.pwf\"", store);
    EXPECT_EQ(named.sessionPath, "/my files/a.pwf");
    EXPECT_FALSE(named.showTip);
    const UserMessage missing = sessionNotFoundMessage(named.sessionPath);
    EXPECT_EQ(missing.text, "\"/my files/a.pwf\"");
    EXPECT_EQ(missing.title, "File Not Found");

    EXPECT_TRUE(firstActivation("", store).showTip);
    saveShowTipsAtStartup(store, false);
    const FirstActivation quiet = firstActivation("", store);
    EXPECT_FALSE(quiet.showTip);
    EXPECT_EQ(quiet.sessionPath, "");
}

TEST(Startup, TipsAreDrawnFromTheSourceAcrossAllThirteen) {
    int asked = 0;
    const auto fixed = [&asked](int number) {
        return RandomSource([&asked, number](int low, int high) {
            EXPECT_EQ(low, 1);
            EXPECT_EQ(high, 13);
            ++asked;
            return number;
        });
    };
    EXPECT_EQ(drawTip(fixed(1)), kTips.front());
    EXPECT_EQ(drawTip(fixed(13)), kTips.back());
    EXPECT_EQ(drawTip(fixed(0)), kTips.front()); // a faulty source stays in range
    EXPECT_EQ(drawTip(fixed(99)), kTips.back());
    EXPECT_EQ(asked, 4);
    const RandomSource random = defaultRandomSource();
    for (int i = 0; i < 200; ++i) {
        const int n = random(1, 13);
        ASSERT_GE(n, 1);
        ASSERT_LE(n, 13);
    }
}

TEST(Startup, TheDefaultSessionLivesInTheUserDataFolderInAnyLetterCase) {
    TempTree tree;
    {
        ScopedEnv data("XDG_DATA_HOME", "relative/ignored");
        ScopedEnv home("HOME", tree.path("home"));
        EXPECT_EQ(userDataFolder(), tree.path("home/.local/share/pairwell"));
    }
    ScopedEnv data("XDG_DATA_HOME", tree.path("data"));
    const std::string folder = userDataFolder();
    EXPECT_EQ(folder, tree.path("data/pairwell"));
    // The first look-up makes the folder, so that the first save can write there.
    EXPECT_EQ(defaultSessionFile(folder), folder + "/Default.pwf");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    tree.addFile("data/pairwell/DEFAULT.PWF", "x");
    tree.addFile("data/pairwell/default.pwf", "x");
    EXPECT_EQ(defaultSessionFile(folder), folder + "/DEFAULT.PWF");
    tree.addFile("data/pairwell/Default.pwf", "x");
    EXPECT_EQ(defaultSessionFile(folder), folder + "/Default.pwf");
    EXPECT_EQ(defaultSessionFile(""), "");
}

} // namespace
} // namespace pw
