#include "results/ui/result_model.h"

#include "common/ui/pictures.h"
#include "common/ui/ui_text.h"

#include <algorithm>
#include <utility>

namespace pw {
namespace {

// Alignments travel as plain int, which every view and delegate reads back.
const int kRightAligned = static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
const int kLeftAligned = static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter);

} // namespace

ResultModel::ResultModel(ResultTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_rowCount(table.rowCount()),
      m_headerPictures(table.headerPictures), m_markedIcon(pictureIcon(Picture::Marked)),
      m_unmarkedIcon(pictureIcon(Picture::Unmarked)),
      m_ascendingIcon(pictureIcon(Picture::SortAscending)),
      m_descendingIcon(pictureIcon(Picture::SortDescending)) {
    m_table.takeChanges();
}

int ResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rowCount;
}

int ResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultModel::data(const QModelIndex& index, int role) const {
    // A row the views know of but the table no longer holds exists only while a change
    // log is being applied; it shows nothing.
    if (!index.isValid() || index.row() >= m_table.rowCount()) {
        return {};
    }
    const ResultTableRow& row = m_table.row(position(index.row()));
    const int column = tableColumn(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return displayText(cellText(row, column));
    case Qt::DecorationRole:
        if (column == kColFileName) {
            return row.marked ? m_markedIcon : m_unmarkedIcon;
        }
        break;
    case Qt::BackgroundRole:
        if (m_table.shaded(index.row())) {
            return kShadeColor;
        }
        break;
    case Qt::TextAlignmentRole:
        if (column == kColSize) {
            return kRightAligned;
        }
        break;
    default:
        break;
    }
    return {};
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const int column = tableColumn(section);
    switch (role) {
    case Qt::DisplayRole:
        return displayText(kColumnCaptions[static_cast<std::size_t>(section)]);
    case Qt::DecorationRole:
        switch (m_headerPictures[static_cast<std::size_t>(section)]) {
        case kAscendingPicture:
            return m_ascendingIcon;
        case kDescendingPicture:
            return m_descendingIcon;
        default:
            break;
        }
        break;
    case Qt::TextAlignmentRole:
        if (column == kColSize) {
            return kRightAligned;
        }
        return kLeftAligned;
    default:
        break;
    }
    return {};
}

void ResultModel::applyChanges() {
    using Kind = TableChange::Kind;
    const std::vector<TableChange> changes = m_table.takeChanges();
    for (const TableChange& change : changes) {
        switch (change.kind) {
        case Kind::Reset:
            resetToTable();
            return;
        case Kind::Marks:
            applyRange(change.first, change.last, {Qt::DecorationRole});
            break;
        case Kind::Cells:
            applyRange(change.first, change.last, {Qt::DisplayRole});
            break;
        case Kind::Shading:
            applyRange(change.first, change.last, {Qt::BackgroundRole});
            break;
        case Kind::Reordered:
            applyReordered(change.newPositions);
            break;
        case Kind::Removed:
            applyRemoved(change.positions);
            break;
        }
    }
    // A change that bypassed the log would leave the views counting other rows than the
    // table holds; showing the table afresh is the only safe answer then.
    if (m_rowCount != m_table.rowCount()) {
        resetToTable();
        return;
    }
    if (m_headerPictures != m_table.headerPictures) {
        m_headerPictures = m_table.headerPictures;
        emit headerDataChanged(Qt::Horizontal, 0, kColumnCount - 1);
    }
}

void ResultModel::applyRange(int first, int last, const QList<int>& roles) {
    first = std::max(first, 1);
    last = std::min(last, m_rowCount);
    if (first > last) {
        return;
    }
    emit dataChanged(index(modelRow(first), 0), index(modelRow(last), kColumnCount - 1), roles);
}

void ResultModel::applyReordered(const std::vector<int>& newPositions) {
    if (static_cast<int>(newPositions.size()) != m_rowCount) {
        resetToTable();
        return;
    }
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) {
        const int moved = newPositions[static_cast<std::size_t>(old.row())];
        to.append(index(modelRow(moved), old.column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ResultModel::applyRemoved(const std::vector<int>& positions) {
    // Runs of adjacent positions go in one step each, the highest run first, so that the
    // positions still to be removed keep their numbers.
    auto end = positions.rbegin();
    while (end != positions.rend()) {
        const int last = *end;
        int first = last;
        auto next = std::next(end);
        while (next != positions.rend() && *next == first - 1) {
            first = *next;
            ++next;
        }
        end = next;
        if (first < 1 || last > m_rowCount) {
            continue;
        }
        beginRemoveRows({}, modelRow(first), modelRow(last));
        m_rowCount -= last - first + 1;
        endRemoveRows();
    }
}

void ResultModel::replaceTable(ResultTable&& table) {
    beginResetModel();
    m_table = std::move(table);
    m_table.takeChanges();
    m_rowCount = m_table.rowCount();
    m_headerPictures = m_table.headerPictures;
    endResetModel();
}

void ResultModel::resetToTable() {
    beginResetModel();
    m_rowCount = m_table.rowCount();
    m_headerPictures = m_table.headerPictures;
    endResetModel();
}

} // namespace pw
