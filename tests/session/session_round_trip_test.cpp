// A real scan saved as a session and loaded again (with and without the re-scan), for
// each of the four methods.

#include "common/file_helpers.h"
#include "common/format.h"
#include "results/load_result.h"
#include "search/scan.h"
#include "session/rescan.h"
#include "session/session_file.h"
#include "support/table_with.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

using test::column;
using test::TempTree;

void addFiles(TempTree& tree) {
    tree.addRandomFile("a/x.bin", 5000, 1);
    tree.addRandomFile("b,c/x?copy.bin", 5000, 1);
    tree.addRandomFile("c/y.bin", 5000, 2);
    tree.addRandomFile("d/z1", 300, 3);
    tree.addRandomFile("d/z2", 300, 3);
    tree.addRandomFile("f/z1", 10, 4); // same name as d/z1, other size
    tree.addFile("e/empty1", "");
    tree.addFile("e/empty2", "");
}

struct Scanned {
    ScanRequest request;
    ScanTotals totals;
    ResultTable table;
};

Scanned scan(const TempTree& tree, SearchMethod method) {
    Scanned s;
    SearchPathEntry entry;
    entry.folder = tree.root();
    s.request.paths = {entry};
    s.request.options.method = method;
    ScanObserver observer;
    CancelToken cancel;
    s.totals = LoadSearchResult(s.table, StartScan(s.request, observer, cancel), FileExists).totals;
    return s;
}

TEST(SessionScanRoundTrip, EveryMethodComesBackAsItWasSavedAndExportsAlike) {
    TempTree tree;
    addFiles(tree);
    for (const SearchMethod method : {SearchMethod::ByteToByte, SearchMethod::Crc32,
                                      SearchMethod::SameName, SearchMethod::ZeroSize}) {
        SCOPED_TRACE(static_cast<int>(method));
        const Scanned s = scan(tree, method);
        ASSERT_GT(s.table.rowCount(), 1);
        const std::string path = tree.path("session.pwf");
        const SessionParameters params{s.request.options, s.request.paths};
        ASSERT_TRUE(
            WriteSessionFile(path, params, s.totals, s.table, SessionContent::ParametersAndResult)
                .ok);

        const LoadedSession loaded = OpenPairwellFile(path);
        ASSERT_TRUE(loaded.complete) << loaded.damage;
        EXPECT_EQ(loaded.parameters.options.method, method);
        EXPECT_EQ(loaded.parameters.paths[0].folder, tree.root());
        EXPECT_EQ(loaded.table.grouped(), s.table.grouped());
        EXPECT_EQ(loaded.table.GroupCount, s.table.GroupCount);
        EXPECT_EQ(loaded.table.GroupSizes, s.table.GroupSizes);
        EXPECT_EQ(loaded.table.distinctFolderTexts(), s.table.distinctFolderTexts());
        for (int c = 1; c <= kColumnCount; ++c) {
            EXPECT_EQ(column(loaded.table, c), column(s.table, c)) << "column " << c;
        }
        EXPECT_EQ(loaded.table.shadingInstalled, s.table.shadingInstalled);
        EXPECT_EQ(loaded.totals.duplicatesText(), s.totals.duplicatesText());

        // The re-scan compares the stored files again and finds the same groups; the
        // zero-size listing is never re-scanned.
        OpenOptions rescan;
        rescan.reScan = true;
        const LoadedSession again = OpenPairwellFile(path, rescan);
        EXPECT_EQ(again.rescanned, method != SearchMethod::ZeroSize);
        if (method == SearchMethod::ByteToByte || method == SearchMethod::Crc32) {
            EXPECT_EQ(column(again.table, kColFileName), column(s.table, kColFileName));
            EXPECT_EQ(again.totals.duplicateCount, s.totals.duplicateCount);
            EXPECT_EQ(again.totals.duplicateSize, s.totals.duplicateSize);
        }
    }
}

TEST(SessionRescan, GroupsWhoseFilesNoLongerMatchDisappear) {
    TempTree tree;
    addFiles(tree);
    const Scanned s = scan(tree, SearchMethod::ByteToByte);
    ASSERT_EQ(s.table.GroupCount, 2); // the x.bin pair and the z pair
    const std::string path = tree.path("s.pwf");
    ASSERT_TRUE(WriteSessionFile(path, {s.request.options, s.request.paths}, s.totals, s.table,
                                 SessionContent::ParametersAndResult)
                    .ok);
    tree.addRandomFile("d/z2", 300, 99); // same size, other content

    OpenOptions options;
    options.reScan = true;
    std::vector<std::string> texts;
    options.progress = [&texts](const SessionProgress& p) {
        if (!p.statusText.empty()) {
            texts.push_back(p.statusText);
        }
    };
    const LoadedSession loaded = OpenPairwellFile(path, options);
    ASSERT_TRUE(loaded.rescanned);
    EXPECT_FALSE(loaded.cancelled);
    EXPECT_EQ(loaded.table.GroupCount, 1);
    EXPECT_EQ(column(loaded.table, kColFileName),
              (std::vector<std::string>{"x.bin", "x?copy.bin"}));
    EXPECT_EQ(loaded.totals.duplicateCount, 1);
    EXPECT_EQ(loaded.totals.duplicateSize, 5000);
    EXPECT_EQ(loaded.totals.filesText(), s.totals.filesText());
    EXPECT_TRUE(loaded.table.shadingInstalled);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "Loading Searched Result...");
}

TEST(SessionRescan, ACancelledComparisonEndsTerminated) {
    TempTree tree;
    addFiles(tree);
    const Scanned s = scan(tree, SearchMethod::ByteToByte);
    CancelToken cancel;
    cancel.cancel();
    OpenOptions options;
    options.reScan = true;
    options.cancel = &cancel;
    const LoadedSession loaded =
        readSessionBytes(sessionFileText({s.request.options, s.request.paths}, s.totals, s.table,
                                         SessionContent::ParametersAndResult),
                         options);
    EXPECT_TRUE(loaded.rescanned);
    EXPECT_TRUE(loaded.cancelled);
    EXPECT_EQ(loaded.totals.statusText(), "Search Terminated.");
}

} // namespace
} // namespace pw
