#include "common/format.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace pw {
namespace {

// "#0.00": two decimals, halves rounded away from zero, no thousands separators.
std::string twoDecimals(double value) {
    const double rounded = std::floor(value * 100.0 + 0.5) / 100.0;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", rounded);
    return buffer;
}

std::tm localTime(std::time_t time) {
    std::tm parts{};
    if (localtime_r(&time, &parts) == nullptr) {
        std::time_t epoch = 0;
        localtime_r(&epoch, &parts);
    }
    return parts;
}

// Reads the unsigned decimal number at text[pos], at most maxDigits digits, and the
// separator after it. False when either is missing.
bool readPart(std::string_view text, std::size_t& pos, int maxDigits, char separator,
              std::int64_t& value) {
    const std::size_t start = pos;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' &&
           pos - start < static_cast<std::size_t>(maxDigits)) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == start) {
        return false;
    }
    if (pos >= text.size() || text[pos] != separator) {
        return false;
    }
    ++pos;
    return true;
}

} // namespace

std::string FormatSize(double bytes) {
    constexpr double kKilo = 1024.0;
    if (bytes >= kKilo * kKilo * kKilo) {
        return twoDecimals(bytes / kKilo / kKilo / kKilo) + " GB";
    }
    if (bytes >= kKilo * kKilo) {
        return twoDecimals(bytes / kKilo / kKilo) + " MB";
    }
    if (bytes >= kKilo) {
        return twoDecimals(bytes / kKilo) + " KB";
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.0f", std::trunc(bytes));
    return std::string(buffer) + " Bytes";
}

std::string SizeKey(std::uint64_t bytes) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, bytes).ptr;
    const auto length = static_cast<std::size_t>(end - digits);
    std::string key(length < 12 ? 12 - length : 0, '0');
    key.append(digits, length);
    return key;
}

LocalStamp localStamp(std::time_t time) {
    const std::tm t = localTime(time);
    return {t.tm_year + 1900,
            static_cast<std::uint8_t>(t.tm_mon + 1),
            static_cast<std::uint8_t>(t.tm_mday),
            static_cast<std::uint8_t>(t.tm_hour),
            static_cast<std::uint8_t>(t.tm_min),
            static_cast<std::uint8_t>(t.tm_sec)};
}

std::string DateText(const LocalStamp& s) {
    const int hour12 = s.hour % 12 == 0 ? 12 : s.hour % 12;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d/%d/%d %d:%02d:%02d %s", s.month, s.day, s.year, hour12,
                  s.minute, s.second, s.hour < 12 ? "AM" : "PM");
    return buffer;
}

std::string DateText(std::time_t time) {
    return DateText(localStamp(time));
}

std::string SortDateText(const LocalStamp& s) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d", s.year, s.month, s.day, s.hour,
                  s.minute, s.second);
    return buffer;
}

std::string SortDateText(std::time_t time) {
    return SortDateText(localStamp(time));
}

std::optional<LocalStamp> readDateText(std::string_view text) {
    std::size_t pos = 0;
    std::int64_t month = 0;
    std::int64_t day = 0;
    std::int64_t year = 0;
    std::int64_t hour = 0;
    std::int64_t minute = 0;
    std::int64_t second = 0;
    if (!readPart(text, pos, 2, '/', month) || !readPart(text, pos, 2, '/', day) ||
        !readPart(text, pos, 9, ' ', year) || !readPart(text, pos, 2, ':', hour) ||
        !readPart(text, pos, 2, ':', minute) || !readPart(text, pos, 2, ' ', second)) {
        return std::nullopt;
    }
    const std::string_view half = text.substr(pos);
    if ((half != "AM" && half != "PM") || month < 1 || month > 12 || day < 1 || day > 31 ||
        hour < 1 || hour > 12 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    // 12 AM is the hour after midnight and 12 PM the hour after noon.
    const std::int64_t hour24 = hour % 12 + (half == "PM" ? 12 : 0);
    return LocalStamp{static_cast<std::int32_t>(year),   static_cast<std::uint8_t>(month),
                      static_cast<std::uint8_t>(day),    static_cast<std::uint8_t>(hour24),
                      static_cast<std::uint8_t>(minute), static_cast<std::uint8_t>(second)};
}

std::string_view GetExt(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    return fileName.substr(dot + 1);
}

} // namespace pw
