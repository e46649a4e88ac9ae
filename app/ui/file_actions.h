#pragma once
// The main window's actions on single files and on the list as a whole: open the selected
// file or its folder, rename it, copy its path, show its properties, open every marked
// file, remove the marked rows from the list, export the list, and the picture preview
// that follows the selection. The rules are the engine's (fileops/, results/, session/);
// this class connects them to the window's commands and the desktop.
//
// Created by MainFrm's constructor after ScanCommands; it connects the commands it serves
// by their objectNames and sets the preview hook of the window.

#include <QObject>
#include <functional>
#include <string>

class QWidget;

namespace pw {

class FileInfoFrm;
class MainFrm;
class ResultListView;
class ResultTable;

class FileActions : public QObject {
    Q_OBJECT

public:
    explicit FileActions(MainFrm& window);
    ~FileActions() override;

    // Asks the desktop's file manager to show `path` selected in its folder and calls
    // `notShown` when no file manager takes the request (then the folder is opened
    // instead). By default the freedesktop.org FileManager1 "ShowItems" call on the
    // session bus; tests put their own in its place.
    using ShowInFileManager =
        std::function<void(const std::string& path, std::function<void()> notShown)>;
    ShowInFileManager m_showInFileManager;

    // The preview window, once the viewer has shown a picture; nullptr before.
    FileInfoFrm* previewWindow() const { return m_preview; }

    // After the arrow keys or a mouse button other than the right one were released over
    // the result list: shows the selected row's picture, or hides the preview for a row
    // that is no picture. Nothing while the viewer is off or the list is empty.
    void PreviewSelectedRow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectCommands();
    ResultListView& list() const;
    ResultTable& table() const;
    int selectedPosition() const;
    std::string selectedPath() const;

    // Opens `path` with the desktop's handler for its type; says so when there is none.
    void openWithHandler(const std::string& path, QWidget* messageOwner);
    void openFile();
    void openFolder();
    void rename();
    void copyPath();
    void showProperties();
    void openMarkedFiles();
    void removeFromResult();
    void exportResults();
    void closePreview();
    FileInfoFrm& preview();

    MainFrm& m_window;
    FileInfoFrm* m_preview = nullptr;
};

} // namespace pw
