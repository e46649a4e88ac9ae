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

std::string DateText(std::time_t time) {
    const std::tm t = localTime(time);
    const int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d/%d/%d %d:%02d:%02d %s", t.tm_mon + 1, t.tm_mday,
                  t.tm_year + 1900, hour12, t.tm_min, t.tm_sec, t.tm_hour < 12 ? "AM" : "PM");
    return buffer;
}

std::string SortDateText(std::time_t time) {
    const std::tm t = localTime(time);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

std::string_view GetExt(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return {};
    }
    return fileName.substr(dot + 1);
}

} // namespace pw
