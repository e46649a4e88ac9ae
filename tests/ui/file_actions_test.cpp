#include "app/ui/file_actions.h"
#include "app/ui/main_frm.h"
#include "app/ui/scan_commands.h"
#include "common/ui/ui_text.h"
#include "fileops/rename_rules.h"
#include "results/ui/file_info_frm.h"
#include "results/ui/result_list_view.h"
#include "settings/settings_table.h"
#include "support/temp_tree.h"
#include "ui/ui_test_env.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <filesystem>

namespace pw {
namespace {

using test::TempTree;
using test::UiTest;
using test::waitUntil;

std::string pictureBytes(QColor colour, const char* format) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

class FileActionsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        window = std::make_unique<MainFrm>();
        actions = window->findChild<FileActions*>();
        ASSERT_NE(actions, nullptr);
        actions->m_showInFileManager = [this](const std::string& path,
                                              std::function<void()> notShown) {
            shownInFileManager.push_back(path);
            if (!fileManagerAnswers) {
                notShown();
            }
        };
        window->m_openUrl = [this](const QUrl& url) {
            opened.push_back(url);
            return handlerAnswers;
        };
    }

    // Scans the tree; every file must have a twin to be listed.
    void scan() { ASSERT_TRUE(test::scanFolder(*window, tree.root())); }

    ResultListView& list() { return *window->scanCommands().resultList(); }
    const ResultTable& table() { return window->scanCommands().table(); }
    QAction* action(const char* name) { return window->findChild<QAction*>(QLatin1String(name)); }
    int positionOf(const std::string& name) {
        for (int p = 1; p <= table().rowCount(); ++p) {
            if (table().row(p).name == name) {
                return p;
            }
        }
        ADD_FAILURE() << name << " is not listed";
        return 0;
    }
    void select(const std::string& name) { list().selectPosition(positionOf(name)); }

    // The input box of Rename answers `answer`; nullopt leaves the shown text as it is.
    static ModalHook renameTo(std::optional<QString> answer, QString* shown = nullptr) {
        return [answer, shown](QDialog& dialog) {
            auto& box = dynamic_cast<QInputDialog&>(dialog);
            EXPECT_EQ(box.windowTitle(), QStringLiteral("Rename"));
            if (shown) {
                *shown = box.textValue();
            }
            if (answer) {
                box.setTextValue(*answer);
            }
            return static_cast<int>(QDialog::Accepted);
        };
    }

    TempTree tree;
    std::unique_ptr<MainFrm> window;
    FileActions* actions = nullptr;
    std::vector<std::string> shownInFileManager;
    bool fileManagerAnswers = true;
    std::vector<QUrl> opened;
    bool handlerAnswers = true;
};

TEST_F(FileActionsTest, RenameAsksAgainAfterAForbiddenCharacterAndRefusesATakenName) {
    tree.addFile("a.txt", "same");
    tree.addFile("b.txt", "same");
    scan();
    select("a.txt");
    answerDialogs({renameTo(QStringLiteral("a:b.txt")), renameTo(QStringLiteral("c.txt"))});
    answerMessages({MessageAnswer::Ok});
    action("MRename")->trigger();
    EXPECT_EQ(asked(0), "Error: " + forbiddenCharactersMessage().text);
    EXPECT_TRUE(std::filesystem::exists(tree.path("c.txt")));
    EXPECT_FALSE(std::filesystem::exists(tree.path("a.txt")));
    EXPECT_EQ(list().model()->index(positionOf("c.txt") - 1, 0).data().toString(),
              QStringLiteral("c.txt"));

    // The toolbar's Rename button: a taken name is refused and nothing is replaced.
    select("c.txt");
    answerDialogs({renameTo(QStringLiteral("b.txt"))});
    answerMessages({MessageAnswer::Ok});
    window->toolbarButton(8)->trigger();
    EXPECT_EQ(asked(1), "Error: A file named \"b.txt\" already exists; the file keeps its name.");
    EXPECT_TRUE(std::filesystem::exists(tree.path("c.txt")));
    EXPECT_EQ(tree.read("b.txt"), "same");
    EXPECT_EQ(table().rowCount(), 2);
}

// The input box shows a name that is not valid UTF-8 with replacement characters; taking
// that text back as the answer renamed the file to a name it never had.
TEST_F(FileActionsTest, ANameThatIsNotUtf8LeftAsShownIsNotRenamed) {
    const std::string latin1 = "caf\xe9.txt";
    tree.addFile(latin1, "same");
    tree.addFile("other.txt", "same");
    scan();
    select(latin1);
    QString shown;
    answerDialogs({renameTo(std::nullopt, &shown)});
    action("MRename")->trigger();
    EXPECT_TRUE(shown.contains(QChar::ReplacementCharacter));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(tree.read(latin1), "same");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree.root()),
                            std::filesystem::directory_iterator()),
              2);
}

