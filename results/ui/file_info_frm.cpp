#include "results/ui/file_info_frm.h"

#include "common/twips.h"
#include "common/ui/modal.h"
#include "common/ui/ui_text.h"
#include "results/picture_preview.h"
#include "settings/settings_table.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>
#include <unistd.h>

namespace pw {
namespace {

double dpiOf(const QWidget* widget) {
    const QScreen* screen = widget->screen();
    return screen ? screen->logicalDotsPerInch() : 96.0;
}

// Reads the picture at `path`, no larger than `limit`: a reader that can decode at a
// reduced size (JPEG) does so, any other reduces after reading. Null when the file cannot
// be read as a picture.
QImage readPicture(const std::string& path, QSize limit) {
    QFile file;
    const int fd = openPreviewFile(path.c_str());
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0) {
            ::close(fd);
        }
        return {};
    }
    const std::string_view format = previewPictureFormat(path.substr(path.rfind('/') + 1));
    QImageReader reader(&file, QByteArray(format.data(), static_cast<qsizetype>(format.size())));
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > limit.width() || size.height() > limit.height())) {
        reader.setScaledSize(size.scaled(limit, Qt::KeepAspectRatio));
    }
    return reader.read();
}

} // namespace

FileInfoFrm::FileInfoFrm(SettingsStore& store, QWidget* owner)
    : QWidget(owner, Qt::Tool), m_store(store), m_pic(new QLabel(this)),
      m_stbar(new QStatusBar(this)), m_namePanel(new QLabel(m_stbar)), m_decoder(new QObject) {
    setObjectName(QStringLiteral("FileInfoFrm"));
    setWindowTitle(QStringLiteral("Picture Viewer"));
    // The list keeps the keyboard while the preview follows it.
    setAttribute(Qt::WA_ShowWithoutActivating);

    m_pic->setObjectName(QStringLiteral("pic"));
    m_pic->setAccessibleName(QStringLiteral("Picture"));
    m_pic->setScaledContents(true);
    m_pic->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_stbar->setObjectName(QStringLiteral("Stbar"));
    m_stbar->setSizeGripEnabled(true);
    m_namePanel->setObjectName(QStringLiteral("StbarPanel1"));
    m_namePanel->setAccessibleDescription(QStringLiteral("File name"));
    m_stbar->addWidget(m_namePanel, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pic, 1);
    layout->addWidget(m_stbar);
    restoreGeometry();

    m_decoder->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_decoder, &QObject::deleteLater);
    m_thread.start();
}

FileInfoFrm::~FileInfoFrm() {
    // A decode under way finishes first; what it posts back dies with the window.
    m_latest = 0;
    m_thread.quit();
    m_thread.wait();
}

void FileInfoFrm::LoadPic(const std::string& fullPath) {
    m_namePanel->setText(displayText(std::string_view(fullPath).substr(fullPath.rfind('/') + 1)));
    const QScreen* screen = this->screen();
    const QSize limit = screen ? screen->size() * screen->devicePixelRatio() : QSize(4096, 4096);
    const std::uint64_t request = ++m_latest;
    QMetaObject::invokeMethod(
        m_decoder, [this, request, fullPath, limit] { decode(request, fullPath, limit); },
        Qt::QueuedConnection);
}

// On the decoding thread.
void FileInfoFrm::decode(std::uint64_t request, const std::string& path, QSize limit) {
    if (request != m_latest) {
        return;
    }
    const QImage image = readPicture(path, limit);
    QMetaObject::invokeMethod(
        this, [this, request, image] { decoded(request, image); }, Qt::QueuedConnection);
}

void FileInfoFrm::decoded(std::uint64_t request, const QImage& image) {
    if (request != m_latest) {
        return;
    }
    if (image.isNull()) {
        emit pictureFailed();
        return;
    }
    m_pic->setPixmap(QPixmap::fromImage(image));
    emit pictureShown();
}

QString FileInfoFrm::shownName() const {
    return m_namePanel->text();
}

bool FileInfoFrm::hasPicture() const {
    return !m_pic->pixmap().isNull();
}

void FileInfoFrm::closeQuietly() {
    m_quiet = true;
    close();
    m_quiet = false;
}

void FileInfoFrm::closeEvent(QCloseEvent* event) {
    storeGeometry();
    // The user's close asks; the program closes it through closeQuietly without a word.
    if (!m_quiet) {
        const MessageAnswer answer =
            showMessage(this, {QStringLiteral("Confirm"),
                               QStringLiteral("Do you want to disable picture viewer?"),
                               MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::No});
        if (answer == MessageAnswer::Yes && onDisableViewer) {
            onDisableViewer();
        }
    }
    event->accept();
}

void FileInfoFrm::storeGeometry() {
    const double dpi = dpiOf(this);
    savePicWindowSize(m_store, {pixelsToTwips(width(), dpi), pixelsToTwips(height(), dpi),
                                pixelsToTwips(y(), dpi), pixelsToTwips(x(), dpi)});
}

void FileInfoFrm::restoreGeometry() {
    const double dpi = dpiOf(this);
    const WindowGeometry stored = loadPicWindowSize(m_store);
    resize(twipsToPixels(stored.width, dpi), twipsToPixels(stored.height, dpi));
    const QPoint position(twipsToPixels(stored.left, dpi), twipsToPixels(stored.top, dpi));
    // A place on a screen that is gone would put the preview where nobody sees it.
    if (QGuiApplication::screenAt(position + QPoint(width() / 2, 0))) {
        move(position);
    }
}

} // namespace pw
