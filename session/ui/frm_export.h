#pragma once
// The export wizard: page 1 chooses the format, the rows and whether to open the file
// afterwards; page 2 the output file and, for delimited text, the field delimiter, and
// runs the export. The writing is the engine's (export_writers.h), on a worker thread,
// while the dialog follows its progress. The choices come from the settings store when
// the wizard opens and go back when it closes.

#include "common/file_replace.h"
#include "results/result_table.h"
#include "settings/settings_store.h"

#include <QDialog>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QThread;

namespace pw {

class frmExport : public QDialog {
    Q_OBJECT

public:
    // What the wizard reads from the main window besides the rows: the selected rows'
    // positions and the status panels the page's summary copies.
    struct ListState {
        std::vector<int> selectedPositions;
        std::string filesPanel;      // "Files : 1234"
        std::string duplicatesPanel; // "Duplicate Files: 5  Size: ..."
    };

    // `store` and `table` must outlive the dialog; the table is not changed meanwhile
    // (the wizard is modal).
    frmExport(SettingsStore& store, const ResultTable& table, ListState list,
              QWidget* parent = nullptr);
    ~frmExport() override;

    // After a file was written: the completion sound.
    std::function<void()> onExported;
    // Opens the written file with its default handler ("Open file after export").
    std::function<void(const std::string& path)> onOpenFile;

    // The output path: the file dialog's answer as it came while the box still shows it,
    // otherwise what the user typed.
    std::string chosenPath() const;
    bool exporting() const { return m_worker != nullptr; }

public slots:
    // Stores the choices; refused while an export runs.
    void done(int result) override;

signals:
    // An export ended: written, or refused with its message shown.
    void exportFinished(bool written);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildPage1();
    void buildPage2();
    void loadChoices();
    void saveChoices();
    void next();
    void back();
    void browse();
    void startExport();
    void exportDone(const FileWriteResult& result, const std::string& path);
    void showProgress(int value, int maximum);
    // Checks the button at `index` of `options` (-1: none) and clears the others.
    static void selectOnly(std::initializer_list<QRadioButton*> options, int index);

    SettingsStore& m_store;
    const ResultTable& m_table;
    ListState m_list;
    std::string m_browsedPath;
    bool m_placed = false;
    QThread* m_worker = nullptr;

    QWidget* m_f1;
    QWidget* m_f2;
    QRadioButton* m_optDeli;
    QRadioButton* m_optHtml;
    QRadioButton* m_optMark;
    QRadioButton* m_optAllFiles;
    QRadioButton* m_optSelected;
    QCheckBox* m_openafter;
    QLineEdit* m_txtPath;
    QPushButton* m_cmdAdd;
    QRadioButton* m_optTab;
    QRadioButton* m_optComma;
    QRadioButton* m_optSemi;
    QRadioButton* m_optOther;
    QLineEdit* m_txtOther;
    QRadioButton* m_webpage;
    QProgressBar* m_pb;
    QPushButton* m_command1;
    QPushButton* m_command2;
    QPushButton* m_btn;
};

} // namespace pw
