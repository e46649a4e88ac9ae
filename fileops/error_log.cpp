#include "fileops/error_log.h"

#include "common/file_replace.h"
#include "results/listed_target.h"

#include <array>
#include <cstdio>

namespace pw {
namespace {

constexpr std::string_view kRule = "---------------------------------------------------";
constexpr std::string_view kLineEnd = "\r\n";

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string twoDigits(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string yearText(const std::tm& time) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%04d", time.tm_year + 1900);
    return buffer;
}

} // namespace

ErrorRow unableToDelete(const std::string& path) {
    return {"1005", "Unable to delete file", path};
}

ErrorRow unableToMove(const std::string& path) {
    return {"1006", "Unable to move file", path};
}

ErrorRow unableToCopy(const std::string& path) {
    return {"1007", "Unable to copy file", path};
}

ErrorRow fileChanged(const std::string& path) {
    return {"1008", "File changed since the scan", path};
}

std::string proposedErrorLogName(const std::tm& now) {
    return "Error " + twoDigits(now.tm_mday) + "-" + twoDigits(now.tm_mon + 1) + "-" +
           yearText(now);
}

std::string errorLogTime(const std::tm& now) {
    const int month = now.tm_mon >= 0 && now.tm_mon < 12 ? now.tm_mon : 0;
    const int hour12 = now.tm_hour % 12 == 0 ? 12 : now.tm_hour % 12;
    return twoDigits(now.tm_mday) + "-" + std::string(kMonths[static_cast<std::size_t>(month)]) +
           "-" + yearText(now) + " " + twoDigits(hour12) + ":" + twoDigits(now.tm_min) + ":" +
           twoDigits(now.tm_sec) + (now.tm_hour < 12 ? " AM" : " PM");
}

std::string errorLogText(const std::vector<ErrorRow>& rows, const std::tm& now) {
    std::string text;
    const auto line = [&text](std::string_view content) {
        text += content;
        text += kLineEnd;
    };
    line(kRule);
    line("Pairwell Deletion Error Log File.");
    line("Created at : " + errorLogTime(now));
    line(kRule);
    line(" ");
    line("Error No, Description, File Name");
    line(kRule);
    for (const ErrorRow& row : rows) {
        line(row.number + ", " + row.description + ", " + row.fileName);
    }
    return text;
}

std::string writeErrorLog(const std::string& path, const std::vector<ErrorRow>& rows,
                          const std::tm& now, const ResultTable& listed) {
    if (path.empty() || path.back() == '/') {
        return "No file name was given.";
    }
    if (const FileWriteResult refused = refuseListedTarget(path, listed); !refused.ok) {
        return refused.message();
    }
    return replaceFileContent(path, errorLogText(rows, now)).message();
}

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace pw
