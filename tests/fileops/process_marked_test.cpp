#include "fileops/process_marked.h"
#include "support/replaying_view.h"

#include <gtest/gtest.h>
#include <set>

namespace pw {
namespace {

struct RowDef {
    std::string name;
    int group = 1; // 0: ungrouped ("N/A")
    bool marked = false;
    std::uint64_t size = 512;
};

// A grouped table with its group tables filled as the list's fill leaves them.
ResultTable tableOf(const std::vector<RowDef>& defs, bool grouped = true) {
    ResultTable table;
    table.setGrouped(grouped);
    for (const RowDef& def : defs) {
        ResultTableRow row;
        row.name = def.name;
        row.folder = makeFolderText("/data/");
        row.size = def.size;
        row.modified = {2024, 1, 2, 15, 4, 5};
        row.group = def.group;
        row.marked = def.marked;
        table.appendRow(row);
        if (def.group > 0) {
            if (table.GroupSizes.size() <= static_cast<std::size_t>(def.group)) {
                table.GroupSizes.resize(static_cast<std::size_t>(def.group) + 1, 0);
            }
            ++table.GroupSizes[static_cast<std::size_t>(def.group)];
        }
    }
    table.GroupCount = static_cast<std::int32_t>(table.GroupSizes.size()) - 1;
    RefreshColorShade(table);
    table.takeChanges();
    return table;
}

std::vector<std::string> names(const ResultTable& table, bool markedOnly = false) {
    std::vector<std::string> out;
    for (const ResultTableRow& row : table.rows()) {
        if (!markedOnly || row.marked) {
            out.push_back(row.name);
        }
    }
    return out;
}

using Names = std::vector<std::string>;

// Answers the warnings in turn and records what each one showed.
struct ScriptedWarning {
    std::vector<std::string> answers;
    std::vector<std::vector<WarningLine>> shown;

