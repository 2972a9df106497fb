#include "support.h"
#include "tsql/message_format.h"

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

TEST(RaiserrorFormat, FillsPrintfLikePlaceholdersAsTheServerDoes) {
    const struct {
        const char* templ;
        std::vector<Value> args;
        const char* text;
    } cases[] = {
        {"Radek %d: %s", {I(7), U("chyba")}, "Radek 7: chyba"},
        {"%i%% hotovo", {I(50)}, "50% hotovo"},
        {"[%5d] [%-5d] [%05d] [%+d] [% d]",
         {I(42), I(42), I(-42), I(42), I(42)},
         "[   42] [42   ] [-0042] [+42] [ 42]"},
        {"[%.4d] [%6.3d]", {I(7), I(7)}, "[0007] [   007]"},
        {"%u %x %X %o", {I(-1), I(255), I(255), I(8)}, "4294967295 ff FF 10"},
        {"%#x %#o %#X", {I(255), I(8), I(0)}, "0xff 010 0"},
        {"%I64d %ld %hd", {B(5000000000), I(3), I(4)}, "5000000000 3 4"},
        {"[%8s] [%-8s] [%.3s] [%*.*s]",
         {S("abc"), S("abc"), S("abcdef"), I(5), I(2), S("xyz")},
         "[     abc] [abc     ] [abc] [   xy]"},
        {"[%4s]", {U("žluť")}, "[žluť]"},
        {"%s a %d", {Null(Type::nVarChar(10))}, "(null) a (null)"},
        {"100 %z %", {}, "100 %z %"},
        {"%s", {I(12)}, "12"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatRaiserror(c.templ, c.args), c.text) << c.templ;
    const std::string longText(3000, 'a');
    const std::string shown = formatRaiserror("%s", std::vector<Value>{S(longText)});
    EXPECT_EQ(shown, std::string(2044, 'a') + "...");
}
