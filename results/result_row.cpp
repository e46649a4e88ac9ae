#include "results/result_row.h"

#include <cstdio>

namespace pw {

const std::array<std::string_view, kColumnCount> kColumnCaptions = {
    "File Name", "Size(Bytes)", "Last Modified.", "File Version", "Group",
    "Path",      "sortSize",    "sortDate",       "sortGrpno",    "Ext"};

StoredCells::StoredCells(const StoredCells& other)
    : m_cells(other.m_cells
                  ? std::make_unique<std::vector<std::pair<int, std::string>>>(*other.m_cells)
                  : nullptr) {}

StoredCells& StoredCells::operator=(const StoredCells& other) {
    if (this != &other) {
        StoredCells copy(other);
        m_cells = std::move(copy.m_cells);
    }
    return *this;
}

const std::string* StoredCells::find(int column) const {
    if (!m_cells) {
        return nullptr;
    }
    for (const auto& [kept, text] : *m_cells) {
        if (kept == column) {
            return &text;
        }
    }
    return nullptr;
}

void StoredCells::keep(int column, std::string text) {
    if (!m_cells) {
        m_cells = std::make_unique<std::vector<std::pair<int, std::string>>>();
    }
    for (auto& [kept, old] : *m_cells) {
        if (kept == column) {
            old = std::move(text);
            return;
        }
    }
    m_cells->emplace_back(column, std::move(text));
}

const std::string& ResultTableRow::folderText() const {
    static const std::string kNone;
    return folder ? *folder : kNone;
}

std::string groupNumberKey(std::int32_t group) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%011d", group);
    return buffer;
}

std::string cellText(const ResultTableRow& row, int column) {
    if (const std::string* kept = row.stored.find(column)) {
        return *kept;
    }
    switch (column) {
    case kColFileName:
        return row.name;
    case kColSize:
        return std::to_string(row.size);
    case kColModified:
        return DateText(row.modified);
    case kColVersion:
        return row.version;
    case kColGroup:
        return row.group > 0 ? std::to_string(row.group) : "N/A";
    case kColPath:
        return row.folderText();
    case kColSortSize:
        return SizeKey(row.size);
    case kColSortDate:
        return SortDateText(row.modified);
    case kColSortGrpno:
        return row.group > 0 ? groupNumberKey(row.group) : std::string();
    case kColExt:
        return std::string(GetExt(row.name));
    default:
        return {};
    }
}

int keyColumnOf(int column) {
    switch (column) {
    case kColSize:
        return kColSortSize;
    case kColModified:
        return kColSortDate;
    case kColGroup:
        return kColSortGrpno;
    default:
        return column;
    }
}

std::string sortKey(const ResultTableRow& row, int column) {
    return cellText(row, keyColumnOf(column));
}

ResultTableRow makeTableRow(ResultRow&& row, std::int32_t group) {
    ResultTableRow out;
    out.name = std::move(row.name);
    out.folder = std::move(row.folder);
    out.size = row.size;
    out.modified = localStamp(static_cast<std::time_t>(row.mtime));
    out.version = group > 0 ? std::move(row.version) : std::string("N/A");
    out.group = group;
    out.device = row.device;
    out.inode = row.inode;
    return out;
}

} // namespace pw