    WarningCallback callback() {
        return [this](const std::vector<WarningLine>& lines) {
            shown.push_back(lines);
            const std::size_t i = shown.size() - 1;
            return i < answers.size() ? answers[i] : std::string("3");
        };
    }
};

// The rows each warning listed.
std::vector<std::vector<int>> shownRows(const ScriptedWarning& warning) {
    std::vector<std::vector<int>> out;
    for (const auto& lines : warning.shown) {
        out.emplace_back();
        for (const WarningLine& line : lines) {
            out.back().push_back(line.row);
        }
    }
    return out;
}

// Three groups, every file of groups 1 and 3 marked, one file of group 2.
std::vector<RowDef> twoFullGroups() {
    return {{"a1", 1, true}, {"a2", 1, true}, {"b1", 2, true}, {"b2", 2, false},
            {"c1", 3, true}, {"c2", 3, true}, {"c3", 3, true}};
}

TEST(CheckMarks, WarningShowsTheGroupsRowsWithTheirPositions) {
    ResultTable table = tableOf(twoFullGroups());
    ScriptedWarning warning{{"3", "3"}, {}};
    const MarkCheck check = checkMarks(table, false, warning.callback());

    ASSERT_EQ(shownRows(warning), (std::vector<std::vector<int>>{{1, 2}, {5, 6, 7}}));
    const WarningLine& line = warning.shown[0][1];
    EXPECT_EQ(line.fileName + "|" + line.size + "|" + line.modified + "|" + line.version + "|" +
                  line.group + "|" + line.path,
              "a2|512|1/2/2024 3:04:05 PM|N/A|1|/data/");

    // "3" goes on with the marks as they are.
    EXPECT_EQ(check.totals.count, 6);
    EXPECT_EQ(check.totalsText, "Total Files Marked 6 Size 3.00 KB");
    EXPECT_TRUE(check.proceed());
}

TEST(CheckMarks, EachAnswerOfTheWarningActsOnTheRestOfTheRun) {
    // Keep-all unmarks the last row of this and every later full group without asking.
    ResultTable keepAll = tableOf(twoFullGroups());
    ScriptedWarning keep{{"1"}, {}};
    EXPECT_EQ(checkMarks(keepAll, false, keep.callback()).totalsText,
              "Total Files Marked 4 Size 2.00 KB");
    EXPECT_EQ(keep.shown.size(), 1u);
    EXPECT_EQ(names(keepAll, true), (Names{"a1", "b1", "c1", "c2"}));

    // Ignore stops warning and keeps every mark; an unknown answer counts as continue and
    // the next full group warns again.
    for (const auto& [answers, shown] : {std::pair{std::vector<std::string>{"2"}, 1u},
                                         std::pair{std::vector<std::string>{"x", "3"}, 2u}}) {
        ResultTable table = tableOf(twoFullGroups());
        ScriptedWarning warning{answers, {}};
        EXPECT_EQ(checkMarks(table, false, warning.callback()).totals.count, 6);
        EXPECT_EQ(warning.shown.size(), shown);
    }
}

TEST(CheckMarks, MarksChangedInTheWarningAreCounted) {
    ResultTable table = tableOf(twoFullGroups());
    const WarningCallback uncheckFirst = [&table](const std::vector<WarningLine>& lines) {
        applyWarningLineCheck(table, lines.front().row, false);
        return std::string("3");
    };
    const MarkCheck check = checkMarks(table, false, uncheckFirst);
    EXPECT_EQ(names(table, true), (Names{"a2", "b1", "c2", "c3"}));
    EXPECT_EQ(check.totals.count, 4);
}

// A warning closed without a button used to count as "continue", so the files of the
// group the user had just been warned about were deleted all the same.
TEST(CheckMarks, AWarningClosedWithoutAnswerStopsWithEveryMarkPutBack) {
    ResultTable table = tableOf(twoFullGroups());
    int warnings = 0;
    // Each warning unchecks its first line; the first goes on, the second is closed.
    const WarningCallback closeSecond = [&](const std::vector<WarningLine>& lines) {
        applyWarningLineCheck(table, lines.front().row, false);
        return std::string(++warnings == 1 ? "3" : "");
    };
    bool dialogShown = false;
    const ProcessOutcome outcome = ProcessMarkedFiles(
        table, MarkedOperation::Delete, false, closeSecond,
        [&dialogShown](MarkedOperation, const MarkCheck&) { return dialogShown = true; });
    EXPECT_EQ(warnings, 2);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_FALSE(outcome.message.has_value());
    EXPECT_TRUE(outcome.totalsText.empty());
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(names(table, true), (Names{"a1", "a2", "b1", "c1", "c2", "c3"}));
}

TEST(CheckMarks, RowsOfAGroupStandingApartAreTheOnesShown) {
    // After a sort by name the group's rows are not adjacent: the lines must be the
    // group's own rows, never the rows just above the last one.
    ResultTable table = tableOf({{"a", 1, true}, {"b", 2, false}, {"c", 1, true}, {"d", 2, true}});
    ScriptedWarning warning{{"1"}, {}};
    checkMarks(table, false, warning.callback());
    EXPECT_EQ(shownRows(warning), (std::vector<std::vector<int>>{{1, 3}}));
    EXPECT_EQ(names(table, true), (Names{"a", "d"}));
}

TEST(CheckMarks, NothingMarkedZeroSizeAndStrayGroups) {
    ResultTable none = tableOf({{"a", 1, false}, {"b", 1, false}});
    ScriptedWarning warning;
    const MarkCheck empty = checkMarks(none, false, warning.callback());
    EXPECT_FALSE(empty.proceed());
    EXPECT_EQ(empty.message->text, "No items marked/checked");
    EXPECT_EQ(empty.message->title, "Error");
    EXPECT_EQ(empty.totalsText, "Total Files Marked 0 Size 0 Bytes");
    // Copy stops with the same message, and goes on when one row is marked.
    EXPECT_EQ(checkMarksForCopy(none)->text, "No items marked/checked");
    none.setMarked(2, true);
    EXPECT_FALSE(checkMarksForCopy(none));

    // Zero-size rows never warn, and their size is not added.
    ResultTable zero = tableOf({{"z1", 0, true, 0}, {"z2", 0, true, 700}}, false);
    const MarkCheck zeroCheck = checkMarks(zero, true, warning.callback());
    EXPECT_EQ(zeroCheck.totalsText, "Total Files Marked 2 Size 0 Bytes");

    // A group number the tables do not know is never warned about, and never read past.
    ResultTable stray = tableOf({{"a", 1, true}, {"b", 9, true}});
    stray.GroupSizes = {0, 2};
    const MarkCheck strayCheck = checkMarks(stray, false, warning.callback());
    EXPECT_EQ(strayCheck.totals.count, 2);
    EXPECT_TRUE(warning.shown.empty());
}

TEST(TidyUp, DropsGoneFilesThenLoneRowsWithoutRenumbering) {
    ResultTable table = tableOf({{"a1", 1, true},
                                 {"a2", 1, false},
                                 {"b1", 2, true},
                                 {"b2", 2, true},
                                 {"b3", 2, false},
                                 {"c1", 3, true},
                                 {"c2", 3, true},
                                 {"d1", 4, false},
                                 {"d2", 4, false}});
    test::ReplayingView view(table);
    view.select(5);
    view.setCurrent(9);
    // a1, b1, c1 and c2 are gone; b2 could not be deleted.
    const std::set<std::string> gone = {"/data/a1", "/data/b1", "/data/c1", "/data/c2"};
    const std::string text =
        tidyUp(table, false, [&gone](const std::string& path) { return !gone.contains(path); });

    EXPECT_EQ(names(table), (Names{"b2", "b3", "d1", "d2"}));
    // A list view follows both removals and keeps its selection and current row.
    using Kind = TableChange::Kind;
    EXPECT_EQ(view.follow(), (std::vector<Kind>{Kind::Removed, Kind::Removed, Kind::Shading}));
    EXPECT_EQ(view.selectedIds(), std::set<std::string>{"/data/b3"});
    EXPECT_EQ(view.currentId(), "/data/d2");
    EXPECT_TRUE(table.row(1).marked);
    EXPECT_EQ(table.row(3).group, 4);
    EXPECT_EQ(text, "Total Files Marked 1 Size 512 Bytes");
    // The shading is per run again: b plain, d shaded.
    EXPECT_FALSE(table.shaded(0));
    EXPECT_FALSE(table.shaded(1));
    EXPECT_TRUE(table.shaded(2));
    EXPECT_TRUE(table.shaded(3));
}

TEST(TidyUp, ZeroSizeRowsAreNeverDroppedForBeingAlone) {
    ResultTable table =
        tableOf({{"z1", 0, true, 0}, {"z2", 0, false, 0}, {"z3", 0, true, 0}}, false);
    const std::string text =
        tidyUp(table, true, [](const std::string& path) { return path != "/data/z1"; });
    EXPECT_EQ(names(table), (Names{"z2", "z3"}));
    EXPECT_EQ(text, "Total Files Marked 1 Size 0 Bytes");
}

TEST(ProcessMarkedFilesTest, CancelledDialogLeavesTheListAndFinishedOneTidiesIt) {
    const std::vector<RowDef> defs = {{"/nonexistent-a1", 1, true}, {"/nonexistent-a2", 1, false}};
    ScriptedWarning warning;
    std::vector<MarkedOperation> dialogs;

    ResultTable table = tableOf(defs);
    ProcessOutcome outcome =
        ProcessMarkedFiles(table, MarkedOperation::Move, false, warning.callback(),
                           [&dialogs](MarkedOperation operation, const MarkCheck& check) {
                               dialogs.push_back(operation);
                               EXPECT_EQ(check.totals.count, 1);
                               return true;
                           });
    EXPECT_FALSE(outcome.tidied);
    EXPECT_EQ(table.rowCount(), 2);
    EXPECT_EQ(outcome.totalsText, "Total Files Marked 1 Size 512 Bytes");

    // Not cancelled: the marked file does not exist, so its row goes and its partner too.
    outcome = ProcessMarkedFiles(table, MarkedOperation::Delete, false, warning.callback(),
                                 [&dialogs](MarkedOperation operation, const MarkCheck&) {
                                     dialogs.push_back(operation);
                                     return false;
                                 });
    EXPECT_TRUE(outcome.tidied);
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(outcome.totalsText, "Total Files Marked 0 Size 0 Bytes");
    EXPECT_EQ(dialogs,
              (std::vector<MarkedOperation>{MarkedOperation::Move, MarkedOperation::Delete}));

    // Nothing marked: the message, and no dialog.
    ResultTable unmarked = tableOf({{"x", 1, false}, {"y", 1, false}});
    outcome = ProcessMarkedFiles(unmarked, MarkedOperation::Delete, false, warning.callback(),
                                 [&dialogs](MarkedOperation, const MarkCheck&) {
                                     dialogs.push_back(MarkedOperation::Delete);
                                     return false;
                                 });
    ASSERT_TRUE(outcome.message.has_value());
    EXPECT_EQ(outcome.message->text, "No items marked/checked");
    EXPECT_EQ(dialogs.size(), 2u);
}

TEST(RemoveFromResultTest, RemovesMarkedRowsAndTheirLonePartnersOnly) {
    ResultTable table = tableOf(
        {{"a1", 1, true}, {"a2", 1, false}, {"b1", 2, true}, {"b2", 2, false}, {"b3", 2, false}});
    EXPECT_FALSE(RemoveFromResult(table).has_value());
    EXPECT_EQ(names(table), (Names{"b2", "b3"}));

    const auto message = RemoveFromResult(table);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->text, "No items marked/checked");
    EXPECT_EQ(message->title, "Error");

    ResultTable zero = tableOf({{"z1", 0, true, 0}, {"z2", 0, false, 0}}, false);
    EXPECT_FALSE(RemoveFromResult(zero).has_value());
    EXPECT_EQ(names(zero), (Names{"z2"}));
}

} // namespace
} // namespace pw
