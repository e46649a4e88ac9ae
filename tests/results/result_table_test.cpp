#include "common/format.h"
#include "results/result_table.h"
#include "results/settings_store.h"

#include <gtest/gtest.h>
#include <set>

namespace pw {
namespace {

ResultRow searchRow(const std::string& name, std::uint64_t size, int toggle,
                    const std::string& folder = "/data/") {
    ResultRow row;
    row.name = name;
    row.folder = folder;
    row.size = size;
    row.sizeKey = SizeKey(size);
    row.version = "N/A";
    row.groupToggle = toggle;
    row.mtime = 1141747509;
    row.dateText = DateText(row.mtime);
    return row;
}

ScanResult grouped(std::vector<ResultRow> rows) {
    ScanResult result;
    result.rows = std::move(rows);
    return result;
}

auto allExist = [](const std::string&) { return true; };

std::vector<std::string> column(const ResultTable& table, int col) {
    std::vector<std::string> out;
    for (const auto& row : table.rows()) {
        out.push_back(row.cell(col));
    }
    return out;
}

TEST(LoadSearchResult, NumbersGroupsByToggleChangesAndSkipsVanishedFiles) {
    const ScanResult result =
        grouped({searchRow("a1", 10, 1), searchRow("a2", 10, 1), searchRow("gone1", 20, 2),
                 searchRow("gone2", 20, 2), searchRow("c1", 30, 1), searchRow("c2", 30, 1),
                 searchRow("d1", 40, 2), searchRow("d2-gone", 40, 2), searchRow("e1-gone", 50, 1),
                 searchRow("e2", 50, 1), searchRow("e3", 50, 1)});
    const std::set<std::string> vanished{"/data/gone1", "/data/gone2", "/data/d2-gone",
                                         "/data/e1-gone"};
    ResultTable table;
    LoadSearchResult(table, result,
                     [&](const std::string& path) { return vanished.count(path) == 0; });
    // The vanished group takes no number; two groups with the same toggle around it get
    // different numbers; a group left with one file stays a group of one row; a group
    // whose first file vanished keeps its number.
    EXPECT_EQ(column(table, kColFileName),
              (std::vector<std::string>{"a1", "a2", "c1", "c2", "d1", "e2", "e3"}));
    EXPECT_EQ(column(table, kColGroup),
              (std::vector<std::string>{"1", "1", "2", "2", "3", "4", "4"}));
    EXPECT_EQ(table.GroupCount, 4);
    EXPECT_EQ(table.GroupSizes, (std::vector<std::int32_t>{0, 2, 2, 1, 2}));
    EXPECT_EQ(table.RowShadeTable[0], 1);
    EXPECT_EQ(table.RowShadeTable[4], 3);
    EXPECT_FALSE(table.shaded(0));
    EXPECT_TRUE(table.shaded(2));
    EXPECT_TRUE(table.shadingInstalled);
}

TEST(LoadSearchResult, FillsEveryCellOfARow) {
    ResultRow row = searchRow("report.final.PDF", 1234, 2, "/home/me/Docs/");
    ResultRow twin = row;
    twin.folder = "/home/me/Old/";
    ScanResult result = grouped({row, twin});
    for (int k = 0; k < 6; ++k) { // six one-row groups before it: it becomes group 7
        result.rows.insert(result.rows.begin(), searchRow("x" + std::to_string(k), 1, k % 2 + 1));
    }
    ResultTable table;
    LoadSearchResult(table, result, allExist);
    const ResultTableRow& r = table.row(7);
    EXPECT_EQ(r.cell(kColFileName), "report.final.PDF");
    EXPECT_EQ(r.cell(kColSize), "1234");
    EXPECT_EQ(r.cell(kColSortSize), "000000001234");
    EXPECT_EQ(r.cell(kColModified), DateText(1141747509));
    EXPECT_EQ(r.cell(kColSortDate), SortDateText(1141747509));
    EXPECT_EQ(r.cell(kColVersion), "N/A");
    EXPECT_EQ(r.cell(kColGroup), "7");
    EXPECT_EQ(r.cell(kColSortGrpno), "00000000007");
    EXPECT_EQ(r.cell(kColPath), "/home/me/Docs/");
    EXPECT_EQ(r.cell(kColExt), "PDF");
    EXPECT_EQ(r.fullPath(), "/home/me/Docs/report.final.PDF");
    EXPECT_FALSE(r.marked());
    EXPECT_EQ(r.icon, kUnmarkedIcon);
    EXPECT_EQ(r.size(), 1234u);
    EXPECT_EQ(r.group(), 7);
    EXPECT_EQ(table.distinctFolders.back(), "/home/me/Old/");
}

TEST(LoadSearchResult, ReportsProgressEveryFiveHundredRecords) {
    std::vector<ResultRow> rows;
    for (int k = 0; k < 1000; ++k) {
        rows.push_back(searchRow("f" + std::to_string(k), 5, k / 2 % 2 + 1));
    }
    std::vector<std::string> texts;
    ResultTable table;
    LoadSearchResult(table, grouped(rows), allExist,
                     [&](const std::string& text) { texts.push_back(text); });
    EXPECT_EQ(texts, (std::vector<std::string>{"Loading Searched Result...",
                                               "Loading Searched Result...(500/1000)",
                                               "Loading Searched Result...(1000/1000)"}));
    EXPECT_EQ(table.GroupCount, 500);
}

TEST(LoadSearchResult, AnEmptyResultLeavesAnEmptyUnshadedList) {
    ResultTable table;
    std::vector<std::string> texts;
    LoadSearchResult(table, ScanResult{}, allExist,
                     [&](const std::string& text) { texts.push_back(text); });
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.GroupCount, 0);
    EXPECT_FALSE(table.shadingInstalled);
    EXPECT_EQ(texts, std::vector<std::string>{"Loading Searched Result..."});
}

TEST(LoadSearchResult, ZeroSizeRowsAreUngroupedAndVanishedOnesLeftOut) {
    ScanResult result =
        grouped({searchRow("empty", 0, 0), searchRow("gone", 0, 0), searchRow("README", 0, 0)});
    result.grouped = false;
    ResultTable table;
    LoadSearchResult(table, result, [](const std::string& path) { return path != "/data/gone"; });
    EXPECT_FALSE(table.grouped());
    EXPECT_EQ(column(table, kColGroup), (std::vector<std::string>{"N/A", "N/A"}));
    EXPECT_EQ(column(table, kColSize), (std::vector<std::string>{"0", "0"}));
    EXPECT_EQ(column(table, kColSortGrpno), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(table.row(2).cell(kColExt), "");
    EXPECT_EQ(table.row(1).group(), 0);
    EXPECT_FALSE(table.shadingInstalled);
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
    EXPECT_EQ(column(table, kColSize), (std::vector<std::string>{"300", "300", "20", "20"}));
    SortCols(table, kColSize, "None");
    EXPECT_EQ(table.headerPictures[kColSize - 1], kAscendingPicture);
    EXPECT_EQ(column(table, kColFileName), (std::vector<std::string>{"a", "c", "b", "d"}));
    // Another column continues the alternation; only one header shows a picture.
    SortCols(table, kColFileName, "None");
    EXPECT_EQ(table.sortDirection, SortDirection::Descending);
    EXPECT_EQ(table.headerPictures[kColSize - 1], kNoHeaderPicture);
    EXPECT_EQ(column(table, kColFileName), (std::vector<std::string>{"d", "c", "b", "a"}));
    // A command's "Asc", then a click on Group sorts descending.
    SortCols(table, kColGroup, "Asc");
    EXPECT_EQ(table.sortKeyColumn, kColSortGrpno);
    SortCols(table, kColGroup, "None");
    EXPECT_EQ(table.sortDirection, SortDirection::Descending);
    EXPECT_EQ(column(table, kColGroup), (std::vector<std::string>{"2", "2", "1", "1"}));
    // A hidden key column keeps the key column as it was.
    SortCols(table, kColSortDate, "Asc");
    EXPECT_EQ(table.sortKeyColumn, kColSortGrpno);
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

TEST(SortCols, UngroupedListsSortWithoutTouchingTheShading) {
    ScanResult result = grouped({searchRow("b", 0, 0), searchRow("a", 0, 0)});
    result.grouped = false;
    ResultTable table;
    LoadSearchResult(table, result, allExist);
    const auto before = table.RowShadeTable;
    SortCols(table, kColFileName, "Asc");
    EXPECT_EQ(column(table, kColFileName), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(table.RowShadeTable, before);
}

TEST(RemoveLoneRows, DropsGroupsLeftWithOneRowWithoutRenumbering) {
    ResultTable table;
    LoadSearchResult(table,
                     grouped({searchRow("a1", 1, 1), searchRow("a2", 1, 1), searchRow("b1", 2, 2),
                              searchRow("b2", 2, 2), searchRow("b3", 2, 2), searchRow("c1", 3, 1),
                              searchRow("c2", 3, 1)}),
                     allExist);
    table.removeRow(7); // c2 went: c1 is alone now
    table.removeRow(1); // a1 went: a2 is alone now
    RemoveLoneRows(table);
    EXPECT_EQ(column(table, kColFileName), (std::vector<std::string>{"b1", "b2", "b3"}));
    EXPECT_EQ(column(table, kColGroup), (std::vector<std::string>{"2", "2", "2"}));
    EXPECT_EQ(table.RowShadeTable[0], 1);
    // A group number no table could hold sizes nothing and removes nothing.
    table.row(1).cell(kColGroup) = "99999999999";
    RemoveLoneRows(table);
    EXPECT_EQ(table.rowCount(), 3);
    EXPECT_LT(table.GroupSizes.size(), 4u);
}

TEST(ResultTableRow, SizeAndGroupReadDefensively) {
    ResultTableRow row;
    row.cell(kColSize) = "12abc";
    row.cell(kColGroup) = "N/A";
    EXPECT_EQ(row.size(), 12u);
    EXPECT_EQ(row.group(), 0);
    row.cell(kColSize) = "99999999999999999999999";
    EXPECT_EQ(row.size(), std::numeric_limits<std::int64_t>::max());
    row.setMarked(true);
    EXPECT_EQ(row.icon, kMarkedIcon);
}

TEST(MemorySettingsStore, KeepsSectionsAndNumericStoreOrder) {
    MemorySettingsStore store;
    EXPECT_FALSE(store.section("FileMask"));
    EXPECT_EQ(store.get("Export", "ExportType", "1"), "1");
    for (int k : {10, 2, 0, 1}) {
        store.saveValue("FileMask", std::to_string(k), "mask" + std::to_string(k));
    }
    store.saveValue("FileMask", "name", "x");
    const auto values = store.section("FileMask");
    ASSERT_TRUE(values);
    std::vector<std::string> keys;
    for (const auto& [key, value] : *values) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"0", "1", "2", "10", "name"}));
    store.deleteValue("FileMask", "name");
    EXPECT_FALSE(store.value("FileMask", "name"));
    store.deleteSection("FileMask");
    EXPECT_FALSE(store.section("FileMask"));
}

} // namespace
} // namespace pw
