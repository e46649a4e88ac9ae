#pragma once
// "Maximum size limit": chooses the limit up to which "Mark All Duplicates upto..." marks.
// The dialog moves values between its controls and the engine's MaxSizeDialog; the limit
// rules are the engine's (results/marking.h). Its controls are stored whenever it closes.

#include "results/marking.h"
#include "settings/settings_store.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace pw {

class frmMaxSize : public QDialog {
    Q_OBJECT

public:
    // maxSizeValue is the limit in KB chosen last (nullopt before the first choice); the
    // caller keeps it between uses and both must outlive the dialog. "OK" sets it and
    // accepts; closing the dialog any other way rejects and leaves it alone.
    frmMaxSize(SettingsStore& store, std::optional<double>& maxSizeValue,
               QWidget* parent = nullptr);

    void accept() override;
    void done(int result) override;

private:
    void chooseOption(MaxSizeOption option);
    MaxSizeDialog readControls() const;

    SettingsStore& m_store;
    std::optional<double>& m_maxSizeValue;
    MaxSizeOption m_option = MaxSizeOption::None;

    QRadioButton* m_options[3] = {};
    QLineEdit* m_text = nullptr;
    QComboBox* m_unit = nullptr;
};

} // namespace pw
