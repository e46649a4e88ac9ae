#include "fileops/error_log.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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

std::string systemError(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
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
                          const std::tm& now) {
    if (path.empty() || path.back() == '/') {
        return "No file name was given.";
    }
    // The temporary file sits beside the log so that the rename stays on one file system;
    // O_EXCL with mode 0666 keeps the user's umask and never opens someone else's file.
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = path + ".part-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        return systemError("Cannot create " + path, errno);
    }
    const bool written = writeAll(fd, errorLogText(rows, now)) && fsync(fd) == 0;
    int error = errno;
    const bool closed = close(fd) == 0;
    if (written && !closed) {
        error = errno;
    }
    if (!written || !closed || rename(temporary.c_str(), path.c_str()) != 0) {
        if (written && closed) {
            error = errno;
        }
        unlink(temporary.c_str());
        return systemError("Cannot write " + path, error);
    }
    return {};
}

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace pw
