#include "results/ui/frm_max_size.h"

#include "common/ui/modal.h"
#include "common/ui/ui_text.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>

namespace pw {
namespace {

constexpr std::array<MaxSizeOption, 3> kOptions{MaxSizeOption::Cd, MaxSizeOption::Dvd,
                                                MaxSizeOption::Specify};

} // namespace

frmMaxSize::frmMaxSize(SettingsStore& store, std::optional<double>& maxSizeValue, QWidget* parent)
    : QDialog(parent), m_store(store), m_maxSizeValue(maxSizeValue) {
    setObjectName(QStringLiteral("frmMaxSize"));
    setWindowTitle(QStringLiteral("Maximum size limit"));

    auto* purpose = new QLabel(QStringLiteral("This option is helpful when you want to make "
                                              "backup copies of Duplicate Files in a CD, DVD etc "
                                              "and have size limits."),
                               this);
    purpose->setObjectName(QStringLiteral("Label1"));
    purpose->setWordWrap(true);
    auto* heading =
        new QLabel(QStringLiteral("Mark all duplicate files upto the specified size."), this);
    heading->setObjectName(QStringLiteral("Label2"));

    const std::array<const char*, 3> captions{"CD (700 MB)", "DVD (4.3 GB)", "Specify :"};
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        m_options[i] = new QRadioButton(QString::fromLatin1(captions[i]), this);
        m_options[i]->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        connect(m_options[i], &QRadioButton::clicked, this,
                [this, option = kOptions[i]] { chooseOption(option); });
    }
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("Text1"));
    m_text->setAccessibleName(QStringLiteral("Size"));
    m_text->setMaximumWidth(100);
    m_text->setAlignment(Qt::AlignRight);
    m_unit = new QComboBox(this);
    m_unit->setObjectName(QStringLiteral("combo1"));
    m_unit->setAccessibleName(QStringLiteral("Unit"));
    m_unit->addItems({QStringLiteral("KB"), QStringLiteral("MB"), QStringLiteral("GB")});

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmMaxSize::accept);

    auto* specify = new QHBoxLayout;
    specify->addWidget(m_options[2]);
    specify->addWidget(m_text);
    specify->addWidget(m_unit);
    specify->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(purpose);
    layout->addSpacing(6);
    layout->addWidget(heading);
    layout->addWidget(m_options[0]);
    layout->addWidget(m_options[1]);
    layout->addLayout(specify);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    const MaxSizeDialog stored = loadMaxSizeDialog(m_store);
    m_text->setText(displayText(stored.text));
    m_unit->setCurrentIndex(stored.unitIndex);
    chooseOption(stored.option);
}

void frmMaxSize::chooseOption(MaxSizeOption option) {
    m_option = option;
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        if (kOptions[i] == option) {
            m_options[i]->setChecked(true);
        }
    }
    const MaxSizeDialog state{option, {}, 0};
    m_text->setEnabled(state.amountEnabled());
    m_unit->setEnabled(state.amountEnabled());
}

MaxSizeDialog frmMaxSize::readControls() const {
    return {m_option, typedText(m_text->text()), m_unit->currentIndex()};
}

void frmMaxSize::accept() {
    if (const std::optional<UserMessage> message = acceptMaxSize(readControls(), m_maxSizeValue)) {
        showMessage(this, {displayText(message->title), displayText(message->text),
                           MessageIcon::None, MessageButtons::Ok, MessageAnswer::Ok});
        m_text->setFocus(Qt::OtherFocusReason);
        return;
    }
    QDialog::accept();
}

void frmMaxSize::done(int result) {
    saveMaxSizeDialog(m_store, readControls());
    QDialog::done(result);
}

} // namespace pw
