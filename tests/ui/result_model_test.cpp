#include "common/twips.h"
#include "common/ui/pictures.h"
#include "results/load_result.h"
#include "results/marking.h"
#include "results/ui/result_list_view.h"
#include "results/ui/result_model.h"

#include <QHeaderView>
#include <QIcon>
#include <gtest/gtest.h>

namespace pw {
namespace {

struct RowSpec {
    std::string name;
    std::string folder;
    std::uint64_t size;
};

// A grouped table filled as a scan fills it: each inner list is one group.
void fillGroups(ResultTable& table, const std::vector<std::vector<RowSpec>>& groups) {
    std::size_t count = 0;
    for (const auto& group : groups) {
        count += group.size();
    }
    TableFill fill(table, true, count);
    for (const auto& group : groups) {
        bool first = true;
        for (const RowSpec& spec : group) {
            ResultTableRow row;
            row.name = spec.name;
            row.folder = fill.folder(spec.folder);
            row.size = spec.size;
            row.modified = localStamp(1700000000);
            row.group = fill.groupFor(first);
            first = false;
            fill.add(std::move(row));
        }
    }
    fill.finish();
}

QImage iconImage(const QVariant& icon) {
    return qvariant_cast<QIcon>(icon).pixmap(16, 16).toImage();
}

QString nameAt(const QAbstractItemModel& model, int row) {
    return model.index(row, 0).data().toString();
}

std::vector<QString> selectedNames(const ResultListView& view) {
    std::vector<QString> names;
    for (int position : view.selectedPositions()) {
        names.push_back(nameAt(*view.model(), position - 1));
    }
    return names;
}

TEST(ResultModel, ShowsTheTenColumnsWithTheirTextsPicturesAndShading) {
    ResultTable table;
    fillGroups(table, {{{"a.jpg", "/p/", 1234}, {"a copy.jpg", "/q/", 1234}},
                       {{"\xff.tar.gz", "/p/", 5}, {"noext", "/q/", 5}}});
    ResultModel model(table);
    ASSERT_EQ(model.columnCount(), 10);
    ASSERT_EQ(model.rowCount(), 4);
    for (int section = 0; section < 10; ++section) {
        EXPECT_EQ(model.headerData(section, Qt::Horizontal).toString().toStdString(),
                  kColumnCaptions[static_cast<std::size_t>(section)]);
    }
    const auto text = [&model](int row, int column) {
        return model.index(row, ResultModel::modelColumn(column)).data().toString();
    };
    EXPECT_EQ(text(0, kColSize), "1234");
    EXPECT_EQ(text(0, kColSortSize), "000000001234");
    EXPECT_EQ(text(2, kColGroup), "2");
    EXPECT_EQ(text(2, kColSortGrpno), "00000000002");
    EXPECT_EQ(text(1, kColPath), "/q/");
    EXPECT_EQ(text(2, kColExt), "gz");
    EXPECT_EQ(text(3, kColExt), "");
    EXPECT_EQ(text(2, kColFileName).at(0), QChar(QChar::ReplacementCharacter));
    EXPECT_EQ(model.index(0, ResultModel::modelColumn(kColSize)).data(Qt::TextAlignmentRole),
              QVariant(static_cast<int>(Qt::AlignRight | Qt::AlignVCenter)));

    // The mark is the first column's picture, and only there.
    const QModelIndex first = model.index(0, 0);
    EXPECT_EQ(iconImage(first.data(Qt::DecorationRole)), iconImage(pictureIcon(kUnmarkedIcon)));
    EXPECT_FALSE(model.index(0, 1).data(Qt::DecorationRole).isValid());
    table.setMarked(1, true);
    model.applyChanges();
    EXPECT_EQ(iconImage(first.data(Qt::DecorationRole)), iconImage(pictureIcon(kMarkedIcon)));

    // The first group plain, the second shaded; none after a drawing failure.
    EXPECT_FALSE(model.index(1, 3).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(model.index(2, 3).data(Qt::BackgroundRole), QVariant(QColor(213, 233, 249)));
    table.ShadingOff = true;
    EXPECT_FALSE(model.index(2, 3).data(Qt::BackgroundRole).isValid());
    table.ShadingOff = false;

    // The sort's direction picture stands on the clicked column's header alone.
    SortCols(table, kColSize, "None");
    model.applyChanges();
    const int sizeSection = ResultModel::modelColumn(kColSize);
    EXPECT_EQ(iconImage(model.headerData(sizeSection, Qt::Horizontal, Qt::DecorationRole)),
              iconImage(pictureIcon(Picture::SortDescending)));
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal, Qt::DecorationRole).isValid());
}

TEST(ResultListView, HasTheListsColumnsOrderAndWidths) {
    ResultTable table;
    ResultListView view(table);
    EXPECT_EQ(view.objectName(), "RLV");
    EXPECT_FALSE(view.isSortingEnabled());
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::ExtendedSelection);
    const QHeaderView* header = view.horizontalHeader();
    std::vector<int> visible;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int section = header->logicalIndex(visual);
        if (!view.isColumnHidden(section)) {
            visible.push_back(ResultModel::tableColumn(section));
        }
    }
    EXPECT_EQ(visible, (std::vector<int>{kColFileName, kColExt, kColPath, kColSize, kColModified,
                                         kColVersion, kColGroup}));
    for (int column : {kColSortSize, kColSortDate, kColSortGrpno}) {
        EXPECT_TRUE(view.isColumnHidden(ResultModel::modelColumn(column)));
    }
    const double dpi = view.logicalDpiX();
    EXPECT_EQ(view.columnWidth(ResultModel::modelColumn(kColFileName)), twipsToPixels(6174, dpi));
    EXPECT_EQ(view.columnWidth(ResultModel::modelColumn(kColExt)), twipsToPixels(1235, dpi));
}

