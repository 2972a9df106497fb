#pragma once
//! DATETIME as SQL Server keeps it: days since 1900-01-01 and 1/300-second ticks of the day.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tsql {

//! A DATETIME value in 1753-01-01 00:00:00.000 .. 9999-12-31 23:59:59.997.
class DateTime {
public:
    static constexpr std::int32_t kTicksPerDay = 300 * 86400;
    static constexpr std::int32_t kMinDays = -53690;  //!< 1753-01-01
    static constexpr std::int32_t kMaxDays = 2958463; //!< 9999-12-31

    DateTime() = default;
    //! Throws SqlError 8115 (overflow converting expression to datetime) when outside the range.
    DateTime(std::int32_t days, std::int32_t ticks);

    //! From calendar fields; milliseconds are rounded to ticks as SQL Server does (.000, .003, .007).
    //! std::nullopt when the fields are not a valid date-time in range.
    static std::optional<DateTime> fromParts(int year, int month, int day, int hour = 0, int minute = 0,
                                             int second = 0, int millisecond = 0);
    //! From days since 1900-01-01 with the time as fraction (what CAST(float AS DATETIME) does), rounded
    //! to the nearest tick; throws SqlError 8115 out of range.
    static DateTime fromFloat(double days);
    //! From a single tick count since 1900-01-01 00:00 (the SQLite storage form).
    static DateTime fromTotalTicks(std::int64_t ticks);
    //! The current local date and time.
    static DateTime now();
    //! The current date and time in UTC (GETUTCDATE).
    static DateTime utcNow();

    std::int32_t days() const { return days_; }
    std::int32_t ticks() const { return ticks_; }
    //! days * kTicksPerDay + ticks: one integer that orders like the value (the SQLite storage form).
    std::int64_t totalTicks() const { return std::int64_t(days_) * kTicksPerDay + ticks_; }
    //! Days since 1900-01-01 with the time as fraction (CAST(datetime AS FLOAT)).
    double toFloat() const;

    struct Parts {
        int year, month, day, hour, minute, second, millisecond;
    };
    //! Calendar fields; millisecond is the tick shown as SQL Server shows it (0..997).
    Parts parts() const;
    //! Day of week 1 = Sunday .. 7 = Saturday (SQL Server's default DATEFIRST 7).
    int weekday() const;

    //! "yyyy-mm-dd hh:mi:ss.mmm"
    std::string toString() const;

    friend auto operator<=>(const DateTime&, const DateTime&) = default;

private:
    std::int32_t days_ = 0;
    std::int32_t ticks_ = 0;
};

//! A DATE: days since 1900-01-01 in 0001-01-01 .. 9999-12-31.
class Date {
public:
    static constexpr std::int32_t kMinDays = -693595; //!< 0001-01-01
    static constexpr std::int32_t kMaxDays = DateTime::kMaxDays;

    Date() = default;
    //! Throws SqlError 8115 outside the range.
    explicit Date(std::int32_t days);
    //! std::nullopt when the fields are no valid date in range.
    static std::optional<Date> fromParts(int year, int month, int day);

    std::int32_t days() const { return days_; }
    //! Calendar fields (the time fields 0).
    DateTime::Parts parts() const;
    //! "yyyy-mm-dd"
    std::string toString() const;

    friend auto operator<=>(const Date&, const Date&) = default;

private:
    std::int32_t days_ = 0;
};

//! A TIME: 100-nanosecond units since midnight.
class TimeOfDay {
public:
    static constexpr std::int64_t kUnitsPerSecond = 10000000;
    static constexpr std::int64_t kUnitsPerDay = 86400 * kUnitsPerSecond;

    TimeOfDay() = default;
    //! Throws SqlError 8115 outside a day.
    explicit TimeOfDay(std::int64_t units);
    static TimeOfDay fromParts(int hour, int minute, int second, std::int64_t fraction);

    std::int64_t units() const { return units_; }
    //! Rounded to `scale` fraction digits (TIME(scale)); 23:59:59.9999999 rounds to midnight.
    TimeOfDay rounded(int scale) const;
    //! Clock fields on 1900-01-01; millisecond = the fraction's first three digits.
    DateTime::Parts parts() const;
    //! "hh:mi:ss" with `scale` fraction digits: "06:00:00.0000000" for TIME(7).
    std::string toString(int scale) const;

    friend auto operator<=>(const TimeOfDay&, const TimeOfDay&) = default;

private:
    std::int64_t units_ = 0;
};

//! Parses a character string as SQL Server does for DATETIME (DATEFORMAT mdy, language us_english):
//! 'yyyymmdd', 'yyyymmdd hh:mi[:ss[.mmm]]', 'yyyy-mm-dd[ hh:mi[:ss[.mmm]]]', 'yyyy-mm-ddThh:mi:ss[.mmm]',
//! 'mm/dd/yyyy[ time]', 'mm-dd-yyyy', 'mm.dd.yyyy', time alone ('hh:mi[:ss[.mmm]]' = on 1900-01-01),
//! with optional AM/PM. Throws SqlError 241 for text that is no date, 242 for a date out of range.
DateTime parseDateTime(std::string_view text);

//! Parses with an explicit CONVERT style (101 mm/dd/yyyy, 103 dd/mm/yyyy, 104 dd.mm.yyyy, 112 yyyymmdd,
//! 120/121/126 ISO; 0/1/... fall back to parseDateTime). Same errors as parseDateTime.
DateTime parseDateTime(std::string_view text, int style);

//! Parses text for DATE (any year 1..9999; a time in the text is ignored) and for TIME (up to seven
//! fraction digits; a date in the text is ignored), with the order of `style` as parseDateTime. Same
//! errors as parseDateTime.
Date parseDate(std::string_view text, int style = 0);
TimeOfDay parseTime(std::string_view text, int style = 0);

} // namespace tsql
