#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

int main(int argc, char* argv[]) {
    // Listing the tests at build time runs this too, with no display to talk to.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Settings, data and the lock file go to a folder of this process alone; Qt reads the
    // XDG folders once, so they are set before anything asks.
    std::string rootTemplate =
        (std::filesystem::temp_directory_path() / "pairwell-ui-test-XXXXXX").string();
    const std::string root = mkdtemp(rootTemplate.data());
    for (const char* folder : {"config", "data", "runtime", "scratch"}) {
        std::filesystem::create_directories(root + "/" + folder);
    }
    std::filesystem::permissions(root + "/runtime", std::filesystem::perms::owner_all);
    setenv("PAIRWELL_UI_TEST_ROOT", root.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pairwell"));
    QApplication::setOrganizationName(QStringLiteral("Pairwell"));
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    if (std::getenv("KEEP_TEST_TREE") == nullptr) {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    return status;
}
