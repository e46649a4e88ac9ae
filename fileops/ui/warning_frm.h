#pragma once
// The warning a delete or move shows when every file of a group is marked: the group's
// files, each with a check box that marks or unmarks its row of the result list at once,
// and three answers. WarningResult() is "1" ("&Keep all original files"), "2"
// ("Ig&nore warnings") or "3" ("&Continue"); it stays empty when the dialog is closed
// without a button, upon which the operation stops with nothing done.

#include "fileops/process_marked.h"

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace pw {

class WarningFrm : public QDialog {
    Q_OBJECT

public:
    // `table` must outlive the dialog; `marksChanged` runs after a check box changed a
    // row's mark, so that the list shows it.
    WarningFrm(ResultTable& table, const std::vector<WarningLine>& lines,
               std::function<void()> marksChanged = {}, QWidget* parent = nullptr);

    const std::string& WarningResult() const { return m_result; }

private:
    void answer(const char* result);
    void continueClicked();
    void lineChanged(QTreeWidgetItem* item, int column);

    ResultTable& m_table;
    std::function<void()> m_marksChanged;
    QTreeWidget* m_list = nullptr;
    std::string m_result;
};

// The warning as ProcessMarkedFiles asks it: shown modally over `parent`, centred; returns
// its WarningResult().
std::string askWarningFrm(QWidget* parent, ResultTable& table,
                          const std::vector<WarningLine>& lines,
                          const std::function<void()>& marksChanged);

} // namespace pw
