#pragma once
// The About window: the product's name, version and build.

#include <QDialog>

namespace pw {

class AboutFrm : public QDialog {
    Q_OBJECT

public:
    explicit AboutFrm(QWidget* parent = nullptr);
};

// Shows the About window modally, placed by CenterForm.
void showAboutWindow(QWidget* parent);

} // namespace pw
