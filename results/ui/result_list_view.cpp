#include "results/ui/result_list_view.h"

#include "common/twips.h"
#include "results/marking.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <algorithm>
#include <array>

namespace pw {
namespace {

// Column widths in 1/1440 inch, columns 1 to 10; the hidden key columns have none.
constexpr std::array<int, kColumnCount> kColumnTwips{6174, 2117, 3528, 1764, 1764,
                                                     6174, 0,    0,    0,    1235};

bool hiddenColumn(int tableColumn) {
    return tableColumn == kColSortSize || tableColumn == kColSortDate ||
           tableColumn == kColSortGrpno;
}

} // namespace

ResultListView::ResultListView(ResultTable& table, QWidget* parent)
    : QTableView(parent), m_model(table) {
    setObjectName(QStringLiteral("RLV"));
    setAccessibleName(QStringLiteral("Result List"));
    setModel(&m_model);
    setSortingEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setMouseTracking(true);

    // One height for every row: the view then places rows by arithmetic, which keeps a
    // list of hundreds of thousands of rows quick to scroll.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    setUpColumns();

    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &ResultListView::sortByHeader);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                emit currentRowChanged(current.isValid() ? ResultModel::position(current.row())
                                                         : 0);
            });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        emit rowDoubleClicked(ResultModel::position(index.row()));
    });
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const QModelIndex index = indexAt(pos);
        emit contextMenuRequested(viewport()->mapToGlobal(pos),
                                  index.isValid() ? ResultModel::position(index.row()) : 0);
    });
}

void ResultListView::setUpColumns() {
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const double dpi = logicalDpiX();
    for (int column = 1; column <= kColumnCount; ++column) {
        const int section = ResultModel::modelColumn(column);
        setColumnWidth(section,
                       twipsToPixels(kColumnTwips[static_cast<std::size_t>(column - 1)], dpi));
        setColumnHidden(section, hiddenColumn(column));
    }
    // Shown in the order File Name, Ext, Path, Size(Bytes), Last Modified., File Version,
    // Group.
    header->moveSection(header->visualIndex(ResultModel::modelColumn(kColExt)), 1);
    header->moveSection(header->visualIndex(ResultModel::modelColumn(kColPath)), 2);
}

void ResultListView::sortByHeader(int section) {
    const int column = ResultModel::tableColumn(section);
    if (hiddenColumn(column)) {
        return;
    }
    SortCols(m_model.table(), column, "None");
    m_model.applyChanges();
}

int ResultListView::currentPosition() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? ResultModel::position(current.row()) : 0;
}

std::vector<int> ResultListView::selectedPositions() const {
    std::vector<int> positions;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            positions.push_back(ResultModel::position(row));
        }
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    return positions;
}

void ResultListView::selectPosition(int position) {
    const QModelIndex index = m_model.index(ResultModel::modelRow(position), 0);
    if (index.isValid()) {
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                     QItemSelectionModel::Rows);
    }
}

int ResultListView::twipsFromRowStart(const QPoint& viewportPos) const {
    const int rowStart = columnViewportPosition(horizontalHeader()->logicalIndex(0));
    return static_cast<int>(pixelsToTwips(viewportPos.x() - rowStart, logicalDpiX()));
}

void ResultListView::mouseMoveEvent(QMouseEvent* event) {
    m_lastMouseX = twipsFromRowStart(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}

void ResultListView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_lastMouseX = twipsFromRowStart(pos);
    QTableView::mousePressEvent(event);
    const QModelIndex index = indexAt(pos);
    if (event->button() == Qt::LeftButton && index.isValid() && onMarkPicture(m_lastMouseX)) {
        emit markAreaClicked(ResultModel::position(index.row()));
    }
}

} // namespace pw
