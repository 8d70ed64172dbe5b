#include "files/DayCount.h"

#include <chrono>
#include <cmath>
#include <cstdio>

namespace k730 {
namespace {

constexpr long long msPerDay = 86'400'000;

// Days from 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const long long epochOffset = DaysFromCivil(1899, 12, 30); // day 0 of the files, from 1970

std::string Two(int v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", v);
    return text;
}

} // namespace

std::optional<TDateTimeParts> DecodeDays(double days) {
    if (!std::isfinite(days) || days < -693593.0 || days >= 2958466.0) return std::nullopt;
    // The date is the whole part toward zero and the time the distance from it,
    // so that a time before 1899 still reads forward from midnight.
    long long whole = static_cast<long long>(std::trunc(days));
    long long ms = std::llround(std::fabs(days - static_cast<double>(whole)) * msPerDay);
    if (ms >= msPerDay) {
        ms -= msPerDay;
        whole += days < 0 ? -1 : 1;
    }
    TDateTimeParts p;
    CivilFromDays(whole + epochOffset, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3'600'000);
    p.minute = static_cast<int>(ms / 60'000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.msec = static_cast<int>(ms % 1000);
    return p;
}

double EncodeDays(const TDateTimeParts& p) {
    const double date = static_cast<double>(DaysFromCivil(p.year, p.month, p.day) - epochOffset);
    const double time =
        ((p.hour * 60.0 + p.minute) * 60.0 + p.second) / 86400.0 + p.msec / static_cast<double>(msPerDay);
    return date >= 0 ? date + time : date - time;
}

double TimeToDays(time_t seconds, long nanoseconds) {
    tm local{};
    localtime_r(&seconds, &local);
    TDateTimeParts p{
        local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, 0};
    return EncodeDays(p) + static_cast<double>(nanoseconds) / 1e9 / 86400.0;
}

double NowDays() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return TimeToDays(now.tv_sec, now.tv_nsec);
}

std::optional<timespec> DaysToTime(double days) {
    const auto p = DecodeDays(days);
    if (!p) return std::nullopt;
    tm local{};
    local.tm_year = p->year - 1900;
    local.tm_mon = p->month - 1;
    local.tm_mday = p->day;
    local.tm_hour = p->hour;
    local.tm_min = p->minute;
    local.tm_sec = p->second;
    local.tm_isdst = -1;
    const time_t seconds = mktime(&local);
    if (seconds == static_cast<time_t>(-1) && p->year != 1969) return std::nullopt;
    return timespec{seconds, static_cast<long>(p->msec) * 1'000'000};
}

std::string FormatDate(double days, char sep) {
    const auto p = DecodeDays(days);
    if (!p) return {};
    char year[16];
    std::snprintf(year, sizeof year, "%04d", p->year);
    return Two(p->day) + sep + Two(p->month) + sep + year;
}

std::string FormatTimeHN(double days, char sep) {
    const auto p = DecodeDays(days);
    return p ? Two(p->hour) + sep + Two(p->minute) : std::string();
}

std::string FormatTimeHNS(double days, char sep) {
    const auto p = DecodeDays(days);
    return p ? Two(p->hour) + sep + Two(p->minute) + sep + Two(p->second) : std::string();
}

} // namespace k730
