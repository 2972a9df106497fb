#include "parser.h"

#include "tsql/error.h"

#include <gtest/gtest.h>

namespace tsql::engine {
namespace {

struct ParseCase {
    const char* batch;
    std::size_t statements;
};

class ParsesTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParsesTest, CountsTopLevelStatements) {
    EXPECT_EQ(parseBatch(GetParam().batch).statements.size(), GetParam().statements) << GetParam().batch;
}

INSTANTIATE_TEST_SUITE_P(
    Batches, ParsesTest,
    testing::Values(
        ParseCase{"SELECT 1", 1}, ParseCase{"select 1; select 2;;", 2},
        ParseCase{"DECLARE @a INT, @b NVARCHAR(20) = N'x'\rSET @a = 1\rSELECT @a", 3},
        ParseCase{"SELECT TOP 1 a.*, b x, c AS [y z], w = 2 FROM [dbo].[T] a WITH(TABLOCKX) "
                  "LEFT OUTER JOIN U b ON a.id = b.id, V WHERE a.x NOT LIKE '%a' + b.y ORDER BY 1 DESC",
                  1},
        ParseCase{"IF EXISTS (SELECT * FROM T) SELECT 1 ELSE SELECT 0", 1},
        ParseCase{"BEGIN TRANSACTION\r\nINSERT T(a) VALUES(1)\nIF @@ERROR<>0 GOTO CHYBA\rCOMMIT\rRETURN\r"
                  "CHYBA:\rROLLBACK",
                  7},
        ParseCase{"UPDATE z SET z.a = '' FROM T z JOIN #x o ON o.id = z.id", 1},
        ParseCase{"DELETE T WHERE id IN (1,2) DELETE FROM T DELETE a FROM T a JOIN U b ON a.i=b.i", 3},
        ParseCase{"CREATE TABLE #t (ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK_t PRIMARY KEY, "
                  "Kod NVARCHAR(10) CONSTRAINT DF_t DEFAULT N'', c AS ID * 2, "
                  "CONSTRAINT UQ_t UNIQUE NONCLUSTERED (Kod), CHECK (ID > 0))",
                  1},
        ParseCase{"WHILE 1=1 BEGIN IF @i > 3 BREAK SET @i += 1 CONTINUE END", 1},
        ParseCase{"SELECT CASE WHEN x IN (1,2) THEN 'a' ELSE CAST(x AS VARCHAR(10)) END, "
                  "CONVERT(DATETIME, CONVERT(INT, CONVERT(FLOAT, GETDATE()))) FROM T "
                  "GROUP BY x HAVING COUNT(*) > 1 UNION ALL SELECT 1, 2",
                  1},
        ParseCase{"SELECT OBJECT_ID('tempdb..#x') /* comment\n*/ -- tail", 1},
        ParseCase{"RETURN\rCHYBA:\rPRINT 'x'", 3},
        ParseCase{"CREATE PROC p (@a INT = 1, @b INT OUT) WITH RECOMPILE AS BEGIN SELECT @a END", 1},
        ParseCase{"EXEC p\rCHYBA:\rEXEC @r = [dbo].[p] @a = DEFAULT, @b = @b OUTPUT WITH RECOMPILE SELECT 1\r"
                  "EXECUTE (N'SELECT ' + @x) EXEC p -1, N'a' EXEC p",
                  7}));

struct ErrorCase {
    const char* batch;
    int line;
    int number;
    const char* message;
};

class ParseErrorsTest : public testing::TestWithParam<ErrorCase> {};

TEST_P(ParseErrorsTest, RefusesWholeBatch) {
    const ErrorCase& c = GetParam();
    try {
        parseBatch(c.batch);
        FAIL() << "parsed: " << c.batch;
    } catch (const SqlError& e) {
        EXPECT_EQ(e.number(), c.number) << c.batch;
        EXPECT_EQ(e.line(), c.line) << c.batch;
        EXPECT_EQ(e.message(), c.message) << c.batch;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Batches, ParseErrorsTest,
    testing::Values(
        ErrorCase{"SELECT 1\rSELECT * FROM T WHERE id IN ()", 2, 102, "Incorrect syntax near ')'."},
        ErrorCase{"SELECT 1 FROM", 1, 102, "Incorrect syntax near 'FROM'."},
        ErrorCase{"SELECT 'abc", 1, 105, "Unclosed quotation mark after the character string 'abc'."},
        ErrorCase{"SELECT 1\n\nTRUNCATE TABLE T", 3, 102,
                  "Incorrect syntax: TRUNCATE statement is not supported by this server."},
        ErrorCase{"SELECT 1\rCREATE PROCEDURE p AS SELECT 1", 2, 111,
                  "'CREATE/ALTER PROCEDURE' must be the first statement in a query batch."},
        ErrorCase{"EXEC p @a = 1 OUTPUT,", 1, 102, "Incorrect syntax near ','."},
        ErrorCase{"IF 1=1", 1, 102, "Incorrect syntax near '1'."},
        ErrorCase{"SELECT a FROM T WHERE", 1, 102, "Incorrect syntax near 'WHERE'."}));

TEST(ParserTest, KeepsViewTextAndDefaultText) {
    Batch b = parseBatch("CREATE VIEW v AS SELECT a FROM T\r");
    auto* v = static_cast<CreateViewStmt*>(b.statements.at(0).get());
    EXPECT_EQ(v->text, "CREATE VIEW v AS SELECT a FROM T");
    Batch t = parseBatch("CREATE TABLE T (a INT CONSTRAINT DF_a DEFAULT (0), b DATETIME DEFAULT GETDATE())");
    auto* ct = static_cast<CreateTableStmt*>(t.statements.at(0).get());
    EXPECT_EQ(ct->columns.at(0).defaultName, "DF_a");
    EXPECT_EQ(ct->columns.at(0).defaultText, "(0)");
    EXPECT_EQ(ct->columns.at(1).defaultText, "GETDATE()");
}

TEST(ParserTest, KeepsProcedureTextToTheEndOfTheBatch) {
    const char* text = "CREATE PROCEDURE dbo.p @a INT, @b NVARCHAR(10) = N'x' OUT AS\r"
                       "SELECT @a -- comment\r\n/* tail */\r";
    Batch b = parseBatch(text);
    ASSERT_EQ(b.statements.size(), 1u);
    auto* p = static_cast<CreateProcedureStmt*>(b.statements.at(0).get());
    EXPECT_EQ(p->text, text);
    ASSERT_EQ(p->parameters.size(), 2u);
    EXPECT_FALSE(p->parameters[0].output);
    EXPECT_TRUE(p->parameters[1].output);
    EXPECT_TRUE(p->parameters[1].defaultValue);
    EXPECT_EQ(p->body.size(), 1u);
}

} // namespace
} // namespace tsql::engine
