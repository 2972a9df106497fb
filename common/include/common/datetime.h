#pragma once
//! Date-time values as both deliverables exchange them: a day number counted
//! from 30 December 1899 with the time of day as the fraction (0 = no date).

#include <cstdint>
#include <string>

namespace common {

//! Calendar fields of a date-time value.
struct DateTimeFields {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    friend bool operator==(const DateTimeFields&, const DateTimeFields&) = default;
};

//! A day number: days since 1899-12-30, fraction = time of day.
using TDateTime = double;

//! Days from 1899-12-30 to the given date (proleptic Gregorian); negative before it.
std::int64_t DaysFromCivil(int year, int month, int day);

//! Builds a day number; throws std::invalid_argument for fields out of range.
TDateTime EncodeDateTime(const DateTimeFields& f);

//! Splits a day number into calendar fields, rounding to the nearest millisecond; throws
//! std::invalid_argument for values outside years 1 to 9999.
DateTimeFields DecodeDateTime(TDateTime value);

//! True when the fields name an existing calendar date and a valid time of day.
bool IsValidDateTime(const DateTimeFields& f);

//! The current local date and time.
TDateTime Now();

} // namespace common
