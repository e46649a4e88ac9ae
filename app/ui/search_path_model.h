#pragma once
// The rows of the search-path list `SearchList`: one search path entry a row, every cell
// the text the user entered, the folder shown as its bytes allow. Rows keep the order in
// which they were added; the row's picture tells a searched folder (15) from an excluded
// one (16).

#include "search/scan_types.h"

#include <QAbstractTableModel>
#include <vector>

namespace pw {

class SearchPathModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Folder, SubFolders, FileType, MinSize, MaxSize, ColumnCount };

    explicit SearchPathModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const std::vector<SearchPathEntry>& rows() const { return m_rows; }
    void setRows(std::vector<SearchPathEntry> rows);
    // Add: the row with the entry's folder takes its options, or the entry is appended.
    // Returns the row's position.
    int addOrUpdate(const SearchPathEntry& entry);
    // Edit: the row at `position` becomes `entry`.
    void replace(int position, const SearchPathEntry& entry);
    void remove(int position);

private:
    std::vector<SearchPathEntry> m_rows;
};

} // namespace pw
