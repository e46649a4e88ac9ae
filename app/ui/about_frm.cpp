#include "app/ui/about_frm.h"

#include "common/ui/center_form.h"
#include "common/ui/modal.h"
#include "common/ui/pictures.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace pw {

AboutFrm::AboutFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutFrm"));
    setWindowTitle(QStringLiteral("About Pairwell"));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgIcon"));
    picture->setPixmap(pictureIcon(Picture::Application).pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop);

    auto* product = new QLabel(QStringLiteral("Pairwell"), this);
    product->setObjectName(QStringLiteral("lblProductName"));
    QFont productFont = product->font();
    productFont.setBold(true);
    productFont.setPointSizeF(productFont.pointSizeF() * 1.8);
    product->setFont(productFont);

    auto* version = new QLabel(QStringLiteral("Version 3.0 (Build 3005)"), this);
    version->setObjectName(QStringLiteral("lblVersion"));

    auto* description =
        new QLabel(QStringLiteral("Finds duplicate files and helps you get rid of them."), this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(18);
    layout->addWidget(picture, 0, 0, 3, 1);
    layout->addWidget(product, 0, 1);
    layout->addWidget(version, 1, 1);
    layout->addWidget(description, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    // The button row stands apart from the text above it.
    layout->setRowMinimumHeight(3, 10);
    layout->addLayout(buttons, 4, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    setMinimumWidth(340);
}

void showAboutWindow(QWidget* parent) {
    AboutFrm about(parent);
    about.adjustSize();
    CenterForm(&about);
    runModal(about);
}

} // namespace pw
