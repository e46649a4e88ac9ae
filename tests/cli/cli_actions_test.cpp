// pairwell-cli acting on the files --mark-duplicates marks: trash, delete, move and copy
// through the engine's runs, with their checks, on small trees.

#include "cli/run_cli.h"
#include "support/scoped_env.h"
#include "support/temp_tree.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace pw::test {
namespace {

namespace fs = std::filesystem;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One group: old/x.bin, which --mark-duplicates marks, and the newer new/x.bin it keeps.
void addPair(TempTree& tree, const std::string& name = "x.bin", std::uint32_t seed = 1) {
    tree.addRandomFile("old/" + name, 3000 + seed, seed);
    tree.addRandomFile("new/" + name, 3000 + seed, seed);
    tree.setMtime("old/" + name, 1500000000);
    tree.setMtime("new/" + name, 1600000000);
}

// Where moved and copied files go: another file system where there is one (/dev/shm), so
// that a move has to copy; otherwise the temporary folder.
std::unique_ptr<TempTree> destinationTree() {
    struct stat shm {};
    struct stat tmp {};
    const bool other = ::stat("/dev/shm", &shm) == 0 &&
                       ::stat(fs::temp_directory_path().c_str(), &tmp) == 0 &&
                       shm.st_dev != tmp.st_dev;
    const ScopedEnv onShm("TMPDIR", other ? std::optional<std::string>("/dev/shm") : std::nullopt);
    return std::make_unique<TempTree>();
}

TEST(CliActions, EachActionDealsWithTheMarkedFileAndKeepsTheOther) {
    // DEST is a folder where a file of the same name already waits; TRASH the home trash.
    struct Case {
        std::vector<std::string> options;
        std::string summary;
        std::string landed; // where the marked file is now; "" when it is gone
    };
    const std::vector<Case> cases = {
        {{"--trash", "--remove-empty-folders"}, "Trashed 1 file; 0 files left.", "TRASH/x.bin"},
        {{"--delete", "--yes"}, "Deleted 1 file; 0 files left.", ""},
        {{"--move-to", "DEST", "--remove-empty-folders"},
         "Moved 1 file to DEST; 0 files left.",
         "DEST/x (2).bin"},
        {{"--copy-to", "DEST", "--yes"}, "Copied 1 file to DEST; 0 files left.", "DEST/x (2).bin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.front());
        TempTree tree;
        addPair(tree);
        const auto out = destinationTree();
        out->addFile("dest/x.bin", "already here");
        // A hidden folder: the scan leaves it out.
        const ScopedEnv dataHome("XDG_DATA_HOME", tree.path(".data"));
        const auto expand = [&](std::string text) {
            for (const auto& [name, folder] :
                 {std::pair{"DEST", out->path("dest")},
                  std::pair{"TRASH", tree.path(".data/Trash/files")}}) {
                if (const auto at = text.find(name); at != std::string::npos) {
                    text.replace(at, std::string(name).size(), folder);
                }
            }
            return text;
        };
        std::vector<std::string> args{"scan", "--no-progress", "--mark-duplicates"};
        for (const std::string& option : c.options) {
            args.push_back(expand(option));
        }
        args.push_back(tree.root());
        const CliRun run = runCli(args);

        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(contains(run.err, expand(c.summary) + "\n")) << run.err;
        EXPECT_EQ(tree.read("new/x.bin"), randomBytes(3001, 1));
        EXPECT_EQ(fs::exists(tree.path("old/x.bin")), c.options.front() == "--copy-to");
        EXPECT_EQ(fs::exists(tree.path("old")), c.options.back() != "--remove-empty-folders");
        if (!c.landed.empty()) {
            EXPECT_EQ(readFile(expand(c.landed)), randomBytes(3001, 1));
        }
        EXPECT_EQ(out->read("dest/x.bin"), "already here");
    }
}

// Regression guard for data loss: a file changed since the scan is no longer the
// duplicate it was, and a group whose kept file changed would lose its last copy.
TEST(CliActions, FilesChangedSinceTheScanAreLeftAndEveryGroupKeepsAFile) {
    TempTree tree;
    addPair(tree, "x.bin", 1);
    addPair(tree, "y.bin", 2);
    TempTree out;
    const std::string session = out.path("s.pwf");
    ASSERT_EQ(runCli({"scan", "--session", session, tree.root()}).status, 0);
    tree.addFile("new/y.bin", "the kept file, rewritten");
    const std::vector<std::string> trash = {"load", "--mark-duplicates", "--trash", session};
    const ScopedEnv dataHome("XDG_DATA_HOME", out.path("data"));

    const CliRun refused = runCli(trash);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(contains(refused.err, "the files it keeps are gone or changed since the scan\n  " +
                                          tree.path("new/y.bin") + " (kept)\n  " +
                                          tree.path("old/y.bin") + "\n"))
        << refused.err;
    EXPECT_TRUE(contains(refused.err, "nothing was trashed; --allow-whole-group")) << refused.err;

    tree.addFile("old/x.bin", "the marked file, rewritten");
    std::vector<std::string> allowed = trash;
    allowed.insert(allowed.begin() + 1, "--allow-whole-group");
    allowed.insert(allowed.begin() + 1, "--dry-run");
    const CliRun dry = runCli(allowed);
    EXPECT_EQ(dry.status, 1);
    EXPECT_TRUE(contains(dry.err, "would leave " + tree.path("old/x.bin") +
                                      ": changed since the scan\nwould trash " +
                                      tree.path("old/y.bin") + "\n"))
        << dry.err;
    EXPECT_TRUE(contains(dry.err, "Would trash 1 file; 1 file left.\n")) << dry.err;
    EXPECT_TRUE(fs::exists(tree.path("old/y.bin")));

    allowed.erase(allowed.begin() + 1);
    const CliRun done = runCli(allowed);
    EXPECT_EQ(done.status, 1);
    EXPECT_TRUE(contains(done.err, "pairwell-cli: 1008 File changed since the scan: " +
                                       tree.path("old/x.bin") + "\nTrashed 1 file; 1 file left.\n"))
        << done.err;
    EXPECT_EQ(tree.read("old/x.bin"), "the marked file, rewritten");
    EXPECT_FALSE(fs::exists(tree.path("old/y.bin")));
}

// The question before a permanent delete, on a terminal: only "y" deletes.
TEST(CliActions, DeleteAsksOnATerminalAndOnlyYesDeletes) {
    for (const std::string answer : {"n", "y"}) {
        SCOPED_TRACE("answer '" + answer + "'");
        TempTree tree;
        addPair(tree);
        const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
        if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0) {
            GTEST_SKIP() << "no pseudo-terminal here";
        }
        const int input = open(ptsname(terminal), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(input, 0);
        // Typed ahead: the terminal keeps the line until the program reads it.
        ASSERT_EQ(write(terminal, (answer + "\n").data(), answer.size() + 1),
                  static_cast<ssize_t>(answer.size() + 1));
        const CliRun run =
            runCli({"scan", "--mark-duplicates", "--delete", tree.root()}, {}, input);
        close(input);
        close(terminal);

        const bool yes = answer == "y";
        EXPECT_EQ(run.status, yes ? 0 : 1) << run.err;
        EXPECT_TRUE(contains(run.err, "Delete 1 file permanently? [y/N] ")) << run.err;
        EXPECT_EQ(fs::exists(tree.path("old/x.bin")), !yes);
        EXPECT_TRUE(contains(run.err, yes ? "Deleted 1 file" : "nothing was deleted")) << run.err;
    }
}

} // namespace
} // namespace pw::test
