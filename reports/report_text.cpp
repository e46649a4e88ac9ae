#include "reports/report_text.h"

#include "common/text.h"
#include "settings/settings_table.h"

namespace pw {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// What the user typed, with every line end (LF, CR LF or CR) as CR LF.
std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            out.append(kLineEnd);
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string methodLine(const MainWindowState& window) {
    switch (window.method) {
    case SearchMethod::ByteToByte:
        return std::string("Search Engine: Byte-By-Byte, Fuzzy Logic:") +
               (window.fuzzy ? "1" : "0");
    case SearchMethod::Crc32:
        return "Search Engine: CRC32";
    case SearchMethod::SameName:
        return "Search Engine: Same Names";
    case SearchMethod::ZeroSize:
        return "Search Engine: Zero Size";
    }
    return {};
}

} // namespace

const std::array<std::string_view, 8> kFeedbackReasons{
    "I am completely satisfied, but don't need it at this point ",
    "I am completely satisfied, but I found a better/free alternative ",
    "It was OK, but didn't suit my needs. ",
    "It was OK, but I found a better/free alternative. ",
    "I was just curious, and not really interested in buying. ",
    "I am unsatisfied - Pairwell does not suit my needs ",
    "I am unsatisfied, as I had a serious problem with Pairwell",
    "I was dissuaded by the price",
};

std::string reportHeader(const SettingsStore& store) {
    const GenInfo info = loadGenInfo(store);
    return "Install Date: " + info.insDate + " Total Runs: " + std::to_string(info.totRun) +
           "\r\n\r\n";
}

std::string errorReportMessage(std::string_view header, std::string_view systemInfo,
                               const ErrorReport& report) {
    std::string text(header);
    const auto line = [&text](std::string_view value) { text.append(value).append(kLineEnd); };
    text.append(systemInfo);
    line("");
    const RuntimeError& error = report.error;
    line("Error# " + std::to_string(error.number) + "-" + error.description);
    line("Procedure: " + error.procedure + " Line#: " + error.detail);
    line("Version: " + std::string(kReportVersion) + "-" + std::string(kReportBuild));
    if (const auto& window = report.mainWindow) {
        line(methodLine(*window));
        std::string status = "Status: ";
        for (std::size_t i = 0; i < window->statusPanels.size(); ++i) {
            status += (i == 0 ? "" : "{}") + window->statusPanels[i];
        }
        line(status);
        line("");
        line("Search Parameters:");
        for (const SearchPathEntry& row : window->searchPaths) {
            line(row.folder + " {SF} " + row.subFolders + " {FT} " + row.fileTypes + " {MN} " +
                 row.minSize + " {MX} " + row.maxSize);
        }
    }
    line("");
    line("Customer Feed Back:");
    line("");
    line(withCrLf(report.account));
    return text;
}

std::string feedbackMessage(std::string_view header, std::string_view systemInfo,
                            const Feedback& feedback) {
    std::string text(header);
    const auto line = [&text](std::string_view value) { text.append(value).append(kLineEnd); };
    text.append(systemInfo);
    line("");
    const bool known =
        feedback.reason >= 0 && feedback.reason < static_cast<int>(kFeedbackReasons.size());
    line(known ? kFeedbackReasons[static_cast<std::size_t>(feedback.reason)] : "");
    line("");
    line("Name : " + feedback.name);
    line("Email : " + feedback.email);
    line("Price  : " + feedback.price);
    line("");
    text.append(withCrLf(feedback.description));
    return text;
}

std::optional<UserMessage> checkPrice(std::string_view price) {
    if (trimBlanks(price).empty()) {
        return UserMessage{"Please tell us what will be the Best Price for Pairwell in dollars",
                           "Please tell us"};
    }
    if (!isNumeric(price)) {
        return UserMessage{
            "Please tell us the Best Price for Pairwell in dollars.\nCharacters are not allowed",
            "Error"};
    }
    return std::nullopt;
}

UserMessage reportReceivedMessage() {
    return {"We received your feedback.\nThank you very much for your help and support.",
            "Pairwell"};
}

} // namespace pw
