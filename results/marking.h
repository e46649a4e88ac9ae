#pragma once
// The quick-marking commands of the result list, the marked totals text, the "Mark All
// Duplicates upto..." limit dialog and the effect of the all-marked-group warning on the
// rows. Every command works on the table alone (plus the selected row positions where it
// needs them) and returns what the window shows afterwards; none of them touches any
// window toolkit, so the desktop program and the command-line tool share them.
//
// Row positions are 1-based, as in ResultTable. A position outside 1..rowCount() is
// ignored rather than trusted, because selections arrive from the front ends.
// Everything here runs on the caller's thread and does not yield.

#include "results/result_table.h"
#include "settings/settings_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// A message box: text and title exactly as the user sees them, with an OK button.
struct UserMessage {
    std::string text;
    std::string title;
};

// What a marking command leaves for the window: the marked totals text for status panel 1,
// a message to show, or neither (the command did nothing visible).
struct MarkOutcome {
    std::optional<std::string> totalsText;
    std::optional<UserMessage> message;
};

// A count of marked rows and the sum of their sizes in bytes. The sum is a double because
// the totals text formats it as one and size texts from a loaded session can be huge.
struct MarkedTotals {
    std::int64_t count = 0;
    double bytes = 0;
};

// "Total Files Marked 3 Size 1.50 KB".
std::string markedTotalsText(std::int64_t count, double bytes);
std::string markedTotalsText(const MarkedTotals& totals);

// Every marked row counted, sizes added up.
MarkedTotals countMarked(const ResultTable& table);
// countMarked written as the totals text.
MarkOutcome recount(const ResultTable& table);

// Unmarks every row; the text reads "Total Files Marked 0 Size 0 Bytes".
MarkOutcome MarkNone(ResultTable& table);
// Marks every row (ungrouped mode's command).
MarkOutcome MarkAll(ResultTable& table);
// Marks or unmarks the selected rows, leaves the others as they are, then recounts.
MarkOutcome MarkSelected(ResultTable& table, const std::vector<int>& selectedPositions);
MarkOutcome UnMarkSelected(ResultTable& table, const std::vector<int>& selectedPositions);

// Sorts the list by group, then marks every row except, in each group, the one with the
// latest "sortDate"; among equal times the row whose position, as decimal text, is
// greatest in text order stays (row 9 before row 12 before row 100). Rows marked before
// stay marked unless kept; the totals cover the rows this command left marked.
MarkOutcome MarkAllDuplicates(ResultTable& table);

// Sorts the list by "sortGrpno" through the list's own sort settings (header pictures
// untouched), unmarks every row, then walks the rows marking every row but the first of
// each run of equal "Group" texts, until marking the next row would bring the marked
// total above limitKB; the walk stops there even if a later, smaller file would fit.
// limitKB 0 (no limit chosen yet) marks only empty files. Refreshes the shading.
MarkOutcome MarkAllDuplicatesUpto(ResultTable& table, double limitKB);

// Marks every row whose Path equals (MarkFolder) or begins with (MarkFolderAndSubFolders)
// the Path of the row at selectedPosition, letter case counting, then recounts. Paths end
// with "/", so ".../Data/" never takes in ".../Database/". Nothing happens when the list
// is empty or selectedPosition names no row.
MarkOutcome MarkFolder(ResultTable& table, int selectedPosition);
MarkOutcome MarkFolderAndSubFolders(ResultTable& table, int selectedPosition);

// The width, in 1/1440 inch from the list's left edge, of the mark picture at the start of
// a row: clicks at or left of it act on the mark.
inline constexpr int kMarkPictureWidth = 300;
inline bool onMarkPicture(int lastMouseX) {
    return lastMouseX <= kMarkPictureWidth;
}

// A click on a row: on the mark picture it toggles the row's mark and recounts; elsewhere
// it only selects (no outcome).
MarkOutcome itemClick(ResultTable& table, int selectedPosition, int lastMouseX);