// A sort, a mark and a removal each move the view's selection and current row with
// their rows; none of them resets the model. A new fill does, and starts unselected.
TEST(ResultListView, SelectionAndCurrentRowFollowTheirRowsWithoutAReset) {
    ResultTable table;
    fillGroups(table, {{{"b1", "/x/", 10}, {"a1", "/x/", 10}},
                       {{"d2", "/y/", 20}, {"c2", "/y/", 20}, {"e2", "/z/", 20}}});
    ResultListView view(table);
    int resets = 0;
    int dataChanges = 0;
    QObject::connect(view.model(), &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    QObject::connect(view.model(), &QAbstractItemModel::dataChanged,
                     [&dataChanges] { ++dataChanges; });
    std::vector<int> currentRows;
    QObject::connect(&view, &ResultListView::currentRowChanged,
                     [&currentRows](int position) { currentRows.push_back(position); });

    view.selectPosition(4); // c2
    view.selectionModel()->select(view.model()->index(0, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows); // b1
    ASSERT_EQ(selectedNames(view), (std::vector<QString>{"b1", "c2"}));
    EXPECT_EQ(currentRows, std::vector<int>{4});
    currentRows.clear();

    // Header click on "File Name": descending, e2 d2 c2 b1 a1.
    emit view.horizontalHeader()->sectionClicked(ResultModel::modelColumn(kColFileName));
    EXPECT_EQ(nameAt(*view.model(), 0), "e2");
    EXPECT_EQ(selectedNames(view), (std::vector<QString>{"c2", "b1"}));
    EXPECT_EQ(nameAt(*view.model(), view.currentPosition() - 1), "c2");
    // The rows of a group stand apart now: the shading follows the runs.
    EXPECT_GT(dataChanges, 0);

    // A hidden key column's header does nothing.
    emit view.horizontalHeader()->sectionClicked(ResultModel::modelColumn(kColSortSize));
    EXPECT_EQ(nameAt(*view.model(), 0), "e2");

    dataChanges = 0;
    MarkSelected(table, view.selectedPositions());
    view.applyChanges();
    EXPECT_GT(dataChanges, 0);
    EXPECT_EQ(selectedNames(view), (std::vector<QString>{"c2", "b1"}));

    // Remove e2 and a1, above and below the selection.
    table.removeRows(
        [](const ResultTableRow& row) { return row.name == "e2" || row.name == "a1"; });
    view.applyChanges();
    ASSERT_EQ(view.model()->rowCount(), 3);
    EXPECT_EQ(selectedNames(view), (std::vector<QString>{"c2", "b1"}));
    EXPECT_EQ(nameAt(*view.model(), view.currentPosition() - 1), "c2");
    EXPECT_EQ(resets, 0);
    EXPECT_TRUE(currentRows.empty()); // the same row stayed current throughout

    ResultTable next;
    fillGroups(next, {{{"n1", "/n/", 1}, {"n2", "/n/", 1}}});
    view.showTable(std::move(next));
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(view.model()->rowCount(), 2);
    EXPECT_TRUE(view.selectedPositions().empty());
    EXPECT_EQ(nameAt(*view.model(), 1), "n2");
    EXPECT_FALSE(view.model()->headerData(0, Qt::Horizontal, Qt::DecorationRole).isValid());
    // The columns keep their order and hidden keys across the reset.
    EXPECT_TRUE(view.isColumnHidden(ResultModel::modelColumn(kColSortDate)));
    EXPECT_EQ(view.horizontalHeader()->visualIndex(ResultModel::modelColumn(kColExt)), 1);
}

} // namespace
} // namespace pw
