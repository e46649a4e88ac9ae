#pragma once
// Texts that the result list, the totals and the session files share.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace pw {

// Size text of every total: "0 Bytes", "1.50 KB", "2.00 MB", "3.25 GB".
std::string FormatSize(double bytes);

// A size as 12-digit zero-padded decimal text; larger sizes keep all their digits.
std::string SizeKey(std::uint64_t bytes);

// A file time as local time, "m/d/yyyy h:mm:ss AM" (month, day and hour unpadded).
std::string DateText(std::time_t time);

// The same time as the 14-digit stamp "yyyymmddhhnnss" (24-hour clock, local time).
std::string SortDateText(std::time_t time);

// The text after the last "." of a file name; empty when it has none.
std::string_view GetExt(std::string_view fileName);

} // namespace pw
