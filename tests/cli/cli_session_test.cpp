// pairwell-cli with sessions and exports: scan --session/--export and load.

#include "cli/json_reader.h"
#include "cli/run_cli.h"
#include "support/temp_tree.h"

#include <array>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace pw::test {
namespace {

// Two groups in `tree`; what the program writes goes to `out`, outside the scanned tree.
class CliSession : public ::testing::Test {
protected:
    void SetUp() override {
        tree.addRandomFile("a/x.bin", 5000, 1);
        tree.addRandomFile("b,c/x?copy.bin", 5000, 1);
        tree.addRandomFile("c/y.bin", 5000, 2);
        tree.addRandomFile("d/z1", 300, 3);
        tree.addRandomFile("d/z2", 300, 3);
    }

    TempTree tree;
    TempTree out;
    const std::string session = out.path("s.pwf");
};

TEST_F(CliSession, ScanSavesASessionThatLoadPrintsAlike) {
    for (const std::string method : {"byte", "crc", "name", "zero"}) {
        SCOPED_TRACE(method);
        const auto scan = runCli({"scan", "--method", method, "--session", session, "--export",
                                  out.path("scan.csv"), tree.root()});
        ASSERT_EQ(scan.status, 0) << scan.err;
        const auto load = runCli({"load", session, "--export", out.path("load.csv")});
        ASSERT_EQ(load.status, 0) << load.err;
        EXPECT_EQ(load.out, scan.out);
        EXPECT_EQ(out.read("load.csv"), out.read("scan.csv"));
        const auto scanJson = runCli({"scan", "--json", "--method", method, tree.root()});
        const auto loadJson = runCli({"load", "--json", session});
        EXPECT_EQ(loadJson.out, scanJson.out);
    }
    // The byte search's file and its totals as they were printed by the scan.
    runCli({"scan", "--session", session, tree.root()});
    const auto load = runCli({"load", session});
    EXPECT_TRUE(contains(load.err, "Search Completed.\n")) << load.err;
    EXPECT_TRUE(contains(load.err, "Duplicate Files: 2  Size: 5.18 KB\n")) << load.err;
    EXPECT_TRUE(contains(load.err, "Files : 5\n")) << load.err;
    EXPECT_TRUE(contains(load.out, tree.path("b,c/x?copy.bin") + "\n")) << load.out;
}

TEST_F(CliSession, RescanComparesTheStoredFilesAgain) {
    ASSERT_EQ(runCli({"scan", "--session", session, tree.root()}).status, 0);
    tree.addRandomFile("d/z2", 300, 42);
    const auto stale = runCli({"load", session});
    EXPECT_EQ(parseGroups(stale.out).size(), 2u);
    const auto fresh = runCli({"load", "--rescan", session});
    ASSERT_EQ(fresh.status, 0) << fresh.err;
    EXPECT_EQ(parseGroups(fresh.out),
              (GroupSet{{tree.path("a/x.bin"), tree.path("b,c/x?copy.bin")}}));
    EXPECT_TRUE(contains(fresh.err, "Duplicate Files: 1  Size: 4.88 KB\n")) << fresh.err;
}

TEST_F(CliSession, ExportFormatFollowsTheFileName) {
    ASSERT_EQ(runCli({"scan", "--export", out.path("r.HTML"), tree.root()}).status, 0);
    EXPECT_TRUE(out.read("r.HTML").starts_with("<html><head>\r\n"));
    ASSERT_EQ(
        runCli({"scan", "--delimiter", ";", "--export", out.path("r.txt"), tree.root()}).status, 0);
    EXPECT_TRUE(out.read("r.txt").starts_with("File Name;Size(Bytes);Last Modified;"));
    const auto page = out.read("r.HTML");
    EXPECT_TRUE(contains(page, "<td width='220'><b> 5</b>")) << page.substr(0, 2000);
}

// Regression: a damaged session, and a file that was no session at all (empty, a folder,
// random bytes), loaded with exit status 0 as if all was well.
TEST_F(CliSession, DamagedSessionsAndOtherFilesFailTheLoad) {
    const std::string damaged =
        tree.addFile("d.pwf", "1,1,0,3,3,1,1,10,0\r\n/x,Yes,m,,,15\r\n;a?10?d?N/A?1?/p/?k?s?g\r\n"
                              "b?10?d?N/A?1?/p/?k?s?g\r\nshort?line\r\n");
    const auto run = runCli({"load", damaged});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "/p/a\n/p/b\n");
    EXPECT_TRUE(contains(run.err, "is damaged at line 5")) << run.err;

