#include "app/ui/frm_tip.h"

#include "common/ui/center_form.h"
#include "common/ui/modal.h"
#include "common/ui/pictures.h"
#include "common/ui/ui_text.h"
#include "settings/settings_table.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace pw {

frmTip::frmTip(SettingsStore& store, RandomSource random, QWidget* parent)
    : QDialog(parent), m_store(store), m_random(std::move(random)) {
    setObjectName(QStringLiteral("frmTip"));
    setWindowTitle(QStringLiteral("Tip of the Day"));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("imgTip"));
    picture->setPixmap(pictureIcon(Picture::Tip).pixmap(48, 48));
    picture->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    auto* heading = new QLabel(QStringLiteral("Did you know..."), this);
    heading->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    headingFont.setPointSizeF(headingFont.pointSizeF() * 1.4);
    heading->setFont(headingFont);

    m_tipText = new QLabel(this);
    m_tipText->setObjectName(QStringLiteral("lblTipText"));
    m_tipText->setWordWrap(true);
    m_tipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_tipText->setTextFormat(Qt::PlainText);
    m_tipText->setMinimumSize(360, 110);

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("fraTip"));
    panel->setAutoFillBackground(true);
    QPalette panelPalette = panel->palette();
    panelPalette.setColor(QPalette::Window, QColor(255, 255, 238));
    panel->setPalette(panelPalette);
    auto* panelLayout = new QGridLayout(panel);
    panelLayout->addWidget(picture, 0, 0, 2, 1);
    panelLayout->addWidget(heading, 0, 1);
    panelLayout->addWidget(m_tipText, 1, 1);
    panelLayout->setColumnStretch(1, 1);
    panelLayout->setHorizontalSpacing(14);

    m_loadAtStartup = new QCheckBox(QStringLiteral("&Show Tips at Startup"), this);
    m_loadAtStartup->setObjectName(QStringLiteral("chkLoadTipsAtStartup"));
    m_loadAtStartup->setChecked(loadShowTipsAtStartup(m_store));
    connect(m_loadAtStartup, &QCheckBox::clicked, this,
            [this](bool checked) { saveShowTipsAtStartup(m_store, checked); });

    auto* next = new QPushButton(QStringLiteral("&Next Tip"), this);
    next->setObjectName(QStringLiteral("cmdNextTip"));
    next->setAutoDefault(false);
    connect(next, &QPushButton::clicked, this, &frmTip::drawNextTip);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_loadAtStartup);
    buttons->addStretch(1);
    buttons->addWidget(next);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    layout->addLayout(buttons);

    drawNextTip();
}

void frmTip::drawNextTip() {
    m_tipText->setText(displayText(drawTip(m_random)));
}

void showTipWindow(SettingsStore& store, QWidget* parent) {
    frmTip tip(store, defaultRandomSource(), parent);
    tip.adjustSize();
    CenterForm(&tip);
    runModal(tip);
}

} // namespace pw
