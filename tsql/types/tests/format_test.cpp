#include "support.h"

#include <gtest/gtest.h>

using namespace tsql;
using namespace tsql::test;

TEST(ShellFormat, EachTypeAsTheShellPrintsIt) {
    const struct {
        Value value;
        const char* text;
    } cases[] = {
        {Null(Type::integer()), "NULL"},
        {Null(T("nvarchar(5)")), "NULL"},
        {U("a\\b\tc\nd\re"), "a\\\\b\\tc\\nd\\re"},
        {U("Příliš"), "Příliš"},
        {I(-42), "-42"},
        {Value::bit(true), "1"},
        {convert(S("12.5"), T("numeric(19,2)")), "12.50"},
        {convert(S("3"), T("numeric(28,0)")), "3"},
        {convert(S("-0.05"), T("numeric(9,2)")), "-0.05"},
        {M("7"), "7.0000"},
        {F(0.1), "0.1"},
        {F(1e20), "1e+20"},
        {F(1.0 / 3), "0.3333333333333333"},
        {convert(F(0.1), T("real")), "0.1"},
        {D("2024-01-31 13:45:30.997"), "2024-01-31 13:45:30.997"},
        {Value::varBinary({0x0A, 0xFF}), "0x0AFF"},
        {Value::varBinary({}), "0x"},
        {Value::guid(parseGuid("{6f9619ff-8b86-d011-b42d-00c04fc964ff}")),
         "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatForShell(c.value), c.text) << c.value.type().name();
}
