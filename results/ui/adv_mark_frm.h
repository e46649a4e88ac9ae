#pragma once
// "Advance Marking": marks the files of every group by a mask and a keep-rule ("By Range")
// or the files of chosen folders ("By Folders"). The dialog moves values between its
// controls and the engine's AdvMarkingSettings and folder lines; the rules and the walks
// are the engine's (results/adv_marking.h).
//
// The dialog lives from the first hand-over of folders (or its first use) until the
// result list is cleared, hidden between uses, so that its folder list and check marks
// stay. Its controls are read from the settings store whenever it becomes the active
// window and written back whenever it stops being it.

#include "results/adv_marking.h"
#include "results/result_table.h"
#include "settings/settings_store.h"

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace pw {

class AdvMarkFrm : public QDialog {
    Q_OBJECT

public:
    // sameNameSearch answers whether the main window's search method is "Same Name Files"
    // (only then do the files of a group differ in size). store, table and the function
    // must outlive the dialog.
    AdvMarkFrm(SettingsStore& store, ResultTable& table, std::function<bool()> sameNameSearch,
               QWidget* parent = nullptr);

    // The folders of the result list as it hands them over: the folder list shows them, in
    // the order of the list sorted by Path, unchecked.
    void setFolders(const std::vector<std::string>& folders);
    const std::vector<FolderLine>& folderLines() const { return m_lines; }

    // Called after the dialog changed the table's marks or order, for the view to follow;
    // totalsText, when given, is the marked totals text for the status bar.
    std::function<void(const std::optional<std::string>& totalsText)> onTableChanged;

protected:
    bool event(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildRangeTab();
    QWidget* buildFoldersTab();
    QGroupBox* ruleFrame(const char* name, const char* caption,
                         const std::array<const char*, 3>& captions,
                         std::array<QRadioButton*, 3>& options);
    void connectRules();
    // Reading and writing the stored settings: on becoming and leaving the active window.
    void activate();
    void deactivate();
    void readControls();
    void showSettings();
    void readFolderChecks();
    void showFolderChecks();
    void mark();
    void clearMarks();

    SettingsStore& m_store;
    ResultTable& m_table;
    std::function<bool()> m_sameNameSearch;
    AdvMarkingSettings m_settings;
    std::vector<FolderLine> m_lines;
    std::vector<std::string> m_masks;

    QTabWidget* m_tabs = nullptr;
    QWidget* m_rangeTab = nullptr;
    QComboBox* m_rangeMask = nullptr;
    std::array<QRadioButton*, 3> m_date{};
    std::array<QRadioButton*, 3> m_size{};
    std::array<QRadioButton*, 3> m_version{};
    std::array<QRadioButton*, 4> m_limit{};
    QGroupBox* m_sizeFrame = nullptr;
    QLineEdit* m_limitText = nullptr;
    QComboBox* m_limitUnit = nullptr;
    QTreeWidget* m_folders = nullptr;
    QCheckBox* m_includeSubFolders = nullptr;
    QComboBox* m_folderMask = nullptr;
};

} // namespace pw
