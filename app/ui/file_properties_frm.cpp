#include "app/ui/file_properties_frm.h"

#include "common/ui/ui_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pw {

FilePropertiesFrm::FilePropertiesFrm(const FileProperties& properties, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("FilePropertiesFrm"));
    setWindowTitle(displayText(properties.name) + QStringLiteral(" Properties"));

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    const auto addField = [this, form](const char* name, const char* caption,
                                       const std::string& value) {
        auto* field = new QLabel(displayText(value), this);
        field->setObjectName(QLatin1String(name));
        // Values can be copied: a folder name is often wanted elsewhere.
        field->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        field->setWordWrap(true);
        field->setMinimumWidth(360);
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    addField("lblName", "Name:", properties.name);
    addField("lblFolder", "Folder:", properties.folder);
    addField("lblType", "Type:", properties.type);
    addField("lblSize", "Size:", properties.size);
    addField("lblModified", "Modified:", properties.modified);
    addField("lblOwner", "Owner:", properties.owner);
    addField("lblGroup", "Group:", properties.group);
    addField("lblPermissions", "Permissions:", properties.permissions);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("cmdClose"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace pw
