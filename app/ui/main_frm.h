#pragma once
// The main window.

#include <QMainWindow>

namespace pw {

class MainFrm : public QMainWindow {
    Q_OBJECT

public:
    explicit MainFrm(QWidget* parent = nullptr);
};

} // namespace pw
