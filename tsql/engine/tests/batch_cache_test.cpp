//! A session keeps the batches it parsed and reuses them for batches differing in their constants only:
//! each run answers exactly what a session that never saw the batch answers, also after the schema
//! changed in this or another session, with temporary tables made in between, and on other databases.

#include "tsql/convert.h"
#include "tsql/engine.h"

#include <gtest/gtest.h>

#include <string>

namespace tsql {
namespace {

//! Everything a batch produced, as text: result sets with their column names and types, messages with
//! their numbers and lines.
std::string text(const BatchOutput& out) {
    std::string s;
    for (const auto& e : out.events) {
        if (e.kind == BatchEvent::Kind::Rows) {
            for (const auto& c : e.rows.columns)
                s += c.name + ":" + c.type.name() + " ";
            s += "\n";
            for (const auto& row : e.rows.rows) {
                for (const auto& v : row)
                    s += (v.isNull() ? std::string("NULL") : toText(v)) + "|";
                s += "\n";
            }
        } else {
            s += "Msg " + std::to_string(e.message.number) + " line " + std::to_string(e.message.line) +
                 ": " + e.message.text + "\n";
        }
    }
    return s;
}

const char* const kTable = "CREATE TABLE TabK (ID INT NOT NULL PRIMARY KEY, Kod NVARCHAR(10) NOT NULL)\n"
                           "INSERT TabK VALUES (1, N'jedna'), (2, N'dva'), (3, N'tri')";

struct SameShape {
    const char* first;
    const char* second;
};

// Pairs of batches differing in their constants only; the second runs after the first in one session.
const SameShape kPairs[] = {
    {"SELECT Kod FROM TabK WHERE ID = 1", "SELECT Kod FROM TabK WHERE ID = 2"},
    {"SELECT ID FROM TabK WHERE Kod = N'dva'", "SELECT ID FROM TabK WHERE Kod = N'tri'"},
    {"SELECT TOP 1 ID FROM TabK ORDER BY ID", "SELECT TOP 3 ID FROM TabK ORDER BY ID"},
    {"SELECT ID, Kod FROM TabK ORDER BY 1 DESC", "SELECT ID, Kod FROM TabK ORDER BY 2 DESC"},
    {"SELECT CONVERT(VARCHAR(10), CAST('20240131' AS DATETIME), 112)",
     "SELECT CONVERT(VARCHAR(10), CAST('20240131' AS DATETIME), 104)"},
    {"DECLARE @s VARCHAR(3) SET @s = 'abcdef' SELECT @s",
     "DECLARE @s VARCHAR(5) SET @s = 'abcdef' SELECT @s"},
    {"SELECT -5 + 1 AS x, - 2 AS y", "SELECT -7 + 1 AS x, - 4 AS y"},
    {"SELECT 1 AS x", "SELECT 10000000000 AS x"},
    {"SELECT 1.5 AS x", "SELECT 12.375 AS x"},
    {"DECLARE @s NVARCHAR(20) = N'a' DECLARE @i INT = 0\n"
     "WHILE @i < 2 BEGIN SET @s = @s + N'x' SET @i = @i + 1 END SELECT @s",
     "DECLARE @s NVARCHAR(20) = N'a' DECLARE @i INT = 0\n"
     "WHILE @i < 3 BEGIN SET @s = @s + N'y' SET @i = @i + 1 END SELECT @s"},
    {"DECLARE @k NVARCHAR(10) SET @k = (SELECT Kod FROM TabK WHERE ID = 1) SELECT @k",
     "DECLARE @k NVARCHAR(10) SET @k = (SELECT Kod FROM TabK WHERE ID = 3) SELECT @k"},
    {"DECLARE @k NVARCHAR(10) SELECT @k = Kod FROM TabK WHERE ID = 2 SELECT @k",
     "DECLARE @k NVARCHAR(10) SELECT @k = Kod FROM TabK WHERE ID = 5 SELECT @k"},
    {"IF EXISTS (SELECT * FROM TabK WHERE ID = 1) PRINT 'ano' ELSE PRINT 'ne'",
     "IF EXISTS (SELECT * FROM TabK WHERE ID = 9) PRINT 'ano' ELSE PRINT 'ne'"},
    {"SELECT CAST('12' AS INT) AS x", "SELECT CAST('abc' AS INT) AS x"},
    {"SELECT CAST('abc' AS INT) AS x\nSELECT 2 AS y", "SELECT CAST('12' AS INT) AS x\nSELECT 2 AS y"},
    {"SELECT 'a\nb' AS x\nSELECT 1/0", "SELECT 'ab' AS x\nSELECT 1/0"},
    {"SELECT Kod FROM TabK WHERE Kod LIKE N'%a' ORDER BY ID",
     "SELECT Kod FROM TabK WHERE Kod LIKE N'd%' ORDER BY ID"},
    {"SELECT ID FROM TabK WHERE ID IN (1, 2) ORDER BY ID",
     "SELECT ID FROM TabK WHERE ID IN (2, 3) ORDER BY ID"},
    {"DECLARE @t TABLE (a INT NOT NULL) INSERT @t VALUES (1) INSERT @t VALUES (2) SELECT a FROM @t WHERE a = "
     "1",
     "DECLARE @t TABLE (a INT NOT NULL) INSERT @t VALUES (1) INSERT @t VALUES (3) SELECT a FROM @t WHERE a = "
     "3"},
    {"RAISERROR('chyba %d', 16, 1, 5)", "RAISERROR('chyba %d', 10, 1, 6)"},
    {"EXEC sp_executesql N'SELECT @a AS a', N'@a INT', 4",
     "EXEC sp_executesql N'SELECT @a AS a', N'@a INT', 8"},
};

TEST(BatchCacheTest, ConstantsOfTheLastBatchCountAsInAFreshSession) {
    for (const auto& pair : kPairs) {
        SCOPED_TRACE(pair.second);
        auto db = Database::open({});
        auto cached = db->connect("sa");
        ASSERT_FALSE(cached->execute(kTable).hasErrors());
        const std::string first = text(cached->execute(pair.first));
        const std::string second = text(cached->execute(pair.second));
        // The first again, after the second changed the kept tree.
        EXPECT_EQ(text(cached->execute(pair.first)), first);
        EXPECT_EQ(second, text(db->connect("sa")->execute(pair.second)));
        EXPECT_EQ(first, text(db->connect("sa")->execute(pair.first)));
    }
}

TEST(BatchCacheTest, SchemaChangesOfThisSessionAreSeen) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    ASSERT_FALSE(s->execute(kTable).hasErrors());
    EXPECT_EQ(text(s->execute("SELECT * FROM TabK WHERE ID = 1")), "ID:int Kod:nvarchar(10) \n1|jedna|\n");
    ASSERT_FALSE(s->execute("ALTER TABLE TabK ADD Navic INT NULL").hasErrors());
    EXPECT_EQ(text(s->execute("SELECT * FROM TabK WHERE ID = 2")),
              "ID:int Kod:nvarchar(10) Navic:int \n2|dva|NULL|\n");
    ASSERT_FALSE(s->execute("DROP TABLE TabK").hasErrors());
    EXPECT_EQ(text(s->execute("SELECT * FROM TabK WHERE ID = 3")),
              "Msg 208 line 1: Invalid object name 'TabK'.\n");
}

TEST(BatchCacheTest, SchemaChangesOfAnotherSessionAreSeen) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    auto other = db->connect("sa");
    ASSERT_FALSE(other->execute(kTable).hasErrors());
    const std::string batch = "DECLARE @k NVARCHAR(10) SET @k = (SELECT Kod FROM TabK WHERE ID = 1)\n"
                              "SELECT @k AS k SELECT * FROM TabK WHERE ID = 1";
    EXPECT_EQ(text(s->execute(batch)), "k:nvarchar(10) \njedna|\nID:int Kod:nvarchar(10) \n1|jedna|\n");
    ASSERT_FALSE(other->execute("DROP TABLE TabK").hasErrors());
    ASSERT_FALSE(other
                     ->execute("CREATE TABLE TabK (Kod NVARCHAR(10) NOT NULL, ID INT NOT NULL)\n"
                               "INSERT TabK VALUES (N'nova', 1)")
                     .hasErrors());
    EXPECT_EQ(text(s->execute(batch)), "k:nvarchar(10) \nnova|\nKod:nvarchar(10) ID:int \nnova|1|\n");
}

