#include "common/ui/ui_text.h"

#include <QByteArray>
#include <QFile>

namespace pw {

QString displayText(std::string_view bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string typedText(const QString& text) {
    return text.toStdString();
}

std::string dialogPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QUrl fileUrl(std::string_view pathBytes) {
    const QByteArray raw(pathBytes.data(), static_cast<qsizetype>(pathBytes.size()));
    return QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"), QUrl::StrictMode);
}

} // namespace pw
