#pragma once
// One row of the result list: the file's typed values and the row's mark. The ten cells
// the list shows are made from those values by one function (cellText), and the text a
// sort compares by another (sortKey); nothing parses a number or a time back out of a
// cell. A row read from a session file keeps a stored cell text only where its values
// would show something else (StoredCells), so that the file saves back as it was.

#include "common/format.h"
#include "search/scan_types.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pw {

// Row pictures: the mark of a row as the list shows it.
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

// Cell texts a row keeps because its values would show them otherwise: a group number
// that the session loader renumbered, or a cell that no scan would have written (a file
// edited by hand). Ordinary rows keep none and pay one null pointer.
class StoredCells {
public:
    StoredCells() = default;
    StoredCells(const StoredCells& other);
    StoredCells& operator=(const StoredCells& other);
    StoredCells(StoredCells&&) noexcept = default;
    StoredCells& operator=(StoredCells&&) noexcept = default;
    ~StoredCells() = default;

    // The kept text of a column, or null.
    const std::string* find(int column) const;
    void keep(int column, std::string text);
    bool empty() const { return !m_cells; }

private:
    std::unique_ptr<std::vector<std::pair<int, std::string>>> m_cells;
};

struct ResultTableRow {
    std::string name;
    FolderText folder; // ends in "/"
    std::uint64_t size = 0;
    LocalStamp modified;
    std::string version = "N/A";
    std::int32_t group = 0; // 1, 2, 3 ...; 0: no group ("N/A")
    // The file the scan listed; both 0 when not known (a row loaded from a session).
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool marked = false;
    StoredCells stored;

    const std::string& folderText() const;
    // Path followed by file name.
    std::string fullPath() const { return joinPath(folderText(), name); }
    int icon() const { return marked ? kMarkedIcon : kUnmarkedIcon; }
    bool identityKnown() const { return device != 0 || inode != 0; }
};

// The text of a cell (column 1 to 10) as the list shows it, the session file stores it and
// the exports write it: a kept text if the row has one, else the text of its values.
std::string cellText(const ResultTableRow& row, int column);

// The column whose text a sort by `column` compares: "sortSize" for "Size(Bytes)",
// "sortDate" for "Last Modified.", "sortGrpno" for "Group", and any other column itself,
// so that sizes, times and groups sort by value although the list sorts by text.
int keyColumnOf(int column);

// The text a sort by `column` compares: cellText of keyColumnOf(column).
std::string sortKey(const ResultTableRow& row, int column);

// "00000000007" for group 7.
std::string groupNumberKey(std::int32_t group);

// One table row from one search row, with the given group number (0: ungrouped, whose
// version shows "N/A"). The row's texts are moved, not copied.
ResultTableRow makeTableRow(ResultRow&& row, std::int32_t group);

} // namespace pw
