#include "common/format.h"
#include "results/adv_marking.h"
#include "results/load_result.h"
#include "results/marking.h"
#include "row_builder.h"
#include "support/replaying_view.h"

#include <atomic>
#include <gtest/gtest.h>
#include <set>

namespace pw {
namespace {

using test::column;
using Kind = TableChange::Kind;
using Kinds = std::vector<Kind>;
using Names = std::vector<std::string>;

ResultRow searchRow(const std::string& name, std::uint64_t size, std::int32_t group,
                    const std::string& folder = "/data/") {
    ResultRow row;
    row.name = name;
    row.folder = makeFolderText(folder);
    row.size = size;
    row.version = "N/A";
    row.group = group;
    row.mtime = 1141747509;
    return row;
}

ScanResult grouped(std::vector<ResultRow> rows) {
    ScanResult result;
    result.rows.assign(rows.begin(), rows.end());
    return result;
}

auto allExist = [](const std::string&) { return true; };

TEST(LoadSearchResult, NumbersGroupsByIdChangesAndSkipsVanishedFiles) {
    ScanResult result =
        grouped({searchRow("a1", 10, 1), searchRow("a2", 10, 1, "/other/"),
                 searchRow("gone1", 20, 2), searchRow("gone2", 20, 2), searchRow("c1", 30, 3),
                 searchRow("c2", 30, 3), searchRow("d1", 40, 4), searchRow("d2-gone", 40, 4),
                 searchRow("e1-gone", 50, 5), searchRow("e2", 50, 5), searchRow("e3", 50, 5)});
    result.totals.duplicateCount = 6;
    const std::set<std::string> vanished{"/data/gone1", "/data/gone2", "/data/d2-gone",
                                         "/data/e1-gone"};
    ResultTable table;
    const ScanOutcome outcome =
        LoadSearchResult(table, std::move(result),
                         [&](const std::string& path) { return !vanished.contains(path); });
    // The search rows are gone once the table holds them.
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ(outcome.totals.duplicateCount, 6);
    // The vanished group takes no number; a group left with one file stays a group of one
    // row; a group whose first file vanished keeps its number.
    EXPECT_EQ(column(table, kColFileName), (Names{"a1", "a2", "c1", "c2", "d1", "e2", "e3"}));
    EXPECT_EQ(column(table, kColGroup), (Names{"1", "1", "2", "2", "3", "4", "4"}));
    EXPECT_EQ(table.GroupCount, 4);
    EXPECT_EQ(table.GroupSizes, (std::vector<std::int32_t>{0, 2, 2, 1, 2}));
    EXPECT_EQ(table.RowShadeTable, (std::vector<std::int32_t>{1, 1, 2, 2, 3, 4, 4, 0}));
    EXPECT_TRUE(table.shadingInstalled);
    // One text per folder, shared by its rows, in order of first occurrence.
    EXPECT_EQ(table.distinctFolderTexts(), (Names{"/data/", "/other/"}));
    EXPECT_EQ(table.row(1).folder, table.row(7).folder);
}

TEST(LoadSearchResult, ReportsProgressEveryFiveHundredRecords) {
    std::vector<ResultRow> rows;
    for (int k = 0; k < 1000; ++k) {
        rows.push_back(searchRow("f" + std::to_string(k), 5, k / 2 + 1));
    }
    std::vector<std::string> texts;
    const auto record = [&texts](const std::string& text) { texts.push_back(text); };
    ResultTable table;
    LoadSearchResult(table, grouped(rows), allExist, record);
    EXPECT_EQ(texts, (Names{"Loading Searched Result...", "Loading Searched Result...(500/1000)",
                            "Loading Searched Result...(1000/1000)"}));
    EXPECT_EQ(table.GroupCount, 500);

    texts.clear();
    LoadSearchResult(table, ScanResult{}, allExist, record);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.GroupCount, 0);
    EXPECT_FALSE(table.shadingInstalled);
    EXPECT_EQ(texts, Names{"Loading Searched Result..."});
}

// A large result is checked on helper threads while the table fills: a row once left the
// list before its check had run, and a helper read it after it was taken.
TEST(LoadSearchResult, ALargeResultIsCheckedOnceARowInOrder) {
    constexpr int kRows = 20000;
    std::vector<ResultRow> rows;
    for (int k = 0; k < kRows; ++k) {
        rows.push_back(
            searchRow(std::to_string(k), 5, k / 2 + 1, "/f" + std::to_string(k % 3) + "/"));
    }
    std::atomic<int> asked{0};
    ResultTable table;
    LoadSearchResult(table, grouped(rows), [&asked](const std::string& path) {
        ++asked;
        return std::stoi(path.substr(path.rfind('/') + 1)) % 7 != 0;
    });
    EXPECT_EQ(asked.load(), kRows);
    Names expected;
    for (int k = 0; k < kRows; ++k) {
        if (k % 7 != 0) {
            expected.push_back(std::to_string(k));
        }
    }
    EXPECT_EQ(column(table, kColFileName), expected);
    EXPECT_EQ(table.distinctFolderTexts(), (Names{"/f1/", "/f2/", "/f0/"}));
}

TEST(CellText, EveryColumnShowsTheTextsTheListAlwaysShowed) {
    ScanResult result;
    for (int k = 0; k < 6; ++k) { // six one-row groups before it: it becomes group 7
        result.rows.push_back(searchRow("x" + std::to_string(k), 1, k + 1));
    }
    result.rows.push_back(searchRow("report.final.PDF", 1234, 7, "/home/me/Docs/"));
    ResultTable table;
    LoadSearchResult(table, std::move(result), allExist);
    const ResultTableRow& r = table.row(7);
    Names cells;
    for (int c = 1; c <= kColumnCount; ++c) {
        cells.push_back(cellText(r, c));
    }
    EXPECT_EQ(cells,
              (Names{"report.final.PDF", "1234", DateText(1141747509), "N/A", "7", "/home/me/Docs/",
                     "000000001234", SortDateText(1141747509), "00000000007", "PDF"}));
    EXPECT_EQ(sortKey(r, kColSize) + sortKey(r, kColGroup) + sortKey(r, kColPath),
              "00000000123400000000007/home/me/Docs/");
    EXPECT_EQ(r.icon(), kUnmarkedIcon);

    // Midnight and noon sort as hours 00 and 12 of their day.
    ResultTableRow night = test::makeRow({"a", 0, "20060307000509", 0, "/z/"});
    EXPECT_EQ(cellText(night, kColModified), "3/7/2006 12:05:09 AM");
    EXPECT_EQ(sortKey(night, kColModified), "20060307000509");
    night.modified.hour = 12;
    EXPECT_EQ(cellText(night, kColModified), "3/7/2006 12:05:09 PM");
    EXPECT_EQ(sortKey(night, kColModified), "20060307120509");
    // Rows of the zero-size listing have no group and an empty "sortGrpno"; a name without
    // a dot has no extension.
    EXPECT_EQ(cellText(night, kColGroup), "N/A");
    EXPECT_EQ(cellText(night, kColSortGrpno), "");
    EXPECT_EQ(cellText(night, kColExt), "");
    EXPECT_EQ(cellText(night, kColSortSize), "000000000000");
}

ResultTable sampleTable() {
    ResultTable table;
    LoadSearchResult(table,
                     grouped({searchRow("b", 300, 1), searchRow("d", 300, 1), searchRow("a", 20, 2),
                              searchRow("c", 20, 2)}),
                     allExist);
    return table;
}

TEST(SortCols, HeaderClicksAlternateTheDirectionOfTheWholeList) {
    ResultTable table = sampleTable();
    SortCols(table, kColSize, "None"); // the first click after start-up sorts descending
    EXPECT_EQ(table.sortKeyColumn, kColSortSize);
    EXPECT_EQ(table.sortDirection, SortDirection::Descending);
    EXPECT_EQ(table.headerPictures[kColSize - 1], kDescendingPicture);
    EXPECT_EQ(column(table, kColSize), (Names{"300", "300", "20", "20"}));
    SortCols(table, kColSize, "None");
    EXPECT_EQ(table.headerPictures[kColSize - 1], kAscendingPicture);
    EXPECT_EQ(column(table, kColFileName), (Names{"a", "c", "b", "d"}));
    // Another column continues the alternation; only one header shows a picture.
    SortCols(table, kColFileName, "None");
    EXPECT_EQ(table.sortDirection, SortDirection::Descending);
    EXPECT_EQ(table.headerPictures[kColSize - 1], kNoHeaderPicture);
    EXPECT_EQ(column(table, kColFileName), (Names{"d", "c", "b", "a"}));
    // A command's "Asc", then a click on Group sorts descending.
    SortCols(table, kColGroup, "Asc");
    EXPECT_EQ(table.sortKeyColumn, kColSortGrpno);
    SortCols(table, kColGroup, "None");
    EXPECT_EQ(table.sortDirection, SortDirection::Descending);
    EXPECT_EQ(column(table, kColGroup), (Names{"2", "2", "1", "1"}));
    // A hidden key column keeps the key column as it was.
    SortCols(table, kColSortDate, "Asc");
    EXPECT_EQ(table.sortKeyColumn, kColSortGrpno);

    // In ungrouped mode a sort leaves the shading alone.
    table.setGrouped(false);
    const auto before = table.RowShadeTable;
    SortCols(table, kColFileName, "Asc");
    EXPECT_EQ(column(table, kColFileName), (Names{"a", "b", "c", "d"}));
    EXPECT_EQ(table.RowShadeTable, before);
}

TEST(RefreshColorShade, ShadesPerRunOfEqualGroupsAfterASort) {
    ResultTable table = sampleTable();
    SortCols(table, kColFileName, "Asc"); // a(2) b(1) c(2) d(1): every row its own run
    EXPECT_EQ(table.RowShadeTable, (std::vector<std::int32_t>{1, 2, 3, 4, 0}));
    EXPECT_FALSE(table.shaded(0));
    EXPECT_TRUE(table.shaded(1));
    SortCols(table, kColGroup, "Asc");
    EXPECT_EQ(table.RowShadeTable, (std::vector<std::int32_t>{1, 1, 2, 2, 0}));
    table.ShadingOff = true;
    EXPECT_FALSE(table.shaded(2));
}

TEST(RemoveLoneRows, DropsGroupsLeftWithOneRowWithoutRenumbering) {
    ResultTable table = test::tableOf({{"a1", 1, "20240101000000", 1},
                                       {"a2", 1, "20240101000000", 1},
                                       {"b1", 2, "20240101000000", 2},
                                       {"b2", 2, "20240101000000", 2},
                                       {"b3", 2, "20240101000000", 2},
                                       {"c1", 3, "20240101000000", 3},
                                       {"c2", 3, "20240101000000", 3},
                                       {"d1", 3, "20240101000000", 2000000000}});
    // a1 and c2 went: a2 and c1 are alone now; d1's id names no group a table could hold.
    table.removeRows(
        [](const ResultTableRow& row) { return row.name == "a1" || row.name == "c2"; });
    RemoveLoneRows(table);
    EXPECT_EQ(column(table, kColFileName), (Names{"b1", "b2", "b3", "d1"}));
    EXPECT_EQ(column(table, kColGroup), (Names{"2", "2", "2", "2000000000"}));
    EXPECT_EQ(table.RowShadeTable, (std::vector<std::int32_t>{1, 1, 1, 2, 0}));
    EXPECT_LT(table.GroupSizes.size(), 8u);
}

TEST(TableChanges, AViewFollowsEveryCommandWithoutAReset) {
    ResultTable table = test::tableOf({{"g2-old.txt", 100, "20230101000000", 2, "/b/"},
                                       {"g1-new.jpg", 10, "20240301000000", 1, "/a/"},
                                       {"g2-new.txt", 100, "20240101000000", 2, "/a/"},
                                       {"g1-old.txt", 10, "20220101000000", 1, "/b/"},
                                       {"g3-one.txt", 7, "20200101000000", 3, "/a/"},
                                       {"g3-two.txt", 7, "20210101000000", 3, "/c/"}});
    test::ReplayingView view(table);
    view.select(2);
    view.select(5);
    view.setCurrent(5);
    const std::set<std::string> selected = view.selectedIds();
    const std::string current = view.currentId();

    MarkSelected(table, {1, 4});
    EXPECT_EQ(view.follow(), Kinds{Kind::Marks});
    MarkNone(table);
    EXPECT_EQ(view.follow(), Kinds{Kind::Marks});
    MarkNone(table); // nothing changed: nothing to report
    EXPECT_EQ(view.follow(), Kinds{});
    MarkAllDuplicates(table); // sorts by group, shades, marks
    EXPECT_EQ(view.follow(), (Kinds{Kind::Reordered, Kind::Shading, Kind::Marks}));
    EXPECT_EQ(view.selectedIds(), selected);
    EXPECT_EQ(view.currentId(), current);

    SortCols(table, kColFileName, "None");
    SortCols(table, kColPath, "None");
    EXPECT_EQ(view.follow(),
              (Kinds{Kind::Reordered, Kind::Shading, Kind::Reordered, Kind::Shading}));
    EXPECT_EQ(view.selectedIds(), selected);
    EXPECT_EQ(view.currentId(), current);

    AdvMarkingSettings keepOlder;
    chooseDateRule(keepOlder, DateRule::KeepOlder);
    MarkByRange(table, keepOlder);
    view.follow();
    std::vector<FolderLine> lines{{"/a/", false}, {"/b/", true}};
    MarkByFolders(table, lines, true, "*.txt");
    view.follow();
    MarkAllDuplicatesUpto(table, 1);
    view.follow();
    ClearAllMarks(table);
    EXPECT_EQ(view.follow(), Kinds{Kind::Marks});

    table.setFileName(3, "renamed.doc");
    EXPECT_EQ(view.follow(), Kinds{Kind::Cells});
    EXPECT_EQ(cellText(table.row(3), kColExt), "doc");

    const std::string gone = table.row(2).fullPath();
    table.removeRows([&gone](const ResultTableRow& row) { return row.fullPath() == gone; });
    RemoveLoneRows(table); // its partner goes too
    EXPECT_EQ(view.follow(), (Kinds{Kind::Removed, Kind::Removed, Kind::Shading}));
    EXPECT_EQ(table.rowCount(), 4);
}

TEST(TableChanges, TheLogStaysSmallAndAFillIsOneReset) {
    ResultTable table = test::tableOf({{"a", 1}, {"b", 2}, {"c", 3}});
    test::ReplayingView view(table);
    table.setMarked(3, true);
    table.setMarked(1, true);
    const std::vector<TableChange> marks = table.takeChanges();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].first, 1);
    EXPECT_EQ(marks[0].last, 3);

    // A log nobody takes turns into one reset instead of growing without end.
    for (int k = 0; k < 50; ++k) {
        table.setMarked(1, k % 2 == 0);
        table.setFileName(2, "b" + std::to_string(k));
    }
    EXPECT_EQ(view.follow(), Kinds{Kind::Reset});

    // Two sorts before the view looks make one reorder.
    table.setGrouped(false);
    SortCols(table, kColFileName, "None");
    SortCols(table, kColSize, "None");
    EXPECT_EQ(view.follow(), Kinds{Kind::Reordered});

    SortCols(table, kColFileName, "None");
    LoadSearchResult(table, grouped({searchRow("x", 1, 1), searchRow("y", 1, 1)}), allExist);
    EXPECT_EQ(view.follow(), Kinds{Kind::Reset});
}

} // namespace
} // namespace pw
