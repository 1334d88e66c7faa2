#include "base/DateTime.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/Errors.h"

namespace veltra {

namespace {

constexpr const char* MonthAbbreviations[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

int DaysInMonth(int year, int month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days from 1 January of year 1 to the given date (proleptic Gregorian calendar).
std::int64_t DayNumber(int year, int month, int day)
{
    std::int64_t n = 0;
    const std::int64_t y = year - 1;
    n = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m)
        n += DaysInMonth(year, m);
    return n + day - 1;
}

// Day number of 30 December 1899, day 0 of TDateTime.
const std::int64_t DateDelta = 693593;

void CivilFromDayNumber(std::int64_t dayNumber, int& year, int& month, int& day)
{
    // Days since 0001-01-01 to a civil date, using 400-year cycles.
    std::int64_t n = dayNumber;
    std::int64_t cycles400 = n / 146097;
    n %= 146097;
    if (n < 0) {
        n += 146097;
        --cycles400;
    }
    std::int64_t cycles100 = n / 36524;
    if (cycles100 == 4)
        cycles100 = 3;
    n -= cycles100 * 36524;
    const std::int64_t cycles4 = n / 1461;
    n -= cycles4 * 1461;
    std::int64_t years = n / 365;
    if (years == 4)
        years = 3;
    n -= years * 365;
    year = static_cast<int>(cycles400 * 400 + cycles100 * 100 + cycles4 * 4 + years + 1);
    month = 1;
    while (n >= DaysInMonth(year, month)) {
        n -= DaysInMonth(year, month);
        ++month;
    }
    day = static_cast<int>(n) + 1;
}

std::string TwoDigits(int value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2d", value);
    return buffer;
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

TDateTime EncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        throw EConvertError("Invalid argument to date encode");
    return static_cast<double>(DayNumber(year, month, day) - DateDelta);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        millisecond < 0 || millisecond > 999)
        throw EConvertError("Invalid argument to time encode");
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / MSecsPerDay;
}

TDateTime DateFromYearDay(int year, int dayOfYear, std::int64_t milliseconds)
{
    return EncodeDate(year, 1, 1) + (dayOfYear - 1) +
           static_cast<double>(milliseconds) / MSecsPerDay;
}

TDateTimeParts DecodeDateTime(TDateTime value)
{
    TDateTimeParts parts;
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        throw EConvertError("Invalid date-time value");
    // The whole days give the date; the fraction, rounded to the millisecond, the time.
    double whole = std::trunc(value);
    std::int64_t ms = std::llround(std::fabs(value - whole) * MSecsPerDay);
    if (ms >= 86400000) {
        ms -= 86400000;
        whole += value < 0 ? -1 : 1;
    }
    CivilFromDayNumber(static_cast<std::int64_t>(whole) + DateDelta, parts.Year, parts.Month,
                       parts.Day);
    parts.Hour = static_cast<int>(ms / 3600000);
    parts.Minute = static_cast<int>(ms / 60000 % 60);
    parts.Second = static_cast<int>(ms / 1000 % 60);
    parts.Millisecond = static_cast<int>(ms % 1000);
    return parts;
}

std::string FormatDateTime(const std::string& pattern, TDateTime value)
{
    const TDateTimeParts p = DecodeDateTime(value);
    std::string out;
    bool afterHour = false;
    size_t i = 0;
    auto starts = [&](const char* token) {
        return pattern.compare(i, std::strlen(token), token) == 0;
    };
    while (i < pattern.size()) {
        if (starts("yyyy")) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%.4d", p.Year);
            out += buffer;
            i += 4;
            afterHour = false;
        } else if (starts("mmm")) {
            out += MonthAbbreviations[p.Month - 1];
            i += 3;
            afterHour = false;
        } else if (starts("mm")) {
            out += TwoDigits(afterHour ? p.Minute : p.Month);
            i += 2;
            afterHour = false;
        } else if (starts("dd")) {
            out += TwoDigits(p.Day);
            i += 2;
            afterHour = false;
        } else if (starts("hh")) {
            out += TwoDigits(p.Hour);
            i += 2;
            afterHour = true;
        } else if (starts("nn")) {
            out += TwoDigits(p.Minute);
            i += 2;
            afterHour = false;
        } else if (starts("ss")) {
            out += TwoDigits(p.Second);
            i += 2;
            afterHour = false;
        } else if (starts("zzz")) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%.3d", p.Millisecond);
            out += buffer;
            i += 3;
            afterHour = false;
        } else {
            out += pattern[i++];
        }
    }
    return out;
}

} // namespace veltra
