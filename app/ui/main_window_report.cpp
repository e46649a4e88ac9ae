#include "app/ui/main_window_report.h"

#include "app/ui/main_frm.h"
#include "common/ui/ui_text.h"
#include "reports/ui/report_context.h"

#include <QLabel>
#include <QPointer>

namespace pw {

MainWindowState mainWindowReportState(MainFrm& window) {
    const SessionParameters parameters = window.currentParameters();
    MainWindowState state;
    state.method = parameters.options.method;
    state.fuzzy = parameters.options.fuzzy;
    for (int panel = 1; panel <= 5; ++panel) {
        state.statusPanels[static_cast<std::size_t>(panel - 1)] =
            typedText(window.statusPanel(panel)->text());
    }
    state.searchPaths = parameters.paths;
    return state;
}

void connectReportsTo(MainFrm& window) {
    const QPointer<MainFrm> main(&window);
    setReportContext({&window.settings(), [main]() -> std::optional<MainWindowState> {
                          return main ? std::optional(mainWindowReportState(*main)) : std::nullopt;
                      }});
    // A later main window may have taken the reports over meanwhile.
    QObject::connect(&window, &QObject::destroyed, [settings = &window.settings()] {
        if (reportContext().settings == settings) {
            setReportContext({});
        }
    });
}

} // namespace pw
