//! Constants reach SQLite as bound values: text with NUL characters survives, no literal text is pasted
//! into the SQL the engine prepares, and no failure shows that SQL to the client.

#include "tsql/convert.h"
#include "tsql/engine.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace tsql {
namespace {

using namespace std::string_literals;

//! SQL texts SQLite was asked to run, by every connection opened while a Trace lives, as prepared
//! and with the bound values written in.
std::vector<std::string>* traced = nullptr;
std::vector<std::string>* tracedExpanded = nullptr;

int onStatement(unsigned, void*, void* stmt, void*) {
    auto* st = static_cast<sqlite3_stmt*>(stmt);
    if (const char* sql = sqlite3_sql(st)) traced->push_back(sql);
    if (char* sql = sqlite3_expanded_sql(st)) {
        tracedExpanded->push_back(sql);
        sqlite3_free(sql);
    }
    return 0;
}

int installTrace(sqlite3* db, char**, const sqlite3_api_routines*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, onStatement, nullptr);
    return SQLITE_OK;
}

class Trace {
public:
    Trace() {
        traced = &sql;
        tracedExpanded = &expanded;
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(installTrace));
    }
    ~Trace() {
        sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(installTrace));
        traced = nullptr;
        tracedExpanded = nullptr;
    }
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;
    std::vector<std::string> sql;
    std::vector<std::string> expanded;
};

//! Runs a batch that must succeed; returns the rows of its last result set, formatted as "a|b".
std::vector<std::string> rows(Session& s, const std::string& batch) {
    BatchOutput out = s.execute(batch);
    std::vector<std::string> last;
    for (const auto& e : out.events) {
        if (e.kind == BatchEvent::Kind::Message && e.message.isError()) ADD_FAILURE() << e.message.text;
        if (e.kind != BatchEvent::Kind::Rows) continue;
        last.clear();
        for (const auto& row : e.rows.rows) {
            std::string line;
            for (const auto& v : row)
                line += (line.empty() ? "" : "|") + (v.isNull() ? "NULL"s : toText(v));
            last.push_back(line);
        }
    }
    return last;
}

TEST(LiteralsTest, TextIsBoundNeverPastedIntoSql) {
    Trace trace;
    auto db = Database::open({});
    auto s = db->connect("sa");
    rows(*s, "CREATE TABLE T (ID INT PRIMARY KEY, Kod NVARCHAR(20))");
    rows(*s, "INSERT T VALUES (12, N'zq-lit') INSERT T (ID, Kod) SELECT 13, 'wq' + 'xq'");
    EXPECT_EQ(rows(*s, "UPDATE T SET Kod = Kod + N'-tailq' WHERE Kod LIKE N'zq%' "
                       "SELECT ID, Kod + 'gq' FROM T WHERE Kod IN (N'zq-lit-tailq', 'wqxq') AND ID = N'12' "
                       "AND 'sameq' = 'sameq' GROUP BY ID, Kod + 'gq' ORDER BY ID"),
              std::vector<std::string>{"12|zq-lit-tailqgq"});
    for (const auto& sql : trace.sql)
        for (const char* text : {"zq", "wq", "xq", "tailq", "sameq", "gq"})
            EXPECT_EQ(sql.find(text), std::string::npos) << text << " in " << sql;
    // A number compared with a column of numbers is folded into it and bound as a number, compared
    // with the column directly (the primary key serves the search).
    bool folded = false;
    for (const auto& sql : trace.expanded)
        folded = folded || sql.find("\"ID\" = 12)") != std::string::npos;
    EXPECT_TRUE(folded);
}

TEST(LiteralsTest, NulCharactersSurviveEverywhere) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    const std::string ab = "a\0b"s;
    EXPECT_EQ(rows(*s, "SELECT 'a\0b', LEN(N'a\0b'), DATALENGTH('a\0b' + 'c')"s),
              std::vector<std::string>{ab + "|3|4"});
    rows(*s, "CREATE TABLE T (s VARCHAR(10) DEFAULT 'd\0e' CHECK (s <> 'x\0y'), c AS s + '\0')"s);
    rows(*s, "INSERT T VALUES ('a\0b') INSERT T DEFAULT VALUES"s);
    EXPECT_EQ(rows(*s, "SELECT s, LEN(c) FROM T WHERE s = 'a\0b' OR s = 'd\0e' ORDER BY s"s),
              (std::vector<std::string>{ab + "|4", "d\0e|4"s}));
    EXPECT_TRUE(s->execute("INSERT T VALUES ('x\0y')"s).hasErrors());
    rows(*s, "CREATE PROCEDURE p AS SELECT 'p\0q' AS v"s);
    EXPECT_EQ(rows(*s, "EXEC p"), std::vector<std::string>{"p\0q"s});
    EXPECT_EQ(rows(*s, "EXEC ('SELECT ''r\0s''')"s), std::vector<std::string>{"r\0s"s});
    // Not in names: SQL Server refuses them.
    BatchOutput out = s->execute("SELECT 1 AS [x\0y]"s);
    ASSERT_EQ(out.events.size(), 1u);
    EXPECT_EQ(out.events[0].message.number, 1055);
}

TEST(LiteralsTest, InternalFailuresDoNotShowTheSql) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    rows(*s, "CREATE TABLE T (a INT)");
    std::string joins = "SELECT * FROM T t0";
    for (int i = 1; i < 70; ++i)
        joins += " JOIN T t" + std::to_string(i) + " ON t" + std::to_string(i) + ".a = t0.a";
    BatchOutput out = s->execute(joins);
    ASSERT_EQ(out.events.size(), 1u);
    EXPECT_EQ(out.events[0].message.number, 8630);
    EXPECT_EQ(out.events[0].message.text, "Internal error of the database engine: SQL logic error.");
}

} // namespace
} // namespace tsql
