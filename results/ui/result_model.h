#pragma once
// The result list as a Qt model: a view over the engine's ResultTable, which owns the rows.
// The model keeps no copy of them; it answers each cell from the row (cellText) and
// learns what changed from the table's change log (applyChanges), so a sort, a mark or a
// removal moves the view's selection and current row with their rows instead of
// resetting it.

#include "results/result_table.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QIcon>
#include <array>

namespace pw {

class ResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The background of a shaded row (a group drawn apart from its neighbours).
    static inline const QColor kShadeColor{213, 233, 249};

    // The table must outlive the model. Its change log is taken from here on: the model
    // shows the table as it stands now.
    explicit ResultModel(ResultTable& table, QObject* parent = nullptr);

    ResultTable& table() { return m_table; }
    const ResultTable& table() const { return m_table; }

    // Model column of a 1-based table column, and back.
    static int modelColumn(int tableColumn) { return tableColumn - 1; }
    static int tableColumn(int modelColumn) { return modelColumn + 1; }
    // Model row of a 1-based row position, and back.
    static int modelRow(int position) { return position - 1; }
    static int position(int modelRow) { return modelRow + 1; }

    // Takes the table's change log and updates the views from it. Call it after every
    // command that changed the table, on the thread the model lives on.
    void applyChanges();

    // Puts a newly filled table in place of the one shown (a finished scan or session
    // load): one model reset.
    void replaceTable(ResultTable&& table);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void applyReordered(const std::vector<int>& newPositions);
    void applyRemoved(const std::vector<int>& positions);
    void applyRange(int first, int last, const QList<int>& roles);
    void resetToTable();

    ResultTable& m_table;
    // The rows the views know of: while a log is applied it runs behind the table, so
    // that each change is announced against the row count it was made on.
    int m_rowCount = 0;
    std::array<int, kColumnCount> m_headerPictures{};
    QIcon m_markedIcon;
    QIcon m_unmarkedIcon;
    QIcon m_ascendingIcon;
    QIcon m_descendingIcon;
};

} // namespace pw
