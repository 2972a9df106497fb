#include "support.h"

#include "tsql/operators.h"

#include <gtest/gtest.h>

using namespace tsql;
using namespace tsql::test;

TEST(Operators, ArithmeticAsSqlServerComputesIt) {
    const struct {
        Value l;
        BinaryOp op;
        Value r;
        const char* expected;
    } cases[] = {
        {I(7), BinaryOp::Divide, I(2), "3"},
        {I(-7), BinaryOp::Divide, I(2), "-3"},
        {I(-7), BinaryOp::Modulo, I(2), "-1"},
        {I(7), BinaryOp::Modulo, I(-2), "1"},
        {I(1), BinaryOp::Divide, I(0), "Msg 8134"},
        {I(1), BinaryOp::Modulo, I(0), "Msg 8134"},
        {I(2147483647), BinaryOp::Add, I(1), "Msg 8115"},
        {B(2147483647), BinaryOp::Add, I(1), "2147483648"},
        {I(-2147483647 - 1), BinaryOp::Divide, I(-1), "Msg 8115"},
        {Value::integer(200, Type::tinyInt()), BinaryOp::Add, Value::integer(100, Type::tinyInt()),
         "Msg 8115"},
        {I(1), BinaryOp::Add, S("2"), "3"},
        {I(1), BinaryOp::Add, S("x"), "Msg 245"},
        {S("1"), BinaryOp::Add, S("2"), "12"},
        {U("a"), BinaryOp::Add, Null(Type::nVarChar(1)), "NULL"},
        {N("2.0"), BinaryOp::Divide, I(3), "0.666666666666"},
        {N("2.0"), BinaryOp::Divide, convert(I(3), Type::numeric(1, 0)), "0.666666"},
        {N("1.0"), BinaryOp::Divide, N("3.0"), "0.333333"},
        {N("10.50"), BinaryOp::Add, N("0.005"), "10.505"},
        {N("19.99"), BinaryOp::Multiply, I(3), "59.97"},
        {N("1.5"), BinaryOp::Multiply, N("1.5"), "2.25"},
        {N("-7.5"), BinaryOp::Modulo, I(2), "-1.5"},
        {N("1.0"), BinaryOp::Divide, N("0.0"), "Msg 8134"},
        {N("0.1"), BinaryOp::Add, N("0.2"), "0.3"},
        {M("10.00"), BinaryOp::Divide, I(3), "3.3333"},
        {M("1.50"), BinaryOp::Multiply, M("2.00"), "3.0000"},
        {F(0.1), BinaryOp::Add, F(0.2), "0.30000000000000004"},
        {F(1), BinaryOp::Divide, F(0), "Msg 8134"},
        {F(1e308), BinaryOp::Multiply, F(10), "Msg 8115"},
        {D("2024-01-31"), BinaryOp::Add, I(1), "2024-02-01 00:00:00.000"},
        {D("2024-01-31"), BinaryOp::Subtract, N("0.5"), "2024-01-30 12:00:00.000"},
        {D("2024-01-31 06:00"), BinaryOp::Subtract, D("2024-01-30"), "1900-01-02 06:00:00.000"},
        {D("9999-12-31"), BinaryOp::Add, I(1), "Msg 517"},
        {Value::varBinary({1}), BinaryOp::Add, Value::varBinary({2, 3}), "0x010203"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run([&] { return binaryOp(c.op, c.l, c.r); }), c.expected)
            << formatForShell(c.l) << " " << operatorName(c.op) << " " << formatForShell(c.r);
}

TEST(Operators, ResultsCarryTheResultType) {
    EXPECT_EQ(binaryOp(BinaryOp::Add, N("1.50"), I(2)).type().name(), "numeric(13,2)");
    EXPECT_EQ(binaryOp(BinaryOp::Add, S("ab"), U("c")).type().name(), "nvarchar(3)");
    EXPECT_EQ(binaryOp(BinaryOp::Add, Null(), I(1)).type().name(), "int");
}

TEST(Operators, ConcatenationPastTheLimitOfLargeValuesIsRefused) {
    const std::size_t half = kMaxValueBytes / 2 + 1;
    const Value text = Value::text(std::string(half, 'a'), Type::varChar(Type::kMax));
    const Value bytes = Value::bytes(Bytes(half, 1), Type::varBinary(Type::kMax));
    EXPECT_EQ(run([&] { return binaryOp(BinaryOp::Add, text, text); }), "Msg 7119");
    EXPECT_EQ(run([&] { return binaryOp(BinaryOp::Add, bytes, bytes); }), "Msg 7119");
}

TEST(Operators, NegateChecksTheRange) {
    EXPECT_EQ(run([] { return negate(I(-2147483647 - 1)); }), "Msg 8115");
    EXPECT_EQ(run([] { return negate(N("1.25")); }), "-1.25");
    EXPECT_EQ(run([] { return negate(Null(Type::integer())); }), "NULL");
    EXPECT_EQ(run([] { return negate(S("x")); }), "Msg 8117");
}

TEST(Operators, CompareConvertsToTheHigherTypeAndUsesTheCollation) {
    const struct {
        Value l, r;
        std::optional<int> expected;
    } cases[] = {
        {I(12), U("12"), 0},
        {I(12), U("012"), 0},
        {U("Kod"), U("KOD"), 0},
        {U("abc"), U("abc   "), 0},
        {U("a"), U("á"), -1},
        {N("1.50"), N("1.5"), 0},
        {N("1.49"), I(2), -1},
        {D("2024-01-01"), S("20240101"), 0},
        {D("2024-01-01"), S("20240102"), -1},
        {Value::bit(true), I(1), 0},
        {F(0.5), N("0.5"), 0},
        {Null(Type::integer()), I(1), std::nullopt},
        {Value::guid(parseGuid("00000000-0000-0000-0000-000000000001")),
         S("{00000000-0000-0000-0000-000000000001}"), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(compare(c.l, c.r), c.expected) << formatForShell(c.l) << " vs " << formatForShell(c.r);
    EXPECT_THROW(compare(I(1), U("x")), SqlError);
    EXPECT_THROW(compare(Value::text("a", Type::text()), S("a")), SqlError);
}
