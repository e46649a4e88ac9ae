#pragma once
// "Add/Exclude Folders": the dialog behind the search-path list's Add and Edit. It only
// moves texts between its controls and a FolderForm; every rule is the engine's
// (app/search_paths.h). The folder keeps the picker's bytes unless the user types over it.

#include "app/search_paths.h"
#include "settings/settings_store.h"

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace pw {

class FolderFrm : public QDialog {
    Q_OBJECT

public:
    // Add (no row): the last entries, and the folder picker opens as soon as the dialog is
    // shown. Edit: the row's folder, options and kind.
    FolderFrm(SettingsStore& store, const std::optional<SearchPathEntry>& row,
              QWidget* parent = nullptr);

    // The row the dialog describes after OK; nullopt after Cancel or with a blank path.
    const std::optional<SearchPathEntry>& entry() const { return m_entry; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activate();
    void browse();
    void excludeClicked(bool checked);
    // The control texts into the form, and the form back into the controls.
    void readControls();
    void showForm();
    void leaveMaskBox();

    SettingsStore& m_store;
    FolderForm m_form;
    std::vector<std::string> m_masks;
    std::optional<SearchPathEntry> m_entry;
    bool m_activated = false;

    QLineEdit* m_path;
    QPushButton* m_browse;
    QCheckBox* m_subFolders;
    QCheckBox* m_exclude;
    QComboBox* m_mask;
    QLineEdit* m_min;
    QLineEdit* m_max;
    QPushButton* m_ok;
};

// Runs the dialog modally for a new row (no row) or for editing `row`; the row it gives
// after OK, nullopt otherwise.
std::optional<SearchPathEntry>
runFolderFrm(SettingsStore& store, const std::optional<SearchPathEntry>& row, QWidget* parent);

} // namespace pw
