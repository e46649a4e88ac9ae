#pragma once
// The error rows of the delete, copy and move runs, and the error-log file a user saves
// from the deletion dialog.

#include "results/result_table.h"

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// One row of a run's error list: number, description and the file's full path.
struct ErrorRow {
    std::string number;
    std::string description;
    std::string fileName;

    bool operator==(const ErrorRow&) const = default;
};

// The file still exists after the delete.
ErrorRow unableToDelete(const std::string& path);
// The source still exists after the move.
ErrorRow unableToMove(const std::string& path);
// The copy failed.
ErrorRow unableToCopy(const std::string& path);
// The file is no longer the one the scan listed (size, time or kind changed, or it became
// a link); it was left alone.
ErrorRow fileChanged(const std::string& path);

// The save dialog's title, filter name and pattern.
inline constexpr std::string_view kErrorLogTitle = "Error Logs";
inline constexpr std::string_view kErrorLogFilter = "*.log";

// The proposed file name for a log saved at the local time `now`: "Error 05-12-2026".
std::string proposedErrorLogName(const std::tm& now);

// "05-Dec-2026 06:32:22 PM": two-digit day, English month abbreviation, 12-hour clock.
std::string errorLogTime(const std::tm& now);

// The whole log text, every line ended by CR LF: a banner with the creation time, the
// column line, then one "number, description, path" line per row in list order.
std::string errorLogText(const std::vector<ErrorRow>& rows, const std::tm& now);

// Writes errorLogText to `path` through a temporary file in the same folder that is
// synced and renamed into place, so an existing log is either replaced whole or left as
// it was (a pipe or terminal is written into). A file of `listed`, the result list the
// run worked on, is never written over. Returns an empty text on success, otherwise what
// went wrong, for the user.
std::string writeErrorLog(const std::string& path, const std::vector<ErrorRow>& rows,
                          const std::tm& now, const ResultTable& listed);

// The local time now, for the two functions above.
std::tm localNow();

} // namespace pw
