// pairwell-cli as a user runs it: the built binary on small trees.

#include "cli/json_reader.h"
#include "cli/run_cli.h"
#include "support/temp_tree.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace pw::test {
namespace {

// Two groups (a pair and a triple), a same-size file that differs, and a unique file.
void addTwoGroups(TempTree& tree) {
    tree.addRandomFile("a/x.bin", 5000, 1);
    tree.addRandomFile("b/x copy.bin", 5000, 1);
    tree.addRandomFile("c/y.bin", 5000, 2);
    tree.addRandomFile("d/z1", 300, 3);
    tree.addRandomFile("d/z2", 300, 3);
    tree.addRandomFile("d/z3", 300, 3);
    tree.addRandomFile("e/unique", 7777, 4);
}

GroupSet twoGroups(const TempTree& tree) {
    return {{tree.path("a/x.bin"), tree.path("b/x copy.bin")},
            {tree.path("d/z1"), tree.path("d/z2"), tree.path("d/z3")}};
}

TEST(CliScan, TextListsEachGroupSeparatedByOneEmptyLineAndJsonNumbersTheRowsInOrder) {
    TempTree tree;
    addTwoGroups(tree);
    for (const std::string method : {"byte", "crc"}) {
        const auto run = runCli({"scan", "--method", method, tree.root()});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(parseGroups(run.out), twoGroups(tree)) << run.out;
        // Five paths and one separator: with the two groups apart, any blank line before,
        // after or doubled would be a seventh line.
        EXPECT_EQ(splitLines(run.out).size(), 6u) << run.out;

        EXPECT_TRUE(contains(run.err, "Search Completed.\n")) << run.err;
        // The pair frees 5000 bytes, the triple twice 300.
        EXPECT_TRUE(contains(run.err, "Duplicate Files: 3  Size: 5.47 KB\n")) << run.err;
        EXPECT_TRUE(contains(run.err, "Files : 7\n")) << run.err;
        EXPECT_TRUE(contains(run.err, "Folders : 5\n")) << run.err;
        EXPECT_TRUE(contains(run.err, "Elapsed: 00:00:")) << run.err;
    }

    const auto run = runCli({"scan", "--json", tree.root()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto doc = parseJson(run.out);
    EXPECT_EQ(doc["status"].string(), "Search Completed.");
    EXPECT_EQ(doc["method"].string(), "byte");
    EXPECT_EQ(doc["files"].number(), 7);
    EXPECT_EQ(doc["folders"].number(), 5);
    EXPECT_EQ(doc["duplicate_count"].number(), 3);
    EXPECT_EQ(doc["duplicate_size"].number(), 5600);

    // The rows' fields are the writer's (JsonWriter): here, the groups under their numbers,
    // which start at 1 (the smaller files) and never go back.
    std::map<double, std::set<std::string>> byNumber;
    std::vector<double> numbers;
    for (const auto& row : doc["rows"].array()) {
        const std::string path = row["folder"].string() + row["name"].string();
        EXPECT_EQ(row["size"].number(), std::filesystem::file_size(path));
        numbers.push_back(row["group"].number());
        byNumber[numbers.back()].insert(path);
    }
    EXPECT_TRUE(std::ranges::is_sorted(numbers));
    EXPECT_EQ(byNumber, (std::map<double, std::set<std::string>>{
                            {1, {tree.path("d/z1"), tree.path("d/z2"), tree.path("d/z3")}},
                            {2, {tree.path("a/x.bin"), tree.path("b/x copy.bin")}}}));
}

// Which files the zero-size search lists is the engine's test (ZeroSize), their text
// listing the writer's (TextWriter): here, the method reaches the engine and the rows
// come out without group numbers.
TEST(CliScan, ZeroMethodListsTheEmptyFilesWithoutGroupNumbers) {
    TempTree tree;
    tree.addFile("e1", "");
    tree.addFile("sub/e2", "");
    tree.addRandomFile("full", 10, 1);
    const auto json = runCli({"scan", "--method", "zero", "--json", tree.root()});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto doc = parseJson(json.out);
    EXPECT_EQ(doc["method"].string(), "zero");
    EXPECT_EQ(doc["duplicate_count"].number(), 0);
    std::set<std::string> paths;
    for (const auto& row : doc["rows"].array()) {
        EXPECT_TRUE(row["group"].isNull());
        paths.insert(row["folder"].string() + row["name"].string());
    }
    EXPECT_EQ(paths, (std::set<std::string>{tree.path("e1"), tree.path("sub/e2")}));
}

std::string fromBase64(const std::string& text) {
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string bytes;
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') {
            break;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(digits.find(c));
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return bytes;
}

// The path a line of the text output stands for: the shell reads a $'...' line back.
std::string pathOfLine(const std::string& line) {
    if (!line.starts_with("$'")) {
        return line;
    }
    return runProgram(findInPath("bash"), {"-c", "printf %s " + line}).out;
}

std::set<std::string> pathsOfLines(const std::string& text) {
    std::set<std::string> paths;
    for (const auto& line : splitLines(text)) {
        if (!line.empty()) {
            paths.insert(pathOfLine(line));
        }
    }
    return paths;
}

// Regression: a newline in a folder's name made another file's path a line of its own
// (with --mark-duplicates a line of the files to delete), and a name that is not UTF-8
// read back from the JSON as another, valid name.
TEST(CliScan, HostileNamesComeOutExactInEveryOutput) {
    TempTree tree;
    const std::string crafted = tree.addRandomFile("a\n/etc/passwd", 64, 1);
    const std::string twin = tree.addRandomFile("b/passwd", 64, 1);
    const std::string bytes = tree.addRandomFile("c/\xFF\xFE.bin", 64, 2);
    const std::string lookalike = tree.addRandomFile("c/\xC3\xBF\xC3\xBE.bin", 64, 2);
    tree.setMtime("a\n/etc/passwd", 1500000000);
    tree.setMtime("c/\xFF\xFE.bin", 1500000000);
    const std::string note = "pairwell-cli: note: paths holding control characters are shown "
                             "in $'...' quoting; use --null for exact paths\n";

    const auto text = runCli({"scan", tree.root()});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(pathsOfLines(text.out), (std::set<std::string>{crafted, twin, bytes, lookalike}));
    EXPECT_TRUE(contains(text.err, note)) << text.err;
    EXPECT_EQ(text.err.find(note), text.err.rfind(note)) << "the note comes once";
    const auto marked = runCli({"scan", "--mark-duplicates", tree.root()});
    EXPECT_EQ(pathsOfLines(marked.out), (std::set<std::string>{crafted, bytes}));

    const auto nul = runCli({"scan", "-0", tree.root()});
    ASSERT_EQ(nul.status, 0) << nul.err;
    EXPECT_FALSE(contains(nul.err, "note"));
    ASSERT_TRUE(nul.out.ends_with('\0'));
    GroupSet groups;
    std::set<std::string> group;
    for (std::size_t start = 0, end; (end = nul.out.find('\0', start)) != std::string::npos;
         start = end + 1) {
        if (end == start) {
            groups.insert(std::exchange(group, {}));
        } else {
            group.insert(nul.out.substr(start, end - start));
        }
    }
    groups.insert(group);
    EXPECT_EQ(groups, (GroupSet{{crafted, twin}, {bytes, lookalike}}));

    const auto json = runCli({"scan", "--json", tree.root()});
    ASSERT_EQ(json.status, 0) << json.err;
    std::set<std::string> paths;
    const auto doc = parseJson(json.out);
    for (const auto& row : doc["rows"].array()) {
        const bool exact = row.object().count("path_bytes") == 1;
        const std::string path = exact ? fromBase64(row["path_bytes"].string())
                                       : row["folder"].string() + row["name"].string();
        EXPECT_EQ(exact, path == bytes) << path;
        paths.insert(path);
    }
    EXPECT_EQ(paths, (std::set<std::string>{crafted, twin, bytes, lookalike}));
}

// Regression: escape bytes in a folder's name reached the terminal raw through the
// warnings and messages on stderr, where they can retitle or redraw the terminal.
TEST(CliScan, EscapeBytesInNamesNeverReachStderrRaw) {
    TempTree tree;
    const std::string evil = "e\x1B]0;owned\x07";
    tree.addRandomFile(evil + "/x", 10, 1);
    tree.addRandomFile(evil + "/y", 10, 1);
    const auto run = runCli({"scan", "--progress", "--export", tree.path(evil + "/no/x.csv"),
                             tree.path(evil + "-gone"), tree.root()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.find_first_of("\x1B\x07"), std::string::npos) << run.err;
    const std::string quoted = "$'" + tree.path("e\\e]0;owned\\a");
    EXPECT_TRUE(contains(run.err, "pairwell-cli: warning: " + quoted + "-gone': no such folder\n"))
        << run.err;
    EXPECT_TRUE(contains(run.err, "pairwell-cli: export: Cannot write " + quoted +
                                      "/no/x.csv': No such file or directory.\n"))
        << run.err;
}

TEST(CliScan, UsageErrorsExitWithStatusTwo) {
    TempTree tree;
    // The parser's cases are in ParseArguments.RejectsBadUsage; these show how the program
    // ends on one.
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"scan", "--bogus", tree.root()},
        {"scan", "--max", "9007199254740992", tree.root()},
        {"scan", "--null", "--json", tree.root()},
        // Refused before the scan: nobody can be asked, and the folder is missing.
        {"scan", "--mark-duplicates", "--delete", tree.root()},
        {"scan", "--mark-duplicates", "--move-to", tree.path("none"), tree.root()},
    };
    for (const auto& args : bad) {
        const auto run = runCli(args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_TRUE(run.err.starts_with("pairwell-cli: ")) << run.err;
        EXPECT_TRUE(contains(run.err, "--help")) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST(CliScan, HelpPrintsUsage) {
    const auto run = runCli({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.starts_with("Usage: pairwell-cli scan [OPTIONS] FOLDER...")) << run.out;
}

// Regression: a FOLDER that gave nothing left the exit status 0, and a symbolic-link loop
// or an unreadable parent was reported as "no such folder".
TEST(CliScan, FoldersThatCannotBeSearchedWarnAndFailTheRun) {
    TempTree tree;
    addTwoGroups(tree);
    tree.addSymlink("loop", "loop");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {tree.path("missing"), "no such folder"},
        {tree.path("a/x.bin"), "not a folder"},
        {tree.path("loop"), "Too many levels of symbolic links"},
        {"/usr", "a protected system folder, not searched; --no-protect would search it"},
    };
    for (const auto& [folder, why] : cases) {
        const auto run = runCli({"scan", "--no-progress", folder, tree.root()});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_TRUE(contains(run.err, "pairwell-cli: warning: " + folder + ": " + why + "\n"))
            << run.err;
        EXPECT_EQ(parseGroups(run.out), twoGroups(tree));
        EXPECT_TRUE(contains(run.err, "Search Completed.\n")) << run.err;
    }
}

// Regression: files and folders that could not be read were warned about, but the exit
// status was 0. Permission bits do not stop the superuser, so it runs without the
// capabilities that override them.
TEST(CliScan, UnreadableFilesAndFoldersFailTheRun) {
    TempTree tree;
    addTwoGroups(tree);
    tree.addRandomFile("e/x copy 2.bin", 5000, 1);
    tree.addFile("locked/inside", "x");
    ::chmod(tree.path("e/x copy 2.bin").c_str(), 0);
    ::chmod(tree.path("locked").c_str(), 0);
    std::vector<std::string> args{"scan", "--no-progress", tree.root()};
    CliRun run;
    if (::geteuid() != 0) {
        run = runCli(args);
    } else if (const std::string setpriv = findInPath("setpriv"); !setpriv.empty()) {
        const std::string caps = "-dac_override,-dac_read_search";
        args.insert(args.begin(),
                    {"--inh-caps=" + caps, "--bounding-set=" + caps, "--", PAIRWELL_CLI_PATH});
        run = runProgram(setpriv, args);
    } else {
        GTEST_SKIP() << "running as the superuser, and no setpriv to drop its capabilities";
    }
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(contains(run.err, "warning: cannot read " + tree.path("e/x copy 2.bin") +
                                      ": Permission denied\n"))
        << run.err;
    EXPECT_TRUE(
        contains(run.err, "warning: cannot list " + tree.path("locked") + "/: Permission denied\n"))
        << run.err;
    EXPECT_EQ(parseGroups(run.out), twoGroups(tree));
}

TEST(CliScan, ExcludedFolderIsLeftOutWhateverItsSpelling) {
    TempTree tree;
    tree.addRandomFile("keep/a.bin", 900, 1);
    tree.addRandomFile("keep/b.bin", 900, 1);
    tree.addRandomFile("skip/c.bin", 900, 1);
    tree.addRandomFile("skip/inner/d.bin", 900, 1);
    // Relative folders, "." and ".." are made absolute and normal before the engine
    // compares folder texts.
    const auto relative = runCli({"scan", "--exclude", "./keep/../skip/", "."}, tree.root());
    ASSERT_EQ(relative.status, 0) << relative.err;
    EXPECT_EQ(parseGroups(relative.out),
              (GroupSet{{tree.path("keep/a.bin"), tree.path("keep/b.bin")}}));

    const auto all = runCli({"scan", tree.root() + "/"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(parseGroups(all.out),
              (GroupSet{{tree.path("keep/a.bin"), tree.path("keep/b.bin"), tree.path("skip/c.bin"),
                         tree.path("skip/inner/d.bin")}}));
}

TEST(CliScan, FilterOptionsReachTheEngine) {
    TempTree tree;
    tree.addRandomFile("top1.jpg", 3000, 1);
    tree.addRandomFile("top2.jpg", 3000, 1);
    tree.addRandomFile("sub/deep.jpg", 3000, 1);
    tree.addRandomFile(".hidden/h1.txt", 100, 2);
    tree.addRandomFile("h2.txt", 100, 2);
    tree.addRandomFile("big1.txt", 20 * 1024, 3);
    tree.addRandomFile("big2.txt", 20 * 1024, 3);

    const GroupSet jpgs{{tree.path("top1.jpg"), tree.path("top2.jpg"), tree.path("sub/deep.jpg")}};
    const GroupSet bigs{{tree.path("big1.txt"), tree.path("big2.txt")}};
    const GroupSet hidden{{tree.path(".hidden/h1.txt"), tree.path("h2.txt")}};

    auto groups = [&](const std::vector<std::string>& options) {
        std::vector<std::string> args{"scan", tree.root()};
        args.insert(args.end(), options.begin(), options.end());
        const auto run = runCli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return parseGroups(run.out);
    };
    EXPECT_EQ(groups({"--mask", "Pictures(*.jpg)"}), jpgs);
    EXPECT_EQ(groups({"--mask", "Pictures(*.jpg)", "--no-subfolders"}),
              (GroupSet{{tree.path("top1.jpg"), tree.path("top2.jpg")}}));
    EXPECT_EQ(groups({"--min", "10"}), bigs);
    EXPECT_EQ(groups({"--max", "1"}), GroupSet{});
    EXPECT_EQ(groups({"--max", "4", "--hidden"}), (GroupSet{*jpgs.begin(), *hidden.begin()}));
}

// Regression: --min and --max above 2097151 KB (just under 2 GiB) failed the scan with
// "Overflow". Sparse files of 3 GiB cost nothing, and the name search never reads them.
TEST(CliScan, SizeLimitsOfSeveralGigabytes) {
    TempTree tree;
    for (const char* name : {"a/big", "b/big", "a/small", "b/small"}) {
        tree.addFile(name, "x");
    }
    std::error_code ec;
    for (const char* name : {"a/big", "b/big"}) {
        std::filesystem::resize_file(tree.path(name), 3ull << 30, ec);
    }
    if (ec) {
        GTEST_SKIP() << "no sparse files here: " << ec.message();
    }
    const auto run =
        runCli({"scan", "--method", "name", "--min", "2097152", "--max", "4194304", tree.root()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(parseGroups(run.out), (GroupSet{{tree.path("a/big"), tree.path("b/big")}}));
}

// Files are empty so that the tree of more than 100000 files is quick to build; the
// same-name search needs no content, and one name occurs twice.
void addManyNamedFiles(const std::string& root, int count) {
    for (int i = 0; i < count; ++i) {
        const std::string folder = root + "/f" + std::to_string(i / 1000);
        if (i % 1000 == 0) {
            std::filesystem::create_directory(folder);
        }
        const std::string path = folder + "/n" + std::to_string(i);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << path;
        ASSERT_EQ(write(fd, "x", 1), 1);
        close(fd);
    }
}

TEST(CliScan, MaxFilesAnswersTheTooManyFilesQuestion) {
    TempTree tree;
    addManyNamedFiles(tree.root(), 100000);
    tree.addFile("extra/n0", "y"); // file 100001, and the only name that occurs twice
    const GroupSet sameName{{tree.path("f0/n0"), tree.path("extra/n0")}};

    // Regression: a scan stopped by --max-files ended with exit status 0.
    const auto declined =
        runCli({"scan", "--method", "name", "--max-files", "100000", tree.root()});
    EXPECT_EQ(declined.status, 1) << declined.err;
    EXPECT_TRUE(contains(declined.err,
                         "pairwell-cli: scan stopped: 100001 files found, more than --max-files "
                         "100000\n"))
        << declined.err;
    EXPECT_EQ(declined.out, "");
    EXPECT_TRUE(contains(declined.err, "Search Completed.\n")) << declined.err;
    EXPECT_TRUE(contains(declined.err, "Files : 100001\n")) << declined.err;

    const auto accepted =
        runCli({"scan", "--method", "name", "--max-files", "100001", tree.root()});
    ASSERT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_EQ(parseGroups(accepted.out), sameName);

    const auto unlimited = runCli({"scan", "--method", "name", tree.root()});
    ASSERT_EQ(unlimited.status, 0) << unlimited.err;
    EXPECT_EQ(parseGroups(unlimited.out), sameName);
}

// Ctrl-C during a scan. To make the moment of the signal certain, the test fills the pipe
// that is the program's stderr before starting it: the program's first progress line then
// blocks inside the scan until the test reads the pipe, and the signal arrives while the
// scan is provably still running.
// Whether some thread of the process is blocked in write(2) on its stderr: the
// syscall file of a thread sleeping in a system call starts with the call's number and
// its first argument ("1 0x2 ..." on x86-64 and the generic table).
bool blockedWritingStderr(pid_t pid) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "syscall");
        std::string number;
        std::string firstArgument;
        in >> number >> firstArgument;
        if ((number == std::to_string(SYS_write)) && firstArgument == "0x2") {
            return true;
        }
    }
    return false;
}

// Fills the pipe through its write end until it would block, and makes that end block
// again for the child.
void fillPipe(int writeFd) {
    fcntl(writeFd, F_SETPIPE_SZ, 4096);
    const int flags = fcntl(writeFd, F_GETFL);
    fcntl(writeFd, F_SETFL, flags | O_NONBLOCK);
    const std::string filler(4096, '#');
    while (write(writeFd, filler.data(), filler.size()) > 0) {
    }
    fcntl(writeFd, F_SETFL, flags);
}

TEST(CliInterrupt, SigintEndsTheScanAsTerminatedWithStatus130) {
    if (!std::ifstream("/proc/self/syscall")) {
        GTEST_SKIP() << "this kernel does not show a thread's current system call";
    }
    TempTree tree;
    for (int folder = 0; folder < 20; ++folder) {
        for (int file = 0; file < 20; ++file) {
            tree.addRandomFile("d" + std::to_string(folder) + "/f" + std::to_string(file), 2000,
                               static_cast<std::uint32_t>(file));
        }
    }

    int outPipe[2];
    int errPipe[2];
    ASSERT_EQ(pipe2(outPipe, O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(errPipe, O_CLOEXEC), 0);
    fillPipe(errPipe[1]);
    const std::string session = tree.path("s.pwf"); // written once the scan has ended
    const pid_t pid =
        spawnCli({"scan", "--progress", "--session", session, tree.root()}, outPipe[1], errPipe[1]);
    close(outPipe[1]);
    close(errPipe[1]);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool blocked = false;
    while (!(blocked = blockedWritingStderr(pid)) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (blocked) {
        kill(pid, SIGINT);
    }
    std::string out;
    std::string err;
    readToEnd(outPipe[0], errPipe[0], out, err);
    const int status = waitForExit(pid);
    ASSERT_TRUE(blocked) << "the program never wrote its progress line";

    EXPECT_EQ(status, 130) << err;
    EXPECT_TRUE(err.find("Search Terminated.\n") != std::string::npos) << err;
    EXPECT_TRUE(err.find("Search Completed.") == std::string::npos) << err;
    // Whatever was found before the signal is listed, and only real files of the tree.
    for (const auto& group : parseGroups(out)) {
        for (const auto& path : group) {
            EXPECT_TRUE(path.starts_with(tree.root() + "/")) << path;
            EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
        }
    }
    // The saved session keeps how the scan ended.
    EXPECT_EQ(parseJson(runCli({"load", "--json", session}).out)["status"].string(),
              "Search Terminated.");
}

} // namespace
} // namespace pw::test
