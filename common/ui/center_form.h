#pragma once

class QWidget;

namespace pw {

// Places a dialog before it is shown: centred across the work area of its screen (the
// screen without its panels) and 1000 twips above the middle. Without a screen it stays
// where it is.
void CenterForm(QWidget* dialog);

} // namespace pw