TEST(BatchCacheTest, TemporaryTablesMadeInBetweenAreSeen) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    const std::string batch = "SELECT * FROM #t WHERE a = 1";
    EXPECT_EQ(text(s->execute(batch)), "Msg 208 line 1: Invalid object name '#t'.\n");
    ASSERT_FALSE(s->execute("CREATE TABLE #t (a INT NOT NULL) INSERT #t VALUES (1)").hasErrors());
    EXPECT_EQ(text(s->execute(batch)), "a:int \n1|\n");
    ASSERT_FALSE(s->execute("DROP TABLE #t CREATE TABLE #t (b NVARCHAR(5) NULL, a INT NOT NULL) "
                            "INSERT #t VALUES (N'x', 1)")
                     .hasErrors());
    EXPECT_EQ(text(s->execute(batch)), "b:nvarchar(5) a:int \nx|1|\n");
}

TEST(BatchCacheTest, EachDatabaseAnswersForItself) {
    auto first = Database::open({});
    auto second = Database::open({});
    auto a = first->connect("sa");
    auto b = second->connect("sa");
    ASSERT_FALSE(a->execute(kTable).hasErrors());
    ASSERT_FALSE(b->execute("CREATE TABLE TabK (ID INT NOT NULL, Kod INT NOT NULL) INSERT TabK VALUES (1, 7)")
                     .hasErrors());
    const std::string batch = "SELECT Kod FROM TabK WHERE ID = 1";
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(text(a->execute(batch)), "Kod:nvarchar(10) \njedna|\n");
        EXPECT_EQ(text(b->execute(batch)), "Kod:int \n7|\n");
    }
    EXPECT_EQ(text(a->execute("USE other")).substr(0, 7), "Msg 911");
}

TEST(BatchCacheTest, ACursorKeepsTheConstantsItWasDeclaredWith) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    ASSERT_FALSE(s->execute(kTable).hasErrors());
    ASSERT_FALSE(s->execute("DECLARE c CURSOR GLOBAL FOR SELECT Kod FROM TabK WHERE ID = 1").hasErrors());
    // The same declaration with another constant fails (the cursor exists) and leaves the cursor alone.
    EXPECT_EQ(text(s->execute("DECLARE c CURSOR GLOBAL FOR SELECT Kod FROM TabK WHERE ID = 2")).substr(0, 9),
              "Msg 16915");
    EXPECT_EQ(text(s->execute("OPEN c FETCH NEXT FROM c CLOSE c DEALLOCATE c")),
              "Kod:nvarchar(10) \njedna|\n");
}

} // namespace
} // namespace tsql
