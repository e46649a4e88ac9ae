#pragma once
// The warning a scan shows before it compares more candidate files than it should take
// on in one go. OK (`Command2`) accepts the dialog and the scan goes on; Cancel
// (`Command1`), the close box and Escape reject it and the scan ends with nothing listed.

#include <QDialog>
#include <cstdint>

class QWidget;

namespace pw {

class frmTooManyFiles : public QDialog {
    Q_OBJECT

public:
    explicit frmTooManyFiles(std::int32_t filesFound, QWidget* parent = nullptr);
};

// Shows the warning modally (through runModal), centred; true when the user chose OK.
bool askTooManyFiles(QWidget* parent, std::int32_t filesFound);

} // namespace pw
