#pragma once
// The tip of the day: one of the tips at random, another with "&Next Tip", and the
// "&Show Tips at Startup" switch, stored the moment it is clicked.

#include "app/startup.h"
#include "settings/settings_store.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace pw {

class frmTip : public QDialog {
    Q_OBJECT

public:
    explicit frmTip(SettingsStore& store, RandomSource random = defaultRandomSource(),
                    QWidget* parent = nullptr);

private:
    void drawNextTip();

    SettingsStore& m_store;
    RandomSource m_random;
    QLabel* m_tipText;
    QCheckBox* m_loadAtStartup;
};

// Shows the tip window modally, placed by CenterForm.
void showTipWindow(SettingsStore& store, QWidget* parent);

} // namespace pw
