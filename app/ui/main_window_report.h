#pragma once
// The error report's view of the main window: its settings and its search state.

#include "reports/report_text.h"

namespace pw {

class MainFrm;

// The search method, the fuzzy option, the five status panels and the search paths as the
// window shows them now.
MainWindowState mainWindowReportState(MainFrm& window);

// Makes `window` the main window of every error report until it is destroyed.
void connectReportsTo(MainFrm& window);

} // namespace pw