TEST_F(FileActionsTest, RemovingMarkedRowsTakesTheirLoneTwinsAlongAndKeepsTheFiles) {
    tree.addFile("a1", "aaaa");
    tree.addFile("a2", "aaaa");
    tree.addFile("b1", "bbbbbb");
    tree.addFile("b2", "bbbbbb");
    tree.addFile("b3", "bbbbbb");
    scan();
    answerMessages({MessageAnswer::Ok});
    action("mnuRemoveFromResult")->trigger();
    EXPECT_EQ(asked(0), "Error: No items marked/checked");

    list().table().setMarked(positionOf("a1"), true);
    list().table().setMarked(positionOf("b1"), true);
    list().applyChanges();
    action("mnuRemoveFromResult")->trigger();
    EXPECT_EQ(table().rowCount(), 2);
    EXPECT_EQ(list().model()->rowCount(), 2);
    EXPECT_GT(positionOf("b2"), 0);
    EXPECT_GT(positionOf("b3"), 0);
    EXPECT_TRUE(std::filesystem::exists(tree.path("a1")));
}

TEST_F(FileActionsTest, OpeningGoesToTheDesktopAndSaysWhenNoProgramAnswers) {
    tree.addFile("doc, one.txt", "same");
    tree.addFile("doc two.txt", "same");
    scan();
    select("doc, one.txt");
    list().viewport()->setMouseTracking(true);

    // Beyond the mark picture the file opens; without a handler the user is told.
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 5), QPointF(200, 5), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list().viewport(), &move);
    ASSERT_GT(list().lastMouseX(), 300);
    handlerAnswers = false;
    answerMessages({MessageAnswer::Ok});
    action("MOpenFile")->trigger();
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0].toLocalFile(), QString::fromStdString(tree.path("doc, one.txt")));
    EXPECT_EQ(asked(0), "Error: There is no program associated with the specified type of file.");

    // On the mark picture "Open File" marks the row instead.
    QMouseEvent onPicture(QEvent::MouseMove, QPointF(2, 5), QPointF(2, 5), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list().viewport(), &onPicture);
    action("MOpenFile")->trigger();
    EXPECT_EQ(opened.size(), 1U);
    EXPECT_TRUE(table().row(positionOf("doc, one.txt")).marked);
    EXPECT_TRUE(window->statusPanel(1)->text().startsWith(QStringLiteral("Total Files Marked 1")));

    // The folder: the file manager is asked first; when none answers the folder opens.
    handlerAnswers = true;
    action("MOpenFolder")->trigger();
    EXPECT_EQ(shownInFileManager, std::vector<std::string>{tree.path("doc, one.txt")});
    EXPECT_EQ(opened.size(), 1U);
    fileManagerAnswers = false;
    action("MOpenFolder")->trigger();
    ASSERT_EQ(opened.size(), 2U);
    EXPECT_EQ(opened[1].toLocalFile(), QString::fromStdString(tree.root() + "/"));

    // Every marked file, and the path on the clipboard.
    action("mnuOpenAllMarkFiles")->trigger();
    ASSERT_EQ(opened.size(), 3U);
    EXPECT_EQ(opened[2].toLocalFile(), QString::fromStdString(tree.path("doc, one.txt")));
    action("MCopyPath")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QString::fromStdString(tree.path("doc, one.txt")));
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->urls(),
              QList<QUrl>{fileUrl(tree.path("doc, one.txt"))});
}

TEST_F(FileActionsTest, PropertiesShowTheFileInAWindowOfItsOwn) {
    tree.addFile("x.bin", std::string(2048, 'x'));
    tree.addFile("y.bin", std::string(2048, 'x'));
    scan();
    select("y.bin");
    action("MFileProperties")->trigger();
    auto* frm = window->findChild<QDialog*>(QStringLiteral("FilePropertiesFrm"));
    ASSERT_NE(frm, nullptr);
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->findChild<QLabel*>(QStringLiteral("lblName"))->text(), QStringLiteral("y.bin"));
    EXPECT_EQ(frm->findChild<QLabel*>(QStringLiteral("lblSize"))->text(),
              QStringLiteral("2.00 KB (2048 bytes)"));
    frm->close();

    tree.remove("x.bin");
    select("x.bin");
    answerMessages({MessageAnswer::Ok});
    action("MFileProperties")->trigger();
    ASSERT_EQ(messages.size(), 1U);
    EXPECT_TRUE(messages[0].text.startsWith(QStringLiteral("Cannot read ")));
}

