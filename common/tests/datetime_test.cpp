#include "common/datetime.h"

#include <gtest/gtest.h>

using common::DateTimeFields;

TEST(DateTime, KnownDayNumbers) {
    struct Case {
        DateTimeFields fields;
        double days;
    };
    const Case cases[] = {
        {{1899, 12, 30}, 0},           {{1900, 1, 1}, 2},
        {{2012, 3, 15, 12}, 40983.5},  {{1899, 12, 29, 6}, -1.25},
        {{2000, 2, 29, 18}, 36585.75},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(common::EncodeDateTime(c.fields), c.days) << c.fields.year << "-" << c.fields.month;
        EXPECT_EQ(common::DecodeDateTime(c.days), c.fields) << c.days;
    }
}

TEST(DateTime, RoundTripKeepsMilliseconds) {
    const DateTimeFields f{2012, 3, 15, 14, 30, 5, 7};
    EXPECT_EQ(common::DecodeDateTime(common::EncodeDateTime(f)), f);
    const DateTimeFields lastMs{9999, 12, 31, 23, 59, 59, 999};
    EXPECT_EQ(common::DecodeDateTime(common::EncodeDateTime(lastMs)), lastMs);
}

TEST(DateTime, RejectsImpossibleDates) {
    EXPECT_THROW(common::EncodeDateTime({2011, 2, 29}), std::invalid_argument);
    EXPECT_THROW(common::EncodeDateTime({2012, 13, 1}), std::invalid_argument);
    EXPECT_THROW(common::EncodeDateTime({2012, 1, 1, 24}), std::invalid_argument);
    for (const double days : {1e300, -1e300, 2958466.0, -693594.0})
        EXPECT_THROW(common::DecodeDateTime(days), std::invalid_argument) << days;
    EXPECT_EQ(common::DecodeDateTime(2958465.5), (DateTimeFields{9999, 12, 31, 12}));
    EXPECT_EQ(common::DecodeDateTime(-693593.0), (DateTimeFields{1, 1, 1}));
}
