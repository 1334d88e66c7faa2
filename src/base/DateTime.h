#pragma once
// Date-times as a count of days since 30 December 1899 (the fraction is the time of day),
// the form the acquisition times are kept in. 0 stands for "not known".
#include <cstdint>
#include <string>

namespace veltra {

using TDateTime = double;

constexpr double MSecsPerDay = 86400000.0;

bool IsLeapYear(int year);
// Raises EConvertError for a date outside 1-9999 / 1-12 / the month's days.
TDateTime EncodeDate(int year, int month, int day);
// Raises EConvertError for a time outside 0-23 h, 0-59 min, 0-59 s, 0-999 ms.
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
// 1 January of year + (dayOfYear - 1) days + milliseconds / 86400000 days. The day and the
// milliseconds are not checked: day 0 is 31 December of the year before, a day beyond the
// end of the year runs on into the next. Only the year must be valid.
TDateTime DateFromYearDay(int year, int dayOfYear, std::int64_t milliseconds);

struct TDateTimeParts {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};
TDateTimeParts DecodeDateTime(TDateTime value);

// Formats with the patterns yyyy, mmm (English month abbreviation), mm, dd, hh, nn (minutes),
// ss and zzz; "mm" right after an hour specifier means minutes. Any other character is
// copied. English month names are used whatever the machine's locale.
std::string FormatDateTime(const std::string& pattern, TDateTime value);

} // namespace veltra
