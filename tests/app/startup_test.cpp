// The start-up rules: the command line, the tips, the default session's place and the
// registration of the mail component the program ships with.

#include "app/mail_component.h"
#include "app/startup.h"
#include "settings/settings_table.h"
#include "support/scoped_env.h"
#include "support/temp_tree.h"
#include "velomail/client/object_factory.h"
#include "velomail/registry/registry.h"

#include <climits>
#include <cstdlib>
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

// The program's start registers the mail library it ships with, on a temporary
// XDG_CONFIG_HOME, and leaves a working registration alone.
using velomail::client::registeredLibrary;

std::string shippedLibrary() {
    char resolved[PATH_MAX];
    return ::realpath(VELOMAIL_LIBRARY_PATH, resolved) != nullptr ? resolved : "";
}

void registerPath(const std::string& file, const std::string& library) {
    auto registry = velomail::loadRegistry(file);
    ASSERT_TRUE(registry);
    registry->setValue("CLSID/" + velomail::guidToString(CLSID_Smtp) + "/InprocServer32", "@",
                       library);
    ASSERT_TRUE(velomail::saveRegistry(file, *registry));
}

TEST(MailComponent, RegisteredAtStartUnlessAnExistingLibraryIsRegistered) {
    test::TempTree tree;
    test::ScopedEnv config("XDG_CONFIG_HOME", tree.root());
    const std::string file = tree.path("pairwell/components.ini");

    EXPECT_EQ(registerMailComponent(tree.path("missing.so")), MailRegistration::Failed);
    EXPECT_FALSE(registeredLibrary(CLSID_Smtp));

    EXPECT_EQ(registerMailComponent(VELOMAIL_LIBRARY_PATH), MailRegistration::Registered);
    EXPECT_EQ(registeredLibrary(CLSID_Smtp), shippedLibrary());
    velomail::client::ObjectRef smtp;
    EXPECT_EQ(velomail::client::createObject("Velomail.Smtp", IID_ISmtp, smtp), S_OK);
    smtp.reset();

    // Another installation's library that exists stays registered.
    const std::string other = tree.addFile("other/libvelomail.so", "x");
    registerPath(file, other);
    EXPECT_EQ(registerMailComponent(VELOMAIL_LIBRARY_PATH), MailRegistration::AlreadyRegistered);
    EXPECT_EQ(registeredLibrary(CLSID_Smtp), other);

    // A registration whose library is gone counts as none.
    registerPath(file, tree.path("gone/libvelomail.so"));
    EXPECT_EQ(registerMailComponent(VELOMAIL_LIBRARY_PATH), MailRegistration::Registered);
    EXPECT_EQ(registeredLibrary(CLSID_Smtp), shippedLibrary());
}

} // namespace
} // namespace pw
