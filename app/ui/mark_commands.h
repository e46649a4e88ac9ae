#pragma once
// The main window's marking: the "Mark Quick" commands (from the menu, the toolbar's Mark
// button and the result list's pop-up menu), the gestures on the result list (a click on
// a row's mark picture, a double click, the Space key, the right button), the limit dialog
// of "Mark All Duplicates upto..." and the "Advance Marking" dialog. Every rule is the
// engine's (results/marking.h, results/adv_marking.h); this class runs a command on the
// table, lets the list follow the change report and writes the marked totals text.

#include "results/marking.h"

#include <QObject>
#include <QPointer>
#include <optional>

namespace pw {

class AdvMarkFrm;
class MainFrm;
class ResultListView;

class MarkCommands : public QObject {
    Q_OBJECT

public:
    // Connects the window's marking commands and the result list's gestures; created
    // after the window's ScanCommands, whose result list it works on.
    explicit MarkCommands(MainFrm& window);
    ~MarkCommands() override;

    // The advanced marking dialog while it is loaded (between the list's hand-over of its
    // folders, or the dialog's first use, and the list being cleared); else null.
    AdvMarkFrm* advMarkFrm() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectCommands();
    void connectGestures();
    // Shows what a command did: the list follows the table's changes, status panel 1
    // shows the totals text and a message box the message, when there is one.
    void show(const MarkOutcome& outcome);
    void markAreaClicked(int position);
    void rowDoubleClicked(int position);
    void markOrUnmarkSelected();
    void popUpActionMenu(const QPoint& globalPos);
    void markAllDuplicatesUpto();
    void advanceMarking();
    AdvMarkFrm& loadAdvMarkFrm();
    void unloadAdvMarkFrm();
    void takeFolders();

    MainFrm& m_window;
    ResultListView& m_list;
    // "Mark All Duplicates upto..."'s limit in KB, kept between uses of its dialog.
    std::optional<double> m_maxSizeValue;
    QPointer<AdvMarkFrm> m_advMark;
};

} // namespace pw