class PicturePreviewTest : public FileActionsTest {
protected:
    void SetUp() override {
        FileActionsTest::SetUp();
        for (const char* twin : {"a/", "b/"}) {
            const std::string folder = twin;
            tree.addFile(folder + "red.JPG", pictureBytes(Qt::red, "JPG"));
            tree.addFile(folder + "blue.dib", pictureBytes(Qt::blue, "BMP"));
            tree.addFile(folder + "notes.txt", "notes");
            tree.addFile(folder + "drawing.wmf", "not a picture a library reads");
        }
        scan();
    }

    // The user moves to the row with the down arrow.
    void arrowTo(const std::string& name) {
        select(name);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(&list(), &release);
    }
    bool previewShown() {
        return actions->previewWindow() && actions->previewWindow()->isVisible();
    }
};

TEST_F(PicturePreviewTest, PicturesShowAndOtherFilesHideThePreview) {
    arrowTo("red.JPG");
    ASSERT_TRUE(previewShown());
    FileInfoFrm& frm = *actions->previewWindow();
    EXPECT_EQ(frm.windowTitle(), QStringLiteral("Picture Viewer"));
    ASSERT_TRUE(waitUntil([&frm] { return frm.hasPicture(); }));
    EXPECT_EQ(frm.shownName(), QStringLiteral("red.JPG"));

    arrowTo("notes.txt");
    EXPECT_FALSE(previewShown());
    EXPECT_TRUE(window->pictureViewerOn());

    // A .dib is read as a bitmap.
    bool shown = false;
    QObject::connect(&frm, &FileInfoFrm::pictureShown, [&shown] { shown = true; });
    arrowTo("blue.dib");
    ASSERT_TRUE(waitUntil([&shown] { return shown; }));
    EXPECT_TRUE(previewShown());
    EXPECT_EQ(frm.findChild<QLabel*>(QStringLiteral("pic"))->pixmap().toImage().pixelColor(5, 5),
              QColor(Qt::blue));

    // A type the image library cannot read names the file and keeps the picture.
    bool failed = false;
    QObject::connect(&frm, &FileInfoFrm::pictureFailed, [&failed] { failed = true; });
    arrowTo("drawing.wmf");
    ASSERT_TRUE(waitUntil([&failed] { return failed; }));
    EXPECT_EQ(frm.shownName(), QStringLiteral("drawing.wmf"));
    EXPECT_TRUE(frm.hasPicture());

    // Switched off, the viewer closes the preview and no longer follows the list.
    action("MPicViewer")->trigger();
    EXPECT_FALSE(previewShown());
    arrowTo("red.JPG");
    EXPECT_FALSE(previewShown());
}

TEST_F(PicturePreviewTest, TheCloseBoxAsksWhetherToSwitchTheViewerOffAndTheGeometryStays) {
    arrowTo("red.JPG");
    ASSERT_TRUE(previewShown());
    FileInfoFrm& frm = *actions->previewWindow();
    frm.move(300, 200);
    frm.resize(240, 180);

    answerMessages({MessageAnswer::No});
    frm.close();
    EXPECT_EQ(asked(0), "Confirm: Do you want to disable picture viewer?");
    EXPECT_EQ(messages[0].defaultAnswer, MessageAnswer::No);
    EXPECT_FALSE(previewShown());
    EXPECT_TRUE(window->pictureViewerOn());
    const WindowGeometry stored = loadPicWindowSize(window->settings());
    EXPECT_EQ(stored.left, 4500); // 300 pixels at 96 DPI
    EXPECT_EQ(stored.width, 3600);

    arrowTo("blue.dib");
    ASSERT_TRUE(previewShown());
    answerMessages({MessageAnswer::Yes});
    frm.close();
    EXPECT_FALSE(window->pictureViewerOn());
    EXPECT_FALSE(action("MPicViewer")->isChecked());
    EXPECT_EQ(loadDisplay(window->settings()), kDisplayOff);

    // The program's own closing (a scan starting, the end of the program) asks nothing.
    action("MPicViewer")->trigger();
    arrowTo("red.JPG");
    ASSERT_TRUE(previewShown());
    window->SetBusy(true);
    EXPECT_FALSE(previewShown());
    window->SetBusy(false);
    arrowTo("red.JPG");
    ASSERT_TRUE(previewShown());
    window->show();
    window->close();
    EXPECT_FALSE(previewShown());
    EXPECT_EQ(messages.size(), 2U);
}

} // namespace
} // namespace pw
