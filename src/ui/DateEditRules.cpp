#include "ui/DateEditRules.h"

#include "files/DayCount.h"

#include <algorithm>
#include <cmath>

namespace k730 {

int DaysInMonth(int year, int month) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;
    // The full Gregorian rule: a 29 February of 1900 or 2100 would be no date at all.
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

TDateFields ClampDateFields(TDateFields f) {
    f.year = std::clamp(f.year, DATE_EDIT_MIN_YEAR, DATE_EDIT_MAX_YEAR);
    f.month = std::clamp(f.month, 1, 12);
    f.day = std::clamp(f.day, 1, DaysInMonth(f.year, f.month));
    return f;
}

TDateFields StepDateField(TDateFields f, TDateField field, int delta) {
    switch (field) {
    case dfDay:
        f.day += delta;
        break;
    case dfMonth:
        f.month += delta;
        break;
    case dfYear:
        f.year += delta;
        break;
    }
    return ClampDateFields(f);
}

TDateFields DateFieldsOf(double days) {
    const auto p = DecodeDays(std::trunc(days));
    if (!p) return ClampDateFields({});
    return ClampDateFields({p->day, p->month, p->year});
}

double DaysOfDateFields(const TDateFields& f) {
    const TDateFields c = ClampDateFields(f);
    return EncodeDays(TDateTimeParts{c.year, c.month, c.day});
}

double LimitDate(double days, double minimum, double maximum) {
    if (minimum != 0 && days < minimum) days = minimum;
    if (maximum != 0 && days > maximum) days = maximum;
    return days;
}

} // namespace k730
