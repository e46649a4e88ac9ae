#pragma once
// The note the main window shows when the user turns fuzzy matching on: what a fuzzy
// match takes as equal, with a small example, and a warning to check files before
// deleting them. `Command1` ("OK") closes it.

#include <QDialog>

class QWidget;

namespace pw {

class FuzzyFrm : public QDialog {
    Q_OBJECT

public:
    explicit FuzzyFrm(QWidget* parent = nullptr);
};

// Shows the note modally (through runModal), centred.
void showFuzzyInfo(QWidget* parent);

} // namespace pw
