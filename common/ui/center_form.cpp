#include "common/ui/center_form.h"

#include "common/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace pw {

void CenterForm(QWidget* dialog) {
    const QWidget* anchor = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    QScreen* screen = anchor ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    const double dpi = screen->logicalDotsPerInch();
    const QRect area = screen->availableGeometry();
    const TwipsRect workArea{pixelsToTwips(area.left(), dpi), pixelsToTwips(area.top(), dpi),
                             pixelsToTwips(area.width(), dpi), pixelsToTwips(area.height(), dpi)};
    const QSize size = dialog->size();
    const TwipsPoint origin = centerFormOrigin(workArea, pixelsToTwips(size.width(), dpi),
                                               pixelsToTwips(size.height(), dpi));
    dialog->move(twipsToPixels(origin.left, dpi), twipsToPixels(origin.top, dpi));
}

} // namespace pw
