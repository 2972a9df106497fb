#include "support.h"

#include "tsql/type.h"

#include <gtest/gtest.h>

using namespace tsql;
using namespace tsql::test;

TEST(TypeNames, ParsesWhatT_SqlWritesAndAppliesDefaults) {
    const struct {
        const char* text;
        const char* name;
    } cases[] = {
        {"INT", "int"},
        {"integer", "int"},
        {"numeric(19, 2)", "numeric(19,2)"},
        {"DECIMAL", "decimal(18,0)"},
        {"dec(5)", "decimal(5,0)"},
        {"NVARCHAR(MAX)", "nvarchar(max)"},
        {"[varchar] (10)", "varchar(10)"},
        {"char", "char(1)"},
        {"character varying(5)", "varchar(5)"},
        {"double precision", "float"},
        {"float(24)", "real"},
        {"float(25)", "float"},
        {"sysname", "nvarchar(128)"},
        {"uniqueidentifier", "uniqueidentifier"},
        {"image", "image"},
        {"binary", "binary(1)"},
        {"date", "date"},
        {"time", "time(7)"},
        {"TIME(0)", "time(0)"},
    };
    for (const auto& c : cases) {
        const auto t = parseType(c.text);
        ASSERT_TRUE(t) << c.text;
        EXPECT_EQ(t->name(), c.name) << c.text;
        EXPECT_EQ(Type::fromCode(t->code()), *t) << c.text;
    }
}

TEST(TypeNames, RefusesBadArgumentsWithSqlServersErrors) {
    const struct {
        const char* text;
        int error;
    } cases[] = {
        {"numeric(40,2)", 2750}, {"numeric(5,6)", 2751}, {"varchar(9000)", 131}, {"nvarchar(4001)", 131},
        {"varchar(0)", 1001},    {"int(4)", 2716},       {"char(max)", 1001},    {"float(54)", 1001},
    };
    for (const auto& c : cases) {
        try {
            parseType(c.text);
            ADD_FAILURE() << c.text << " was accepted";
        } catch (const SqlError& e) {
            EXPECT_EQ(e.number(), c.error) << c.text;
        }
    }
    EXPECT_FALSE(parseType("varchar2(10)"));
    EXPECT_FALSE(parseType("int)"));
}

TEST(TypeFacts, ReportWhatTheCatalogShows) {
    const struct {
        const char* type;
        int xtype, length, prec, scale;
    } cases[] = {
        {"int", 56, 4, 10, 0},
        {"nvarchar(20)", 231, 40, 20, 0},
        {"varchar(10)", 167, 10, 10, 0},
        {"numeric(19,2)", 108, 9, 19, 2},
        {"numeric(9,2)", 108, 5, 9, 2},
        {"numeric(28,0)", 108, 13, 28, 0},
        {"datetime", 61, 8, 23, 3},
        {"bit", 104, 1, 1, 0},
        {"nvarchar(max)", 231, -1, -1, 0},
        {"image", 34, 16, 0, 0},
        {"binary(16)", 173, 16, 16, 0},
        {"float", 62, 8, 53, 0},
    };
    for (const auto& c : cases) {
        const TypeFacts f = typeFacts(T(c.type));
        EXPECT_EQ(f.xtype, c.xtype) << c.type;
        EXPECT_EQ(f.length, c.length) << c.type;
        EXPECT_EQ(f.prec, c.prec) << c.type;
        EXPECT_EQ(f.scale, c.scale) << c.type;
    }
    const auto rows = sysTypes();
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [](const SysTypeRow& a, const SysTypeRow& b) {
        return a.xusertype < b.xusertype;
    }));
    EXPECT_EQ(rows.back().name, "sysname");
}

