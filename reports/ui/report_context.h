#pragma once
// What the report windows read from the program around them: its settings (the install
// date and run count of the report header, the mail host and support address) and the
// main window's search state. The program sets it once at start; any window may then show
// the error report without handing these through.

#include "reports/report_text.h"
#include "settings/settings_store.h"

#include <functional>
#include <optional>

namespace pw {

struct ReportContext {
    // The program's settings; unset, every value is its default.
    SettingsStore* settings = nullptr;
    // The main window's state when a report is made; unset while there is no main window.
    std::function<std::optional<MainWindowState>()> mainWindow;
};

// Called on the user-interface thread only.
void setReportContext(ReportContext context);
const ReportContext& reportContext();

// The context's settings, or a store of defaults when none is set.
SettingsStore& reportSettings();

} // namespace pw
