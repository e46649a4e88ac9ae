#include "app/ui/search_path_model.h"

#include "app/search_paths.h"
#include "common/ui/pictures.h"
#include "common/ui/ui_text.h"

#include <array>
#include <utility>

namespace pw {
namespace {

const std::array<const char*, SearchPathModel::ColumnCount> kCaptions{
    "Search Locations ", "Sub Folders", "File Type", "Min Size", "Max Size"};

const std::string& cell(const SearchPathEntry& row, int column) {
    switch (column) {
    case SearchPathModel::SubFolders:
        return row.subFolders;
    case SearchPathModel::FileType:
        return row.fileTypes;
    case SearchPathModel::MinSize:
        return row.minSize;
    case SearchPathModel::MaxSize:
        return row.maxSize;
    default:
        return row.folder;
    }
}

} // namespace

SearchPathModel::SearchPathModel(QObject* parent) : QAbstractTableModel(parent) {}

int SearchPathModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int SearchPathModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SearchPathModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const SearchPathEntry& row = m_rows[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return displayText(cell(row, index.column()));
    case Qt::DecorationRole:
        return index.column() == Folder ? QVariant(pictureIcon(row.icon)) : QVariant();
    default:
        return {};
    }
}

QVariant SearchPathModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount) {
        return {};
    }
    return QString::fromLatin1(kCaptions[static_cast<std::size_t>(section)]);
}

void SearchPathModel::setRows(std::vector<SearchPathEntry> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int SearchPathModel::addOrUpdate(const SearchPathEntry& entry) {
    const std::size_t before = m_rows.size();
    std::vector<SearchPathEntry> updated = m_rows;
    const int position = static_cast<int>(addOrUpdateSearchPath(updated, entry));
    if (updated.size() > before) {
        beginInsertRows({}, position, position);
        m_rows = std::move(updated);
        endInsertRows();
    } else {
        m_rows = std::move(updated);
        emit dataChanged(index(position, 0), index(position, ColumnCount - 1));
    }
    return position;
}

void SearchPathModel::replace(int position, const SearchPathEntry& entry) {
    if (position < 0 || position >= rowCount()) {
        return;
    }
    m_rows[static_cast<std::size_t>(position)] = entry;
    emit dataChanged(index(position, 0), index(position, ColumnCount - 1));
}

void SearchPathModel::remove(int position) {
    if (position < 0 || position >= rowCount()) {
        return;
    }
    beginRemoveRows({}, position, position);
    m_rows.erase(m_rows.begin() + position);
    endRemoveRows();
}

} // namespace pw
