// Dates of the meter's files: local date and time as days since 1899-12-30
// 00:00, the fraction being the time of day.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace k730 {

struct TDateTimeParts {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, msec = 0;
};

// Broken-down date and time; nothing for NaN, infinities and days outside the
// years 1..9999.
std::optional<TDateTimeParts> DecodeDays(double days);
double EncodeDays(const TDateTimeParts& parts);

// Present local time as a day count.
double NowDays();

// Conversions between the system clock (seconds since 1970 UTC) and local day counts.
double TimeToDays(time_t seconds, long nanoseconds);
std::optional<timespec> DaysToTime(double days);

// "dd<sep>mm<sep>yyyy"; "hh<sep>nn"; "hh<sep>nn<sep>ss". Empty for an undecodable date.
std::string FormatDate(double days, char sep);
std::string FormatTimeHN(double days, char sep);
std::string FormatTimeHNS(double days, char sep);

} // namespace k730
