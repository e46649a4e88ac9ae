#include "app/ui/main_frm.h"

#include "common/ui/pictures.h"

namespace pw {

MainFrm::MainFrm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("Pairwell v3.0"));
    setWindowIcon(pictureIcon(Picture::Application));
}

} // namespace pw
