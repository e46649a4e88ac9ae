#include "reports/ui/report_context.h"

#include <utility>

namespace pw {
namespace {

ReportContext& context() {
    static ReportContext instance;
    return instance;
}

} // namespace

void setReportContext(ReportContext value) {
    context() = std::move(value);
}

const ReportContext& reportContext() {
    return context();
}

SettingsStore& reportSettings() {
    static MemorySettingsStore defaults;
    return context().settings != nullptr ? *context().settings : defaults;
}

} // namespace pw
