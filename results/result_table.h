#pragma once
// The result list as the engine keeps it: rows in display order with the ten cells of a
// row, the row's mark, the list's mode and sort settings, and the group tables that the
// marking rules and the file operations read. A row's 1-based position is its identity;
// positions change when the list is sorted or rows are removed. Nothing here knows about
// any window toolkit: the desktop program shows this table through a model.

#include "search/scan_types.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// Row pictures: the mark of a row is its picture index, and nothing else.
inline constexpr int kMarkedIcon = 17;
inline constexpr int kUnmarkedIcon = 18;

// Column indexes, 1-based as the list numbers them (1 is the row text).
enum Column : int {
    kColFileName = 1,
    kColSize = 2,      // "Size(Bytes)": plain decimal digits
    kColModified = 3,  // "Last Modified.": the DateText
    kColVersion = 4,   // "File Version"
    kColGroup = 5,     // "Group": 1, 2, 3 ... or "N/A" in ungrouped mode
    kColPath = 6,      // "Path": the folder, ending in "/"
    kColSortSize = 7,  // "sortSize": 12-digit size key
    kColSortDate = 8,  // "sortDate": "yyyymmddhhnnss"
    kColSortGrpno = 9, // "sortGrpno": 11-digit group number; empty in ungrouped mode
    kColExt = 10,      // "Ext": the text after the last "."
};
inline constexpr int kColumnCount = 10;

// The column captions, index 0 for column 1.
extern const std::array<std::string_view, kColumnCount> kColumnCaptions;

struct ResultTableRow {
    std::array<std::string, kColumnCount> cells; // cells[0] is column 1
    int icon = kUnmarkedIcon;

    const std::string& cell(int column) const {
        return cells[static_cast<std::size_t>(column - 1)];
    }
    std::string& cell(int column) { return cells[static_cast<std::size_t>(column - 1)]; }
    bool marked() const { return icon == kMarkedIcon; }
    void setMarked(bool marked) { icon = marked ? kMarkedIcon : kUnmarkedIcon; }
    // Path followed by file name.
    std::string fullPath() const { return cell(kColPath) + cell(kColFileName); }
    // The leading number of the "Size(Bytes)" text (0 when it has none).
    std::uint64_t size() const;
    // The "Group" text read as a whole number (0 when it is not one, as for "N/A").
    std::int64_t group() const;
};

enum class SortDirection { Ascending, Descending };

// Header pictures of the sort direction.
inline constexpr int kNoHeaderPicture = 0;
inline constexpr int kAscendingPicture = 1;
inline constexpr int kDescendingPicture = 2;

class ResultTable {
public:
    // Rows in display order.
    std::vector<ResultTableRow>& rows() { return m_rows; }
    const std::vector<ResultTableRow>& rows() const { return m_rows; }
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    // 1-based positions, 1 to rowCount().
    ResultTableRow& row(int position) { return m_rows[static_cast<std::size_t>(position - 1)]; }
    const ResultTableRow& row(int position) const {
        return m_rows[static_cast<std::size_t>(position - 1)];
    }
    void removeRow(int position);

    // Grouped mode after a content or same-name search; ungrouped after the zero-size
    // listing (the desktop program shows "Mark All" only in ungrouped mode).
    bool grouped() const { return m_grouped; }
    void setGrouped(bool grouped) { m_grouped = grouped; }

    // Empties the rows and the group tables; keeps the sort direction (it carries on from
    // sort to sort) and switches automatic sorting off.
    void clear();

    // Sort settings of the list: key column (1-based), direction, automatic sorting, and
    // the picture each column header shows. Sorting by a key column is a stable sort of
    // the rows by the key text (sortRows).
    int sortKeyColumn = kColFileName;
    SortDirection sortDirection = SortDirection::Ascending;
    bool autoSort = false;
    std::array<int, kColumnCount> headerPictures{};
    void sortRows(); // by sortKeyColumn in sortDirection, when autoSort is on

    // Group tables: GroupSizes[g] rows of group g (index 0 unused), GroupCount groups,
    // RowShadeTable[p] for the row at 0-based position p (even = shaded), ShadingOff after
    // a drawing failure.
    std::vector<std::int32_t> GroupSizes{0};
    std::int32_t GroupCount = 0;
    std::vector<std::int32_t> RowShadeTable;
    bool ShadingOff = false;
    // Whether row shading is in force (the desktop program's shading hook is installed).
    bool shadingInstalled = false;

    // The distinct folders of the listed files, in order of first occurrence; they feed
    // the folder list of the advanced marking.
    std::vector<std::string> distinctFolders;

    // The search folders the rows were found below: a file operation opens a row's file
    // again without following any symbolic link below them.
    std::vector<std::string> searchFolders;

    // Whether the row at 0-based position p is drawn shaded.
    bool shaded(int zeroBasedPosition) const;

private:
    std::vector<ResultTableRow> m_rows;
    bool m_grouped = true;
};

// Progress of a long fill: the status text and the numbers behind it.
using TableProgress = std::function<void(const std::string& statusText)>;

// Fills an empty table from a search's rows. A row whose file no longer exists
// (fileExists false) is left out; a group whose files have all vanished takes no number.
// Grouped rows are numbered 1, 2, 3 ... by the changes of their group toggle; rows of
// the zero-size listing (result.grouped false) get "N/A" as group and version and no
// "sortGrpno". Progress: "Loading Searched Result..." first, then every 500 rows
// "Loading Searched Result...(i/n)".
void LoadSearchResult(ResultTable& table, const ScanResult& result,
                      const std::function<bool(const std::string&)>& fileExists,
                      const TableProgress& progress = {});

// One table row from one search row, with the given group number (0: ungrouped, "N/A").
ResultTableRow makeTableRow(const ResultRow& row, std::int64_t group);

// Renumbers the shading runs after the rows were reordered or removed: each new run of
// an equal group number in display order takes the next number.
void RefreshColorShade(ResultTable& table);

// A click on a column header, or a command's sort: column as clicked (1-based), order
// "None" to toggle the direction, any other text (the commands pass "Asc") for
// ascending. Columns 7 to 9 are hidden: clicking them leaves the key column unchanged.
void SortCols(ResultTable& table, int column, std::string_view sortOrder);

// The tidy-up after rows were removed: groups left with one row lose it; nothing is
// renumbered; the shading is refreshed. In ungrouped mode it does nothing.
void RemoveLoneRows(ResultTable& table);

} // namespace pw
