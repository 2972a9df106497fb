#include "quelta/portal/datetime.h"

#include "quelta/portal/errors.h"

#include <gtest/gtest.h>

namespace quelta {
namespace {

using common::EncodeDateTime;

TEST(PortalDateTime, HostToPortal) {
    EXPECT_FALSE(ToPortalDateTime(0));
    EXPECT_EQ(ToPortalDateTime(EncodeDateTime({2024, 5, 5})), soap::DateTime::date(2024, 5, 5));
    EXPECT_EQ(soap::formatDateTime(*ToPortalDateTime(EncodeDateTime({2024, 5, 5}))),
              "2024-05-05T00:00:00.000Z");
    EXPECT_EQ(ToPortalDateTime(EncodeDateTime({2024, 5, 5, 8, 30, 15, 250})),
              (soap::DateTime{2024, 5, 5, 8, 30, 15, 250, true, 0}));
}

TEST(PortalDateTime, PortalToHostKeepsTheSendersCalendarDate) {
    struct Case {
        const char* text;
        common::TDateTime date;
    } const cases[] = {
        // Midnight in Prague is the previous evening in UTC: the date stays the sender's.
        {"2024-03-01T00:00:00.000+01:00", EncodeDateTime({2024, 3, 1})},
        {"2024-03-01T23:30:00-05:00", EncodeDateTime({2024, 3, 1})},
        {"2024-02-29T12:00:00Z", EncodeDateTime({2024, 2, 29})},
        {"2024-02-29T12:00:00", EncodeDateTime({2024, 2, 29})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ToHostDate(soap::parseDateTime(c.text)), c.date) << c.text;
    EXPECT_EQ(ToHostDateTime(soap::parseDateTime("2024-03-01T08:15:00+02:00")),
              EncodeDateTime({2024, 3, 1, 8, 15}));
    EXPECT_EQ(ToHostDateTime(std::nullopt), 0);
    EXPECT_THROW(ToHostDateTime(soap::DateTime{0, 1, 1}), EPortalResponse);
}

} // namespace
} // namespace quelta
