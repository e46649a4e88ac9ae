#pragma once
// The picture preview window: shows the file of the result list's selected row when it is
// a picture, floating above the main window without blocking it. Files are decoded on a
// thread of the window's own, reduced to the screen's size as they are read, so that a
// large picture never stalls the list the user walks through; a newer request overtakes
// one still waiting.

#include "settings/settings_store.h"

#include <QImage>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class QCloseEvent;
class QLabel;
class QStatusBar;

namespace pw {

class FileInfoFrm : public QWidget {
    Q_OBJECT

public:
    // `store` keeps the window's geometry and must outlive it. `owner` is the window the
    // preview floats above.
    explicit FileInfoFrm(SettingsStore& store, QWidget* owner = nullptr);
    ~FileInfoFrm() override;

    // Names the file in the status bar at once and shows its picture once it is read. A
    // file that cannot be read as a picture leaves the picture shown before.
    void LoadPic(const std::string& fullPath);

    // Closes the window without the question of the close box, as the program does when
    // the viewer is switched off, the list is cleared or the program ends. Any other close
    // is the user's and asks whether to switch the viewer off.
    void closeQuietly();

    // The file name the status bar shows, and whether a picture is shown.
    QString shownName() const;
    bool hasPicture() const;

    // The user closed the window with its close box and chose to switch the viewer off.
    std::function<void()> onDisableViewer;

signals:
    // The picture of the last LoadPic is on the screen.
    void pictureShown();
    // The file of the last LoadPic could not be read as a picture.
    void pictureFailed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void decode(std::uint64_t request, const std::string& path, QSize limit);
    void decoded(std::uint64_t request, const QImage& image);
    void storeGeometry();
    void restoreGeometry();

    SettingsStore& m_store;
    QLabel* m_pic;
    QStatusBar* m_stbar;
    QLabel* m_namePanel;
    bool m_quiet = false;
    QThread m_thread;
    QObject* m_decoder; // lives on m_thread; runs the decodes posted to it
    std::atomic<std::uint64_t> m_latest{0};
};

} // namespace pw
