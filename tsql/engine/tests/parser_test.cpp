#include "parser.h"
#include "tree_text.h"

#include "tsql/error.h"

#include <gtest/gtest.h>

namespace tsql::engine {
namespace {

using testing_support::TreeText;

struct ParseCase {
    const char* batch;
    const char* tree; //!< TreeText of the parsed batch, one line per top-level statement
};

class ParsesTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParsesTest, BuildsTheTree) {
    EXPECT_EQ(TreeText::of(parseBatch(GetParam().batch)), GetParam().tree) << GetParam().batch;
}

INSTANTIATE_TEST_SUITE_P(
    Batches, ParsesTest,
    testing::Values(
        ParseCase{"SELECT 1", "(SELECT 1)"},
        ParseCase{"select 1; select 2;;", "(SELECT 1)\n"
                                          "(SELECT 2)"},
        ParseCase{"DECLARE @a INT, @b NVARCHAR(20) = N'x'\rSET @a = 1\rSELECT @a",
                  "DECLARE (@a int) (@b nvarchar(20) N'x')\n"
                  "SET @a = 1\n"
                  "(SELECT @a)"},
        ParseCase{"SELECT TOP 1 a.*, b x, c AS [y z], w = 2 FROM [dbo].[T] a WITH(TABLOCKX) "
                  "LEFT OUTER JOIN U b ON a.id = b.id, V WHERE a.x NOT LIKE '%a' + b.y ORDER BY 1 DESC",
                  "(SELECT TOP 1 a.*, b AS x, c AS y z, 2 AS w FROM (LEFT JOIN dbo.T AS a U AS b ON (= a.id "
                  "b.id)), V WHERE (NOT LIKE a.x (+ '%a' b.y))) ORDER BY 1 DESC"},
        ParseCase{
            "SELECT 1 + 2 * 3 - 4 / 2 % 5, -a * b, a + b + c, a - (b - c), ~a & b | c ^ d, 'x' + N'y' + 0x0A",
            "(SELECT (- (+ 1 (* 2 3)) (% (/ 4 2) 5)), (* (- a) b), (+ (+ a b) c), (- a (- b c)), (^ (| (& (~ "
            "a) b) c) d), (+ (+ 'x' N'y') 0x0A))"},
        ParseCase{
            "SELECT * FROM T WHERE a = 1 OR b = 2 AND NOT c = 3 OR d IS NOT NULL AND e NOT BETWEEN 1 AND 2",
            "(SELECT * FROM T WHERE (OR (OR (= a 1) (AND (= b 2) (NOT (= c 3)))) (AND (IS NOT NULL d) (NOT "
            "BETWEEN e 1 2))))"},
        ParseCase{"SELECT * FROM A JOIN B ON A.i = B.i LEFT JOIN C ON C.i = B.i CROSS JOIN D, "
                  "(SELECT x FROM E) e RIGHT JOIN F f ON f.x = e.x",
                  "(SELECT * FROM (CROSS JOIN (LEFT JOIN (JOIN A B ON (= A.i B.i)) C ON (= C.i B.i)) D), "
                  "(RIGHT JOIN (SELECT x FROM E) AS e F AS f ON (= f.x e.x)))"},
        ParseCase{
            "SELECT @v = x, @w += 1 FROM T WHERE x IN (SELECT y FROM U WHERE y > 0) AND y NOT IN (1, 2) "
            "AND z = (SELECT MAX(DISTINCT z) FROM V) ORDER BY x, y DESC",
            "(SELECT @v = x, @w += 1 FROM T WHERE (AND (AND (IN x (SELECT y FROM U WHERE (> y 0))) (NOT IN y "
            "1 2)) (= z (SELECT MAX(DISTINCT z) FROM V)))) ORDER BY x, y DESC"},
        ParseCase{"IF EXISTS (SELECT * FROM T) SELECT 1 ELSE SELECT 0",
                  "(IF (EXISTS (SELECT * FROM T)) (SELECT 1) ELSE (SELECT 0))"},
        ParseCase{"BEGIN TRANSACTION\r\nINSERT T(a) VALUES(1)\nIF @@ERROR<>0 GOTO CHYBA\rCOMMIT\rRETURN\r"
                  "CHYBA:\rROLLBACK",
                  "BEGIN TRAN\n"
                  "INSERT T (a) VALUES (1)\n"
                  "(IF (<> @@ERROR 0) GOTO CHYBA)\n"
                  "COMMIT\n"
                  "RETURN\n"
                  "LABEL CHYBA\n"
                  "ROLLBACK"},
        ParseCase{"UPDATE z SET z.a = '' FROM T z JOIN #x o ON o.id = z.id",
                  "UPDATE z SET z.a = '' FROM (JOIN T AS z #x AS o ON (= o.id z.id))"},
        ParseCase{"DELETE T WHERE id IN (1,2) DELETE FROM T DELETE a FROM T a JOIN U b ON a.i=b.i",
                  "DELETE T WHERE (IN id 1 2)\n"
                  "DELETE T\n"
                  "DELETE a FROM (JOIN T AS a U AS b ON (= a.i b.i))"},
        ParseCase{"CREATE TABLE #t (ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK_t PRIMARY KEY, "
                  "Kod NVARCHAR(10) CONSTRAINT DF_t DEFAULT N'', c AS ID * 2, "
                  "CONSTRAINT UQ_t UNIQUE NONCLUSTERED (Kod), CHECK (ID > 0))",
                  "CREATE TABLE #t (ID int IDENTITY 1 1 NOT NULL) (Kod nvarchar(10) DEFAULT DF_t N'') (c AS "
                  "(* ID 2)) (PRIMARY KEY PK_t ID) (UNIQUE UQ_t Kod) (CHECK (> ID 0))"},
        ParseCase{"WHILE 1=1 BEGIN IF @i > 3 BREAK SET @i += 1 CONTINUE END",
                  "(WHILE (= 1 1) (BEGIN (IF (> @i 3) BREAK); SET @i += 1; CONTINUE; END))"},
        ParseCase{"SELECT CASE WHEN x IN (1,2) THEN 'a' ELSE CAST(x AS VARCHAR(10)) END, "
                  "CASE x WHEN 1 THEN 'b' END, "
                  "CONVERT(DATETIME, CONVERT(INT, CONVERT(FLOAT, GETDATE()))) FROM T "
                  "GROUP BY x HAVING COUNT(*) > 1 UNION ALL SELECT 1, 2 UNION SELECT 3, 4",
                  "(SELECT (CASE (WHEN (IN x 1 2) 'a') (ELSE (CAST x varchar(10)))), (CASE x (WHEN 1 'b')), "
                  "(CONVERT datetime (CONVERT int (CONVERT float GETDATE()))) FROM T GROUP BY x HAVING (> "
                  "COUNT(*) 1)) UNION ALL (SELECT 1, 2) UNION (SELECT 3, 4)"},
        ParseCase{"SELECT OBJECT_ID('tempdb..#x') /* comment\n*/ -- tail",
                  "(SELECT OBJECT_ID('tempdb..#x'))"},
        ParseCase{"RETURN\rCHYBA:\rPRINT 'x'", "RETURN\n"
                                               "LABEL CHYBA\n"
                                               "PRINT 'x'"},
        ParseCase{"CREATE PROC p (@a INT = 1, @b INT OUT) WITH RECOMPILE AS BEGIN SELECT @a END",
                  "CREATE PROCEDURE p (@a int = 1) (@b int OUTPUT) AS (BEGIN (SELECT @a); END);"},
        ParseCase{"EXEC p\rCHYBA:\rEXEC @r = [dbo].[p] @a = DEFAULT, @b = @b OUTPUT WITH RECOMPILE SELECT 1\r"
                  "EXECUTE (N'SELECT ' + @x) EXEC p -1, N'a' EXEC p",
                  "EXEC p\n"
                  "LABEL CHYBA\n"
                  "EXEC @r = dbo.p @a = DEFAULT, @b = @b OUTPUT\n"
                  "(SELECT 1)\n"
                  "EXEC ((+ N'SELECT ' @x))\n"
                  "EXEC p -1, N'a'\n"
                  "EXEC p"}));

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
