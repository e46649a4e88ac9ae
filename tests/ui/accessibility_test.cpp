#include "ui/ui_test_env.h"
#include "window_catalog.h"

#include <QAccessible>
#include <QStringList>
#include <QWidget>

namespace pw {
namespace {

// The control's objectName, or for a part Qt made itself (a combo box's edit box) its
// class and the named control it belongs to.
QString controlName(const QWidget& control) {
    if (!control.objectName().isEmpty()) {
        return control.objectName();
    }
    QString owner;
    for (const QWidget* parent = control.parentWidget(); parent && owner.isEmpty();
         parent = parent->parentWidget()) {
        owner = parent->objectName();
    }
    return QString::fromLatin1(control.metaObject()->className()) + QStringLiteral(" in ") + owner;
}

class Accessibility : public test::UiTest {};

// A screen reader says what a control is when the keyboard reaches it: its caption, the
// text of the label that names it, or a name of its own. An icon-only button, a list
// or a box without a label is announced as nothing at all.
TEST_F(Accessibility, EveryControlTheKeyboardReachesHasAnAccessibleName) {
    for (const CatalogWindow& entry : windowCatalog()) {
        WindowContext context;
        const std::unique_ptr<QWidget> window = entry.make(context);
        QStringList unnamed;
        for (QWidget* control : window->findChildren<QWidget*>()) {
            // A drop-down list is a window of its own, named by the box that opens it.
            if (control->focusPolicy() == Qt::NoFocus || control->window() != window.get()) {
                continue;
            }
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty()) {
                unnamed << controlName(*control);
            }
        }
        EXPECT_TRUE(unnamed.isEmpty()) << entry.name << ": no accessible name for "
                                       << unnamed.join(QStringLiteral(", ")).toStdString();
    }
}

} // namespace
} // namespace pw