TEST(ResultTypes, FollowPrecedenceAndNumericRules) {
    const struct {
        BinaryOp op;
        const char* l;
        const char* r;
        const char* result;
    } cases[] = {
        {BinaryOp::Add, "int", "int", "int"},
        {BinaryOp::Add, "tinyint", "smallint", "smallint"},
        {BinaryOp::Add, "int", "bigint", "bigint"},
        {BinaryOp::Add, "int", "varchar(5)", "int"},
        {BinaryOp::Add, "varchar(5)", "varchar(7)", "varchar(12)"},
        {BinaryOp::Add, "varchar(5)", "nvarchar(7)", "nvarchar(12)"},
        {BinaryOp::Add, "varchar(8000)", "varchar(10)", "varchar(8000)"},
        {BinaryOp::Add, "varchar(max)", "varchar(10)", "varchar(max)"},
        {BinaryOp::Add, "numeric(19,2)", "numeric(9,2)", "numeric(20,2)"},
        {BinaryOp::Add, "numeric(19,2)", "int", "numeric(20,2)"},
        {BinaryOp::Multiply, "numeric(19,2)", "numeric(19,6)", "numeric(38,7)"},
        {BinaryOp::Divide, "numeric(19,2)", "numeric(9,2)", "numeric(31,12)"},
        {BinaryOp::Divide, "numeric(38,10)", "numeric(38,10)", "numeric(38,6)"},
        {BinaryOp::Divide, "int", "numeric(2,1)", "numeric(17,6)"},
        {BinaryOp::Modulo, "numeric(10,2)", "numeric(5,1)", "numeric(6,2)"},
        {BinaryOp::Add, "money", "int", "money"},
        {BinaryOp::Add, "money", "numeric(10,2)", "numeric(20,4)"},
        {BinaryOp::Add, "float", "numeric(10,2)", "float"},
        {BinaryOp::Add, "real", "int", "real"},
        {BinaryOp::Add, "datetime", "int", "datetime"},
        {BinaryOp::Subtract, "datetime", "datetime", "datetime"},
        {BinaryOp::Add, "varbinary(4)", "binary(2)", "varbinary(6)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(binaryResultType(c.op, T(c.l), T(c.r)).name(), c.result)
            << c.l << " " << operatorName(c.op) << " " << c.r;
}

TEST(ResultTypes, RefuseOperandsTheOperatorDoesNotTake) {
    const struct {
        BinaryOp op;
        const char* l;
        const char* r;
        int error;
    } cases[] = {
        {BinaryOp::Subtract, "varchar(5)", "varchar(5)", 8117}, {BinaryOp::Add, "text", "varchar(5)", 402},
        {BinaryOp::Multiply, "datetime", "int", 8117},          {BinaryOp::Modulo, "float", "int", 8117},
        {BinaryOp::Add, "uniqueidentifier", "int", 402},        {BinaryOp::Add, "bit", "bit", 8117},
        {BinaryOp::Add, "datetime", "varbinary(4)", 402},
    };
    for (const auto& c : cases) {
        try {
            binaryResultType(c.op, T(c.l), T(c.r));
            ADD_FAILURE() << c.l << " " << operatorName(c.op) << " " << c.r << " was accepted";
        } catch (const SqlError& e) {
            EXPECT_EQ(e.number(), c.error) << c.l << " " << operatorName(c.op) << " " << c.r;
        }
    }
}

TEST(ResultTypes, CommonTypeOfBranchesIgnoresNullAndWidens) {
    const struct {
        std::vector<Type> types;
        const char* result;
    } cases[] = {
        {{Type::null(), T("varchar(3)")}, "varchar(3)"},
        {{T("varchar(3)"), T("nvarchar(10)")}, "nvarchar(10)"},
        {{T("char(2)"), T("varchar(5)")}, "varchar(5)"},
        {{T("int"), T("varchar(5)")}, "int"},
        {{T("numeric(10,2)"), T("numeric(5,4)")}, "numeric(12,4)"},
        {{T("int"), T("numeric(5,2)")}, "numeric(12,2)"},
        {{Type::null(), Type::null()}, "int"},
        {{T("datetime"), T("varchar(20)")}, "datetime"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(commonType(c.types).name(), c.result);
    EXPECT_THROW(commonType(std::vector{T("datetime"), T("uniqueidentifier")}), SqlError);
    EXPECT_EQ(isNullResultType(T("nvarchar(5)"), T("nvarchar(50)")).name(), "nvarchar(5)");
    EXPECT_EQ(isNullResultType(Type::null(), T("money")).name(), "money");
}

TEST(ResultTypes, LiteralsAreTypedByTheirText) {
    const struct {
        const char* text;
        const char* type;
    } cases[] = {
        {"5", "int"},
        {"2147483647", "int"},
        {"2147483648", "numeric(10,0)"},
        {"12.50", "numeric(4,2)"},
        {"0.5", "numeric(1,1)"},
        {".05", "numeric(2,2)"},
        {"1e3", "float"},
        {"007", "int"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(numericLiteralType(c.text).name(), c.type) << c.text;
    EXPECT_EQ(numericLiteralType("3", true).name(), "numeric(1,0)");
    EXPECT_EQ(numericLiteralType("1.5", true).name(), "numeric(2,1)");
}

TEST(Messages, CarryTheServersTextsAndSurviveSqlite) {
    const SqlError e = SqlError::make(245, {"nvarchar", "abc", "int"});
    EXPECT_EQ(e.severity(), 16);
    EXPECT_EQ(e.message(), "Conversion failed when converting the nvarchar value 'abc' to data type int.");
    EXPECT_EQ(SqlError::make(8152).message(), "String or binary data would be truncated.");
    EXPECT_EQ(SqlError::make(2627, {"PRIMARY KEY", "PK_T", "dbo.T", "(1)"}).severity(), 14);
    for (int n : {102,  201,  207,  208,  209,  241,  245,  266,  512,  515,  547,  2627,
                  2714, 2812, 3701, 3902, 3903, 4104, 8114, 8115, 8120, 8134, 8144, 8152})
        EXPECT_NE(findMessage(n), nullptr) << n;
    EXPECT_THROW(SqlError::make(99999), std::logic_error);

    const auto back = decodeSqliteError(encodeForSqlite(SqlError(50000, 16, 3, "a: b: c")));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->number(), 50000);
    EXPECT_EQ(back->state(), 3);
    EXPECT_EQ(back->message(), "a: b: c");
    EXPECT_FALSE(decodeSqliteError("no such table: x"));
}
