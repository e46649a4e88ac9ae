#include "common/ui/pictures.h"

#include <QString>

namespace pw {
namespace {

const char* pictureFile(Picture picture) {
    switch (picture) {
    case Picture::Scan:
        return "scan";
    case Picture::Cancel:
        return "cancel";
    case Picture::Mark:
        return "mark";
    case Picture::Copy:
        return "copy";
    case Picture::Move:
        return "move";
    case Picture::Delete:
        return "delete";
    case Picture::Rename:
        return "rename";
    case Picture::Export:
        return "export";
    case Picture::ViewerOff:
        return "viewer-off";
    case Picture::ViewerOn:
        return "viewer-on";
    case Picture::DeletePermanently:
        return "delete-permanently";
    case Picture::RecycleBin:
        return "recycle-bin";
    case Picture::SearchFolder:
        return "search-folder";
    case Picture::ExcludedFolder:
        return "excluded-folder";
    case Picture::Marked:
        return "marked";
    case Picture::Unmarked:
        return "unmarked";
    case Picture::SortAscending:
        return "sort-ascending";
    case Picture::SortDescending:
        return "sort-descending";
    case Picture::Application:
        return "pairwell";
    case Picture::AddFolder:
        return "add-folder";
    case Picture::RemoveFolder:
        return "remove-folder";
    case Picture::Browse:
        return "browse";
    case Picture::Tip:
        return "tip";
    }
    return nullptr;
}

} // namespace

QIcon pictureIcon(Picture picture) {
    const char* name = pictureFile(picture);
    return name ? QIcon(QStringLiteral(":/pictures/%1.svg").arg(QLatin1String(name))) : QIcon();
}

QIcon pictureIcon(int imageNumber) {
    switch (imageNumber) {
    case 9:
    case 10:
    case 11:
    case 12:
    case 15:
    case 16:
    case 17:
    case 18:
        return pictureIcon(static_cast<Picture>(imageNumber));
    default:
        return QIcon();
    }
}

} // namespace pw
