// Rules of the date edit control (TZAKDateEdit) without the toolkit: the
// three fields' limits, stepping with the arrow buttons, and the minimum and
// maximum of the value. Dates are day counts since 1899-12-30.
#pragma once

namespace k730 {

struct TDateFields {
    int day = 30, month = 12, year = 1899;
    bool operator==(const TDateFields&) const = default;
};

enum TDateField { dfDay = 0, dfMonth = 1, dfYear = 2 };

constexpr int DATE_EDIT_MIN_YEAR = 1900;
constexpr int DATE_EDIT_MAX_YEAR = 9999;

int DaysInMonth(int year, int month);
// Each field into its range (day 1 .. length of the month, month 1..12, year
// 1900..9999); a day beyond the month's length is reduced to it.
TDateFields ClampDateFields(TDateFields fields);
// One field stepped by `delta` and the whole date clamped again.
TDateFields StepDateField(TDateFields fields, TDateField field, int delta);

TDateFields DateFieldsOf(double days); // the whole day
double DaysOfDateFields(const TDateFields& fields);
// Raised to `minimum` and lowered to `maximum`, each only when not 0.
double LimitDate(double days, double minimum, double maximum);

} // namespace k730
