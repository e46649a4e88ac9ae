#pragma once
// The session dialog: saves the current search as a session file, or opens one. It holds
// no session logic: the main window sets the mode and the two hooks before showing it, and
// the dialog hands over what the user chose.

#include "common/file_replace.h"
#include "session/session_file.h"
#include "session/session_progress.h"
#include "settings/settings_store.h"

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace pw {

class SaveFrm : public QDialog {
    Q_OBJECT

public:
    enum class Mode { Save, Open };

    // Writes the session to `path` (bytes, as the file system takes them), reporting each
    // written row through `progress`, and answers how the write went. Called on the
    // dialog's thread; `progress` may be called from any thread.
    using SaveHook = std::function<FileWriteResult(const std::string& path, SessionContent content,
                                                   const SessionProgressFn& progress)>;
    // Opens the session at `path`; the dialog closes itself when this returns, so a long
    // load is the caller's to run in the background.
    using OpenHook = std::function<void(const std::string& path, bool reScan, bool reCheck)>;

    // `store` keeps "Close these dialog after completion" and must outlive the dialog.
    explicit SaveFrm(SettingsStore& store, QWidget* parent = nullptr);

    void setMode(Mode mode);
    Mode mode() const { return m_mode; }

    SaveHook onSave;
    OpenHook onOpen;

    // The path the action would use: the file dialog's answer as it came while the box
    // still shows it, otherwise what the user typed.
    std::string chosenPath() const;

    // The progress callback handed to onSave: moves `pr`, from any thread.
    SessionProgressFn progressCallback();

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void browse();
    void act();
    void save(const std::string& path);
    void open(const std::string& path);

    SettingsStore& m_store;
    Mode m_mode = Mode::Save;
    bool m_placed = false;
    // The file dialog's answer as bytes: a name that is not valid UTF-8 cannot be taken
    // back from the text the box shows.
    std::string m_browsedPath;

    QLineEdit* m_txtPath;
    QPushButton* m_cmdAdd;
    QPushButton* m_command1;
    QPushButton* m_command2;
    QProgressBar* m_pr;
    QCheckBox* m_chkClose;
    QGroupBox* m_saveFrame;
    QRadioButton* m_opt1;
    QRadioButton* m_opt2;
    QGroupBox* m_openFrame;
    QCheckBox* m_reScanc;
    QCheckBox* m_reCheckc;
};

} // namespace pw
