#pragma once
// The texts of the error and feedback reports: the header about this installation, the two
// messages line by line, their subjects, the survey's reasons and the price box's rule.
// Lines end in CR LF. Texts are UTF-8; file names that are not valid UTF-8 stay bytes here
// and are made readable only on their way into the mail.

#include "results/marking.h"
#include "search/scan_observer.h"
#include "search/scan_types.h"
#include "settings/settings_store.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

inline constexpr std::string_view kReportVersion = "3.0";
inline constexpr std::string_view kReportBuild = "3005";

inline constexpr std::string_view kBugReportSubject = "Pairwell Bug Report";
inline constexpr std::string_view kFeedbackSubject = "Pairwell Feed Back";

// "Install Date: " the stored install date ("Null" before the first scan), " Total Runs: "
// the stored run count (0 before), then CR LF twice.
std::string reportHeader(const SettingsStore& store);

// What the main window shows when a report is made.
struct MainWindowState {
    SearchMethod method = SearchMethod::ByteToByte;
    bool fuzzy = false;
    std::array<std::string, 5> statusPanels; // panels 1 to 5
    std::vector<SearchPathEntry> searchPaths;
};

struct ErrorReport {
    RuntimeError error;
    // Empty when the program has no main window (the survey run): the search method, the
    // status panels and the search parameters are then left out of the message.
    std::optional<MainWindowState> mainWindow;
    std::string account; // what the user wrote about the failure
};

// The error report: the header, the system block and an empty line, the failure
// ("Error# ", "Procedure: ", "Version: "), the main window's search method, status
// panels and search paths, and after "Customer Feed Back:" the user's account.
std::string errorReportMessage(std::string_view header, std::string_view systemInfo,
                               const ErrorReport& report);

// The reasons of the uninstall survey by index, exactly as they are shown and mailed.
extern const std::array<std::string_view, 8> kFeedbackReasons;
// The reason that asks for the best price.
inline constexpr int kPriceReason = 7;

struct Feedback {
    int reason = 0; // index into kFeedbackReasons
    std::string name;
    std::string email;
    std::string price;
    std::string description;
};

// The feedback: the header, the system block and an empty line, the reason, an empty line,
// the name, e-mail and price lines, an empty line and the description, which has no line
// end after its last line.
std::string feedbackMessage(std::string_view header, std::string_view systemInfo,
                            const Feedback& feedback);

// The rule of the price box when it is left: nullopt when it holds a number, else the
// message to show (the focus then stays in the box).
std::optional<UserMessage> checkPrice(std::string_view price);

// The answer shown when the support address has received an error report.
UserMessage reportReceivedMessage();

} // namespace pw
