#include "standins/tarvik/browse_state.h"

#include <gtest/gtest.h>

using standins::tarvik::formatIdList;
using standins::tarvik::parseIdList;

TEST(IdList, ReadsIntegersOnly) {
    struct Case {
        const char* text;
        std::vector<long long> ids;
    };
    const Case good[] = {
        {"", {}}, {"  ", {}}, {"7", {7}}, {"1,2,3", {1, 2, 3}}, {" 10 , 20 ", {10, 20}}, {"-3", {-3}},
    };
    for (const auto& c : good)
        EXPECT_EQ(parseIdList(c.text), c.ids) << c.text;
    for (const char* bad :
         {"1,,2", "1,", ",1", "1;2", "1 2", "1) OR (1=1", "0x10", "1.5", "99999999999999999999"})
        EXPECT_THROW(parseIdList(bad), std::invalid_argument) << bad;
}

TEST(IdList, WritesWithoutBlanks) {
    EXPECT_EQ(formatIdList({}), "");
    EXPECT_EQ(formatIdList({5}), "5");
    EXPECT_EQ(formatIdList({1, 22, 333}), "1,22,333");
    EXPECT_EQ(parseIdList(formatIdList({4, 8})), (std::vector<long long>{4, 8}));
}
