#include "results/marking.h"
#include "row_builder.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace pw {
namespace {

constexpr std::uint64_t kMB = 1024 * 1024;

using test::markedNames;
using test::RowDef;
using test::tableOf;
using Names = std::vector<std::string>;

// The totals text is every marking command's check.

TEST(QuickMarking, NoneAllSelectedAndUnmarkSelected) {
    ResultTable table = tableOf({{"a", 10}, {"b", 20}, {"c", 30}, {"d", 40}});
    EXPECT_EQ(MarkAll(table).totalsText, "Total Files Marked 4 Size 100 Bytes");
    EXPECT_EQ(markedNames(table), (Names{"a", "b", "c", "d"}));
    EXPECT_EQ(MarkNone(table).totalsText, "Total Files Marked 0 Size 0 Bytes");
    EXPECT_TRUE(markedNames(table).empty());

    table.setMarked(4, true);
    // Positions from a stale selection must not reach past the table.
    EXPECT_EQ(MarkSelected(table, {1, 3, 0, 5, -2}).totalsText,
              "Total Files Marked 3 Size 80 Bytes");
    EXPECT_EQ(markedNames(table), (Names{"a", "c", "d"}));
    EXPECT_EQ(UnMarkSelected(table, {3, 2, 99}).totalsText, "Total Files Marked 2 Size 50 Bytes");
    EXPECT_EQ(markedNames(table), (Names{"a", "d"}));

    ResultTable empty;
    EXPECT_EQ(MarkAll(empty).totalsText, "Total Files Marked 0 Size 0 Bytes");
}

TEST(MarkAllDuplicates, KeepsTheNewestFileOfEveryGroupAfterSortingByGroup) {
    ResultTable table = tableOf({
        {"g2-old", 100, "20230101000000", 2},
        {"g1-new", 10, "20240301000000", 1},
        {"g2-new", 100, "20240101000000", 2},
        {"g1-old", 10, "20220101000000", 1},
        {"g3-alone", 7, "20200101000000", 3},
    });
    table.setMarked(3, true); // marked before, kept now
    const MarkOutcome outcome = MarkAllDuplicates(table);
    EXPECT_EQ(outcome.totalsText, "Total Files Marked 2 Size 110 Bytes");
    EXPECT_EQ(markedNames(table), (Names{"g1-old", "g2-old"}));
    // The list was sorted by group, ascending, and shows it.
    for (int p = 1; p < table.rowCount(); ++p) {
        EXPECT_LE(table.row(p).group, table.row(p + 1).group);
    }
    EXPECT_EQ(table.headerPictures[kColGroup - 1], kAscendingPicture);

    // Rows without a group number do not break the walk: they are one group.
    ResultTable ungrouped = tableOf({{"a", 5, "20240101000000", 0}, {"b", 5, "20240102000000", 0}});
    ungrouped.setGrouped(false);
    EXPECT_EQ(MarkAllDuplicates(ungrouped).totalsText, "Total Files Marked 1 Size 5 Bytes");
    EXPECT_EQ(markedNames(ungrouped), Names{"a"});
}

TEST(MarkAllDuplicates, EqualTimesKeepTheRowWhosePositionTextIsGreatest) {
    // Group 1 fills rows 1 to 8 so that group 2 starts at row 9.
    std::vector<RowDef> defs;
    for (int i = 1; i <= 8; ++i) {
        defs.push_back({"g1-" + std::to_string(i), 1, "20240101000000", 1});
    }
    auto groupTwo = [&defs](const std::vector<int>& latest, int lastRow) {
        std::vector<RowDef> all = defs;
        for (int p = 9; p <= lastRow; ++p) {
            const bool isLatest = std::find(latest.begin(), latest.end(), p) != latest.end();
            all.push_back(
                {"r" + std::to_string(p), 1, isLatest ? "20240601000000" : "20240501000000", 2});
        }
        return tableOf(all);
    };
    auto keptInGroupTwo = [](const ResultTable& table) {
        Names kept;
        for (const ResultTableRow& row : table.rows()) {
            if (row.group == 2 && !row.marked) {
                kept.push_back(row.name);
            }
        }
        return kept;
    };

    ResultTable small = groupTwo({9, 10, 12}, 12);
    MarkAllDuplicates(small);
    EXPECT_EQ(keptInGroupTwo(small), Names{"r9"});

    // 92 rows in the group: the quicksort's partition step runs, the choice is the same.
    ResultTable large = groupTwo({12, 100}, 100);
    MarkAllDuplicates(large);
    EXPECT_EQ(keptInGroupTwo(large), Names{"r12"});
    ResultTable allEqual = groupTwo({}, 100);
    MarkAllDuplicates(allEqual);
    EXPECT_EQ(keptInGroupTwo(allEqual), Names{"r99"});
    EXPECT_EQ(countMarked(allEqual).count, 7 + 91);
}

std::vector<RowDef> groupsOfThree(int groups, std::uint64_t size) {
    std::vector<RowDef> defs;
    for (int g = groups; g >= 1; --g) { // reverse order: the command sorts first
        for (int i = 1; i <= 3; ++i) {
            defs.push_back({"g" + std::to_string(g) + "-" + std::to_string(i), size,
                            "2024010100000" + std::to_string(i), g});
        }
    }
    return defs;
}

TEST(MarkAllDuplicatesUpto, MarksAllButTheFirstOfEachGroupUntilAFileWouldPassTheLimit) {
    std::vector<RowDef> defs = groupsOfThree(2, 400 * kMB);
    defs.push_back({"g3-1", 1024, "20240101000000", 3});
    defs.push_back({"g3-2", 1024, "20240101000000", 3}); // would fit, but the walk stopped
    ResultTable table = tableOf(defs);
    table.setMarked(1, true);
    table.headerPictures[0] = kDescendingPicture;

    const MarkOutcome outcome = MarkAllDuplicatesUpto(table, kCdLimitKB);
    EXPECT_EQ(markedNames(table), Names{"g1-2"});
    EXPECT_EQ(outcome.totalsText, "Total Files Marked 1 Size 400.00 MB");
    // Sorted through the list's own settings; the header pictures are left alone.
    EXPECT_EQ(table.row(1).name, "g1-1");
    EXPECT_EQ(table.sortKeyColumn, kColSortGrpno);
    EXPECT_EQ(table.sortDirection, SortDirection::Ascending);
    EXPECT_TRUE(table.autoSort);
    EXPECT_EQ(table.headerPictures[0], kDescendingPicture);
    // Shading follows the new order: groups 1, 2, 3 shade as runs 1, 2, 3.
    EXPECT_EQ(table.RowShadeTable[0], 1);
    EXPECT_EQ(table.RowShadeTable[3], 2);
    EXPECT_EQ(table.RowShadeTable[6], 3);

    // Within the limit, all but the first of each group.
    ResultTable small = tableOf(groupsOfThree(2, 1024));
    EXPECT_EQ(MarkAllDuplicatesUpto(small, 4).totalsText, "Total Files Marked 4 Size 4.00 KB");
    EXPECT_EQ(markedNames(small), (Names{"g1-2", "g1-3", "g2-2", "g2-3"}));
    MarkAllDuplicatesUpto(small, 3.5);
    EXPECT_EQ(markedNames(small), (Names{"g1-2", "g1-3", "g2-2"}));
    // No limit chosen yet: every row ends unmarked.
    MarkAll(small);
    EXPECT_EQ(MarkAllDuplicatesUpto(small, 0).totalsText, "Total Files Marked 0 Size 0 Bytes");
}

TEST(MarkFolder, MarksOneFolderOrItsSubFoldersButNotASiblingWithTheSamePrefix) {
    const std::vector<RowDef> defs{
        {"a", 1, "20240101000000", 1, "/Data/"},     {"b", 2, "20240101000000", 1, "/Data/Old/"},
        {"c", 4, "20240101000000", 2, "/Database/"}, {"d", 8, "20240101000000", 2, "/data/"},
        {"e", 16, "20240101000000", 3, "/Data/"},    {"f", 32, "20240101000000", 3, "/old/Data/"},
    };
    ResultTable table = tableOf(defs);
    EXPECT_EQ(MarkFolder(table, 5).totalsText, "Total Files Marked 2 Size 17 Bytes");
    EXPECT_EQ(markedNames(table), (Names{"a", "e"}));

    ResultTable sub = tableOf(defs);
    EXPECT_EQ(MarkFolderAndSubFolders(sub, 1).totalsText, "Total Files Marked 3 Size 19 Bytes");
    EXPECT_EQ(markedNames(sub), (Names{"a", "b", "e"}));

    // Marks elsewhere stay and are counted.
    ResultTable others = tableOf(defs);
    others.setMarked(4, true);
    EXPECT_EQ(MarkFolder(others, 3).totalsText, "Total Files Marked 2 Size 12 Bytes");

    ResultTable empty;
    EXPECT_FALSE(MarkFolder(empty, 1).totalsText);
    EXPECT_FALSE(MarkFolderAndSubFolders(empty, 1).totalsText);
    EXPECT_FALSE(MarkFolder(table, 0).totalsText);
    EXPECT_FALSE(MarkFolderAndSubFolders(table, 7).totalsText);
}

TEST(ListGestures, ClickOnThePictureTogglesAndDoubleClickFollowsTheFocusedRow) {
    ResultTable table = tableOf({{"a", 1}, {"b", 2}, {"c", 4}});
    EXPECT_EQ(itemClick(table, 2, 300).totalsText, "Total Files Marked 1 Size 2 Bytes");
    EXPECT_TRUE(table.row(2).marked);
    EXPECT_EQ(table.row(2).icon(), kMarkedIcon);
    EXPECT_FALSE(itemClick(table, 2, 301).totalsText); // only selects
    EXPECT_TRUE(table.row(2).marked);
    itemClick(table, 2, 10);
    EXPECT_FALSE(table.row(2).marked);
    EXPECT_FALSE(itemClick(table, 4, 10).totalsText);

    // Focused row unmarked: the selection is marked; focused row marked: it is unmarked.
    EXPECT_EQ(markOrUnmarkSelected(table, 1, {1, 3}).totalsText,
              "Total Files Marked 2 Size 5 Bytes");
    EXPECT_EQ(markedNames(table), (Names{"a", "c"}));
    table.setMarked(2, true);
    markOrUnmarkSelected(table, 3, {2, 3});
    EXPECT_EQ(markedNames(table), Names{"a"});
    ResultTable empty;
    EXPECT_FALSE(markOrUnmarkSelected(empty, 1, {1}).totalsText);
}

TEST(WarningLines, CheckMarksNameTheirRowAndContinueAsksOnlyWhenNothingChanged) {
    ResultTable table = tableOf({{"a", 1}, {"b", 2}});
    MarkAll(table);
    applyWarningLineCheck(table, 2, false);
    EXPECT_EQ(markedNames(table), Names{"a"});
    applyWarningLineCheck(table, 2, true);
    EXPECT_EQ(markedNames(table), (Names{"a", "b"}));
    applyWarningLineCheck(table, 3, false); // a row that is gone
    EXPECT_EQ(markedNames(table), (Names{"a", "b"}));

    const auto question = warningContinueQuestion({true, true});
    ASSERT_TRUE(question);
    EXPECT_EQ(question->title, "Confirm");
    EXPECT_FALSE(warningContinueQuestion({true, false}));
}

TEST(MaxSizeDialog, ChoicesAreStoredAndOkWorksOutTheLimitInKB) {
    MemorySettingsStore store;
    EXPECT_FALSE(loadMaxSizeDialog(store).amountEnabled());
    saveMaxSizeDialog(store, MaxSizeDialog{MaxSizeOption::Specify, "2.9", 1});
    const MaxSizeDialog back = loadMaxSizeDialog(store);
    EXPECT_TRUE(back.option == MaxSizeOption::Specify && back.text == "2.9" && back.unitIndex == 1);
    EXPECT_TRUE(back.amountEnabled());
    // No option selected: the stored one stays.
    saveMaxSizeDialog(store, MaxSizeDialog{MaxSizeOption::None, "5", 0});
    EXPECT_EQ(loadMaxSizeDialog(store).option, MaxSizeOption::Specify);
    // Numbers that name no option or unit select nothing instead of failing.
    store.saveValue("MaxLimit", "Option", "7");
    store.saveValue("MaxSet", "Value", "9");
    EXPECT_EQ(loadMaxSizeDialog(store).option, MaxSizeOption::None);
    EXPECT_EQ(loadMaxSizeDialog(store).unitIndex, -1);

    std::optional<double> value;
    for (const auto& [dialog, kb] : std::vector<std::pair<MaxSizeDialog, double>>{
             {{MaxSizeOption::Cd, "", 0}, 716800},
             {{MaxSizeOption::Dvd, "", 0}, 4589843},
             {{MaxSizeOption::Specify, "1.5", 1}, 1024}, // whole units, halves to even
             {{MaxSizeOption::Specify, "2.9", 1}, 2048},
             {{MaxSizeOption::Specify, "1.5", 0}, 1.5},
             {{MaxSizeOption::Specify, " 2 ", 2}, 2 * 1024 * 1024},
             // No unit or no option close the dialog and keep the last limit.
             {{MaxSizeOption::Specify, "9", -1}, 2 * 1024 * 1024},
             {{MaxSizeOption::None, "9", 0}, 2 * 1024 * 1024}}) {
        EXPECT_FALSE(acceptMaxSize(dialog, value));
        EXPECT_EQ(value, kb) << dialog.text;
    }
    for (const char* text : {"", "abc", "1,5", "1.2.3", "1e999"}) {
        const auto message = acceptMaxSize({MaxSizeOption::Specify, text, 0}, value);
        ASSERT_TRUE(message) << text;
        EXPECT_EQ(message->text + message->title, " type only integer valuesError");
        EXPECT_EQ(value, 2 * 1024 * 1024) << text;
    }
}

TEST(GroupKeeper, UnmarksTheFirstEntryAfterSortingAndReadsThePositionAfterTheLastQuestionMark) {
    ResultTable table = tableOf({{"a", 10}, {"b", 20}, {"c", 40}});
    MarkAll(table);
    MarkedTotals totals = countMarked(table);
    GroupKeeper keeper(false);
    keeper.close(table, totals); // nothing collected: nothing changes
    EXPECT_EQ(totals.count, 3);
    keeper.add("1?5", 1); // a key with a "?" of its own must not hide the position
    keeper.add("1?7", 3);
    keeper.add("1?6", 2);
    keeper.close(table, totals);
    EXPECT_TRUE(keeper.empty());
    EXPECT_EQ(markedNames(table), (Names{"a", "b"}));
    EXPECT_EQ(totals.count, 2);
    EXPECT_EQ(totals.bytes, 30);
}

TEST(KeepRuleKeys, NumbersArePaddedToTwelveDigitsAndOtherTextsStayAsTheyAre) {
    EXPECT_EQ(padKey("1234"), "000000001234");
    EXPECT_EQ(padKey("0"), "000000000000");
    EXPECT_EQ(padKey("20240101120000"), "20240101120000");
    EXPECT_EQ(padKey("123456789012345678901"), "123456789012345678901");
    EXPECT_EQ(padKey("10.0"), "000000000010");
    EXPECT_EQ(padKey("2.5"), "000000000003");
    EXPECT_EQ(padKey("1.2.3.4"), "1.2.3.4");
    EXPECT_EQ(padKey("N/A"), "N/A");
    EXPECT_EQ(padKey(""), "");
}

} // namespace
} // namespace pw
