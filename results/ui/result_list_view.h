#pragma once
// The result list `RLV` of the main window: a table view over a ResultModel, with the
// columns, widths and display order the list always has. The view's own sorting stays
// off, because a row's position is its identity for every command: a click on a column
// header sorts the engine's table (SortCols) and the model moves the rows.
//
// There is no second, empty list to show while the list is filled: a fill is one model
// reset, so the view never paints a half-filled list.

#include "results/result_table.h"
#include "results/ui/result_model.h"

#include <QTableView>
#include <utility>
#include <vector>

namespace pw {

class ResultListView : public QTableView {
    Q_OBJECT

public:
    // The table must outlive the view; the view's model shows it.
    explicit ResultListView(ResultTable& table, QWidget* parent = nullptr);

    ResultModel& resultModel() { return m_model; }
    ResultTable& table() { return m_model.table(); }

    // Shows what the last commands changed in the table (ResultModel::applyChanges).
    void applyChanges() { m_model.applyChanges(); }
    // Shows a newly filled table in place of the current one (ResultModel::replaceTable).
    void showTable(ResultTable&& table) { m_model.replaceTable(std::move(table)); }

    // The current row's position, 0 when there is none.
    int currentPosition() const;
    // The selected rows' positions, ascending.
    std::vector<int> selectedPositions() const;
    // Makes the row at `position` the current and only selected row.
    void selectPosition(int position);

    // Where the pointer last pressed or moved over the list, in 1/1440 inch from the start
    // of the row (the left edge of its first column), for the mark picture's click area.
    int lastMouseX() const { return m_lastMouseX; }

signals:
    // Another row became current (0: none). A sort or a removal moves the current row
    // without this signal: read currentPosition() when the position is needed.
    void currentRowChanged(int position);
    // A left click on a row within the mark picture's area at the start of the row.
    void markAreaClicked(int position);
    // A double click on a row; lastMouseX() tells whether it was on the mark picture.
    void rowDoubleClicked(int position);
    // The context menu was asked for over the list (right button or menu key); position
    // names the row under the pointer, 0 when there is none.
    void contextMenuRequested(const QPoint& globalPos, int position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void setUpColumns();
    void sortByHeader(int section);
    int twipsFromRowStart(const QPoint& viewportPos) const;

    ResultModel m_model;
    int m_lastMouseX = 0;
};

} // namespace pw
