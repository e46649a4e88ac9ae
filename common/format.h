#pragma once
// Texts that the result list, the totals and the session files share.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace pw {

// Size text of every total: "0 Bytes", "1.50 KB", "2.00 MB", "3.25 GB".
std::string FormatSize(double bytes);

// A size as 12-digit zero-padded decimal text; larger sizes keep all their digits.
std::string SizeKey(std::uint64_t bytes);

// A file time as the result list shows it: the local calendar date and time, to the
// second. Rows keep these fields rather than the time itself, so that showing or sorting a
// row converts nothing, and a time read back from a saved text needs no time zone.
struct LocalStamp {
    std::int32_t year = 0;
    std::uint8_t month = 0; // 1 to 12; 0 only in a stamp that holds no time
    std::uint8_t day = 0;
    std::uint8_t hour = 0; // 0 to 23
    std::uint8_t minute = 0;
    std::uint8_t second = 0;

    bool operator==(const LocalStamp&) const = default;
};

// The local calendar fields of a file time.
LocalStamp localStamp(std::time_t time);

// A file time as local time, "m/d/yyyy h:mm:ss AM" (month, day and hour unpadded).
std::string DateText(const LocalStamp& stamp);
std::string DateText(std::time_t time);

// The same time as the 14-digit stamp "yyyymmddhhnnss" (24-hour clock, local time).
std::string SortDateText(const LocalStamp& stamp);
std::string SortDateText(std::time_t time);

// The stamp a DateText was made from: "m/d/yyyy h:mm:ss" and "AM" or "PM", 12 AM being
// the hour after midnight and 12 PM the hour after noon. nullopt for a text that is not
// of that form or names no valid time of day; leading zeros are accepted.
std::optional<LocalStamp> readDateText(std::string_view text);

// The text after the last "." of a file name; empty when it has none.
std::string_view GetExt(std::string_view fileName);

} // namespace pw