// A double click on the mark picture, or the Space key: marks the selected rows when the
// focused row is unmarked, otherwise unmarks them. Nothing on an empty list or when
// focusedPosition names no row.
MarkOutcome markOrUnmarkSelected(ResultTable& table, int focusedPosition,
                                 const std::vector<int>& selectedPositions);

// The all-marked-group warning: checking a line marks the row it names, unchecking it
// unmarks that row; the totals text is left as it is. A row position that names no row
// (the list changed underneath) is ignored.
void applyWarningLineCheck(ResultTable& table, int rowPosition, bool checked);
// "&Continue" asks this Yes/No question (No the default) when every line is still checked;
// nullopt when at least one line was unchecked.
std::optional<UserMessage> warningContinueQuestion(const std::vector<bool>& lineChecked);

// ---- The "Mark All Duplicates upto..." limit dialog ----

inline constexpr double kCdLimitKB = 716800;   // 700 * 1024
inline constexpr double kDvdLimitKB = 4589843; // "DVD (4.3 GB)"

enum class MaxSizeOption : int { None = 0, Cd = 1, Dvd = 2, Specify = 3 };

// The dialog's controls: the chosen option, the typed amount and the unit index
// (0 "KB", 1 "MB", 2 "GB", -1 none selected).
struct MaxSizeDialog {
    MaxSizeOption option = MaxSizeOption::Cd;
    std::string text = "0";
    int unitIndex = 0;

    // The amount and unit boxes are usable only with "Specify :".
    bool amountEnabled() const { return option == MaxSizeOption::Specify; }
};

// The dialog from and to its stored values (settings_table.h): a stored option that names
// none of the three leaves none selected, and a unit index outside 0..2 selects no unit.
MaxSizeDialog loadMaxSizeDialog(const SettingsStore& store);
// Run whenever the dialog closes; the option is not stored when none is selected.
void saveMaxSizeDialog(SettingsStore& store, const MaxSizeDialog& dialog);

// "OK": sets maxSizeValue (the limit in KB, kept between uses of the dialog) from the
// dialog and returns nullopt, upon which the dialog closes. With "Specify :" and a text
// that is not a number it returns the message " type only integer values" / "Error" and
// leaves maxSizeValue alone; the dialog stays open with the focus on the amount. No option
// or no unit selected closes the dialog with maxSizeValue unchanged.
std::optional<UserMessage> acceptMaxSize(const MaxSizeDialog& dialog,
                                         std::optional<double>& maxSizeValue);

// ---- Shared by the rules that keep one file per group ----

// A key as the keep-rules compare it: a numeric text becomes its value, rounded to a whole
// number, zero-padded to 12 digits (longer values keep all their digits); any other text,
// such as a four-part version or "N/A", is returned unchanged.
std::string padKey(std::string_view text);

// A typed amount read as a number: blanks around it, a sign, a decimal point and an
// exponent are accepted; nullopt when the text is not a finite number.
std::optional<double> readAmount(std::string_view text);
// A text read as a whole number (blanks around it allowed); nullopt otherwise.
std::optional<long long> readWhole(std::string_view text);

// Collects "key?position" texts for the rows marked in one group and, on close, unmarks
// the row the group keeps: the first after SortArray (case-insensitive, in the given
// direction). Ties in the key fall to the position text order, which is what the users
// of these rules have always seen, so the quicksort must not be replaced.
class GroupKeeper {
public:
    explicit GroupKeeper(bool ascending) : m_ascending(ascending) {}

    void add(std::string_view key, int position);
    bool empty() const { return m_buffer.empty(); }
    // Unmarks the kept row, takes it out of totals and empties the buffer. Does nothing
    // when the buffer is empty.
    void close(ResultTable& table, MarkedTotals& totals);

private:
    bool m_ascending;
    std::vector<std::string> m_buffer;
};

} // namespace pw
