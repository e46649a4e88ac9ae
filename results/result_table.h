#pragma once
// The result list as the engine keeps it: typed rows in display order, the list's mode and
// sort settings, and the group tables that the marking rules and the file operations
// read. A row's 1-based position is its identity; positions change when the list is
// sorted or rows are removed. Nothing here knows about any window toolkit: the desktop
// program shows this table through a model.
//
// Every change to the rows goes through the table, which logs what kind of change it was
// (TableChange). A view takes the log after each command and updates itself from it
// without a reset, whatever the command was.

#include "results/result_row.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

enum class SortDirection { Ascending, Descending };

// Header pictures of the sort direction.
inline constexpr int kNoHeaderPicture = 0;
inline constexpr int kAscendingPicture = 1;
inline constexpr int kDescendingPicture = 2;

// One change to the table, in the order the changes happened; positions are those of the
// table as it stood right after the change before it. Applied in order, the log takes a
// view from the table it last showed to the table as it is now:
// - Reset: the table was filled or cleared; show it afresh. A reset stands alone in a log.
// - Marks: rows first..last may have changed their mark (the picture), nothing else.
// - Cells: cells of rows first..last changed (a renamed file's name and extension).
// - Shading: the background of rows first..last changed (RowShadeTable).
// - Reordered: the rows were sorted; the row that stood at position p now stands at
//   newPositions[p - 1]. Selection and the current row follow their rows. The sort
//   settings and header pictures may have changed with it.
// - Removed: the rows at `positions` (ascending) were removed; the others close up.
struct TableChange {
    enum class Kind { Reset, Marks, Cells, Shading, Reordered, Removed };

    Kind kind = Kind::Reset;
    int first = 0;
    int last = 0;
    std::vector<int> positions;
    std::vector<int> newPositions;
};

class ResultTable {
public:
    // Rows in display order; 1-based positions, 1 to rowCount().
    const std::vector<ResultTableRow>& rows() const { return m_rows; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const ResultTableRow& row(int position) const {
        return m_rows[static_cast<std::size_t>(position - 1)];
    }

    // Adds a row at the end, as a fill does (a Reset); reserveRows makes room first.
    void appendRow(ResultTableRow row);
    void reserveRows(std::size_t count) { m_rows.reserve(count); }
    // Marks or unmarks the row at `position` (Marks, when its mark changes).
    void setMarked(int position, bool marked);
    // A renamed file: the row's name and, with it, its extension (Cells).
    void setFileName(int position, std::string name);
    // Removes every row for which `remove` answers true; it is asked once per row, in
    // display order. Returns the number removed (Removed).
    int removeRows(const std::function<bool(const ResultTableRow&)>& remove);

    // Grouped mode after a content or same-name search; ungrouped after the zero-size
    // listing (the desktop program shows "Mark All" only in ungrouped mode).
    bool grouped() const { return m_grouped; }
    void setGrouped(bool grouped) { m_grouped = grouped; }

    // Empties the rows and the group tables; keeps the sort direction (it carries on from
    // sort to sort) and switches automatic sorting off (a Reset).
    void clear();

    // Sort settings of the list: key column (1-based), direction, automatic sorting, and
    // the picture each column header shows.
    int sortKeyColumn = kColFileName;
    SortDirection sortDirection = SortDirection::Ascending;
    bool autoSort = false;
    std::array<int, kColumnCount> headerPictures{};
    // When autoSort is on, a stable sort of the rows by sortKey(row, sortKeyColumn), text
    // order without regard to case, in sortDirection (Reordered).
    void sortRows();

    // Group tables: GroupSizes[g] rows of group g (index 0 unused), GroupCount groups,
    // RowShadeTable[p] for the row at 0-based position p (even = shaded), ShadingOff after
    // a drawing failure.
    std::vector<std::int32_t> GroupSizes{0};
    std::int32_t GroupCount = 0;
    std::vector<std::int32_t> RowShadeTable;
    bool ShadingOff = false;
    // Whether row shading is in force (the desktop program's shading hook is installed).
    bool shadingInstalled = false;

    // The distinct folders of the listed files, in order of first occurrence, each the
    // text its rows share; they feed the folder list of the advanced marking.
    std::vector<FolderText> distinctFolders;
    std::vector<std::string> distinctFolderTexts() const;

    // The search folders the rows were found below: a file operation opens a row's file
    // again without following any symbolic link below them.
    std::vector<std::string> searchFolders;

    // Whether the row at 0-based position p is drawn shaded.
    bool shaded(int zeroBasedPosition) const;

    // The changes since the last call, oldest first; the log starts empty again.
    std::vector<TableChange> takeChanges();

private:
    friend void RefreshColorShade(ResultTable& table);

    void record(TableChange change);

    std::vector<ResultTableRow> m_rows;
    bool m_grouped = true;
    std::vector<TableChange> m_changes;
};

// Renumbers the shading runs after the rows were reordered or removed: each new run of
// an equal group number in display order takes the next number (Shading).
void RefreshColorShade(ResultTable& table);

// A click on a column header, or a command's sort: column as clicked (1-based), order
// "None" to toggle the direction, any other text (the commands pass "Asc") for
// ascending. Columns 7 to 9 are hidden: clicking them leaves the key column unchanged.
void SortCols(ResultTable& table, int column, std::string_view sortOrder);

// The tidy-up after rows were removed: groups left with one row lose it; nothing is
// renumbered; the shading is refreshed. In ungrouped mode it does nothing.
void RemoveLoneRows(ResultTable& table);

} // namespace pw
