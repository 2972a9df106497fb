#include "quelta/progress.h"

#include <gtest/gtest.h>

using namespace quelta;

TEST(Progress, RoundHalfEven) {
    const std::pair<double, long long> cases[] = {
        {0.5, 0},     {1.5, 2},    {2.5, 2},  {12.5, 12}, {33.333, 33},
        {66.667, 67}, {99.5, 100}, {-0.5, 0}, {-1.5, -2},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(RoundHalfEven(in), out) << in;
}

TEST(Progress, IncAdvancesBarAndText) {
    struct Case {
        int rowcount;
        int incs;
        std::vector<int> positions;
        std::string text;
    };
    const Case cases[] = {
        {3, 3, {33, 67, 100}, "3 záznamů z 3"},
        {8, 1, {12}, "1 záznamů z 8"},
        {10, 3, {10, 20, 30}, "3 záznamů z 10"},
        {0, 2, {100, 100}, "2 záznamů z 0"}, // nothing to advance through: the bar stays full
        {2, 3, {50, 100, 100}, "3 záznamů z 2"},
    };
    for (const auto& c : cases) {
        ProgressCounter counter;
        counter.SetRowcount(c.rowcount);
        std::vector<int> positions;
        for (int i = 0; i < c.incs; ++i) {
            counter.Inc();
            positions.push_back(counter.Position());
        }
        EXPECT_EQ(positions, c.positions) << c.rowcount;
        EXPECT_EQ(counter.DoneText(), c.text);
        counter.Reset();
        EXPECT_EQ(counter.Position(), 0);
        EXPECT_EQ(counter.Done(), 0);
    }
}

TEST(Progress, WindowsAuthenticationClearsPasswordAndKeepsLogin) {
    LoginFormState form("sa");
    form.SetPassword("secret");
    form.SetWindowsAuthentication(true);
    EXPECT_FALSE(form.EditsEnabled());
    EXPECT_EQ(form.Password(), "");
    form.SetWindowsAuthentication(false);
    EXPECT_TRUE(form.EditsEnabled());
    EXPECT_EQ(form.Login(), "sa");
    EXPECT_EQ(form.Password(), "");
}