    // /dev/zero is one endless line: reading must stop at the line limit.
    for (const std::string& file :
         {tree.addFile("empty.pwf", ""), tree.root(), tree.addRandomFile("random.pwf", 5000, 9),
          std::string("/dev/zero")}) {
        const auto other = runCli({"load", file});
        EXPECT_EQ(other.status, 1) << file;
        EXPECT_EQ(other.out, "") << file;
        EXPECT_TRUE(contains(other.err, "pairwell-cli: " + file + " is not a session file ("))
            << other.err;
    }

    const auto missing = runCli({"load", tree.path("none.pwf")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(contains(missing.err, "cannot open")) << missing.err;
}

// Regression: --export and --session replaced whatever the path named, a file of the
// result list or a dangling link included, and wrote nothing into a pipe.
TEST_F(CliSession, OutputsGoIntoPipesAndNeverOverFilesTheyMustNotReplace) {
    const std::string listed = tree.path("a/x.bin");
    const std::string dangling = out.addSymlink(out.path("nowhere"), "s.pwf");
    const std::string missing = out.path("no/such/x.csv");
    const std::vector<std::array<std::string, 3>> refused = {
        {"--export", listed,
         "export: " + listed + " is " + listed +
             ", a file of the result list; choose another file name."},
        {"--session", dangling,
         "session: Cannot write " + dangling + ": it is a symbolic link to nothing."},
        {"--export", missing, "export: Cannot write " + missing + ": No such file or directory."},
    };
    for (const auto& [option, target, message] : refused) {
        const auto run = runCli({"scan", option, target, tree.root()});
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(contains(run.err, "pairwell-cli: " + message + "\n")) << run.err;
    }
    EXPECT_EQ(tree.read("a/x.bin"), randomBytes(5000, 1));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_FALSE(std::filesystem::exists(out.path("nowhere")));

    // Standard output is a pipe here, reached through a link of /proc that has no path:
    // the list comes first, then the export.
    const auto piped = runCli({"scan", "--export", "/proc/self/fd/1", tree.root()});
    ASSERT_EQ(piped.status, 0) << piped.err;
    const auto plain = runCli({"scan", "--export", out.path("r.csv"), tree.root()});
    EXPECT_EQ(piped.out, plain.out + out.read("r.csv"));
}

// The newest file of each group is kept; the others are listed for deletion.
TEST_F(CliSession, MarkDuplicatesListsEveryFileButTheNewestOfEachGroup) {
    tree.setMtime("a/x.bin", 1500000000);
    tree.setMtime("b,c/x?copy.bin", 1600000000);
    tree.setMtime("d/z1", 1700000000);
    tree.setMtime("d/z2", 1400000000);
    const auto scan = runCli({"scan", "--mark-duplicates", "--session", session, "--export",
                              out.path("marked.csv"), "--export-marked", tree.root()});
    ASSERT_EQ(scan.status, 0) << scan.err;
    const std::string expected = tree.path("d/z2") + "\n" + tree.path("a/x.bin") + "\n";
    EXPECT_EQ(scan.out, expected);
    const std::string csv = out.read("marked.csv");
    EXPECT_EQ(splitLines(csv).size(), 4u) << csv; // header, two rows, the closing line break
    EXPECT_TRUE(contains(csv, "\r\nz2,300,")) << csv;
    EXPECT_TRUE(contains(csv, "\r\nx.bin,5000,")) << csv;

    const auto load = runCli({"load", "--mark-duplicates", session});
    ASSERT_EQ(load.status, 0) << load.err;
    EXPECT_EQ(load.out, expected);

    const auto json = runCli({"load", "--json", "--mark-duplicates", session});
    const auto rows = parseJson(json.out)["rows"].array();
    ASSERT_EQ(rows.size(), 4u);
    std::set<std::string> marked;
    for (const auto& row : rows) {
        if (row["marked"].boolean()) {
            marked.insert(row["folder"].string() + row["name"].string());
        }
    }
    EXPECT_EQ(marked, (std::set<std::string>{tree.path("d/z2"), tree.path("a/x.bin")}));
}

} // namespace
} // namespace pw::test
