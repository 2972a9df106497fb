#include "support.h"

#include "tsql/collation.h"
#include "tsql/operators.h"
#include "tsql/sqlite.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <memory>

using namespace tsql;
using namespace tsql::test;

namespace {

//! An in-memory database with the engine's collation and functions.
class SqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
        registerSqliteFunctions(db_);
    }
    void TearDown() override { sqlite3_close(db_); }

    struct Stmt {
        sqlite3_stmt* s = nullptr;
        ~Stmt() { sqlite3_finalize(s); }
    };

    void exec(const std::string& sql) {
        char* err = nullptr;
        const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err);
        const std::string message = err ? err : "";
        sqlite3_free(err);
        ASSERT_EQ(rc, SQLITE_OK) << sql << ": " << message;
    }

    //! The first column of every row as shell text, rows joined by '|'; an SQL error as "Msg <number>".
    std::string query(const std::string& sql, const Type& type, const std::vector<Value>& params = {}) {
        Stmt st;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st.s, nullptr) != SQLITE_OK)
            return std::string("prepare failed: ") + sqlite3_errmsg(db_);
        for (std::size_t i = 0; i < params.size(); ++i)
            bindValue(st.s, static_cast<int>(i) + 1, params[i]);
        std::string out;
        int rc;
        while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
            if (!out.empty()) out += '|';
            try {
                out += formatForShell(readColumn(st.s, 0, type));
            } catch (const SqlError& e) {
                return out + "Msg " + std::to_string(e.number());
            }
        }
        if (rc != SQLITE_DONE) {
            const auto e = decodeSqliteError(sqlite3_errmsg(db_));
            return e ? "Msg " + std::to_string(e->number()) : std::string("sqlite: ") + sqlite3_errmsg(db_);
        }
        return out;
    }

    static std::string code(const Type& t) { return std::to_string(t.code()); }
    static std::string code(const char* name) { return code(T(name)); }

    sqlite3* db_ = nullptr;
};

} // namespace

TEST_F(SqliteTest, EveryTypeRoundTripsThroughItsStorage) {
    const std::vector<Value> values = {
        Value::integer(-5),
        Value::bigInt(9007199254740993),
        Value::bit(true),
        convert(S("12345678901234.56"), T("numeric(19,2)")),
        convert(S("922337203685477580"), T("numeric(28,0)")),
        convert(S("0.000001"), T("numeric(19,6)")),
        M("-922337203685.4775"),
        F(0.1),
        convert(F(1.1), T("real")),
        D("1753-01-01 00:00:00.003"),
        D("9999-12-31 23:59:59.997"),
        Value::text("Příliš ", Type::nChar(7)),
        Value::text("", Type::varChar(1)),
        Value::bytes({}, Type::varBinary(1)),
        Value::bytes({0, 1, 255}, Type::image()),
        Value::guid(parseGuid("6F9619FF-8B86-D011-B42D-00C04FC964FF")),
        Null(T("datetime")),
        Value::date(*Date::fromParts(1, 1, 1)),
        Value::date(*Date::fromParts(9999, 12, 31)),
        Value::time(parseTime("23:59:59.9999999")),
        Value::time(parseTime("06:00:00.5"), T("time(1)")),
    };
    exec("CREATE TABLE t (v)");
    for (const Value& v : values) {
        exec("DELETE FROM t");
        Stmt ins;
        ASSERT_EQ(sqlite3_prepare_v2(db_, "INSERT INTO t VALUES (?)", -1, &ins.s, nullptr), SQLITE_OK);
        bindValue(ins.s, 1, v);
        ASSERT_EQ(sqlite3_step(ins.s), SQLITE_DONE);
        Stmt sel;
        ASSERT_EQ(sqlite3_prepare_v2(db_, "SELECT v FROM t", -1, &sel.s, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(sel.s), SQLITE_ROW);
        EXPECT_EQ(readColumn(sel.s, 0, v.type()), v) << v.type().name() << " " << formatForShell(v);
    }
}

TEST_F(SqliteTest, NumericsThatRealCannotHoldExactlyAreRefused) {
    Stmt st;
    ASSERT_EQ(sqlite3_prepare_v2(db_, "SELECT ?", -1, &st.s, nullptr), SQLITE_OK);
    const Value big = convert(S("12345678901234567.89"), T("numeric(19,2)"));
    try {
        bindValue(st.s, 1, big);
        FAIL() << "an inexact numeric was bound";
    } catch (const SqlError& e) {
        EXPECT_EQ(e.number(), 8115);
        EXPECT_NE(e.message().find("12345678901234567.89"), std::string::npos);
    }
    EXPECT_EQ(query("SELECT tsql_convert('12345678901234567.89', " + code("varchar(30)") + ", " +
                        code("numeric(19,2)") + ", 0)",
                    T("numeric(19,2)")),
              "Msg 8115");
}

TEST_F(SqliteTest, FunctionErrorsReachTheCallerAsSqlErrors) {
    EXPECT_EQ(
        query("SELECT tsql_convert('abc', " + code("nvarchar(3)") + ", " + code("int") + ", 1)", T("int")),
        "Msg 245");
    sqlite3_stmt* st = nullptr;
    const std::string sql = "SELECT tsql_op(3, 1, " + code("int") + ", 0, " + code("int") + ")";
    ASSERT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_step(st), SQLITE_ERROR);
    const auto e = decodeSqliteError(sqlite3_errmsg(db_));
    sqlite3_finalize(st);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->number(), 8134);
    EXPECT_EQ(e->severity(), 16);
    EXPECT_EQ(e->message(), "Divide by zero error encountered.");
}

TEST_F(SqliteTest, OperatorsConversionsAndBuiltinsInTranslatedSql) {
    const std::string i = code("int"), nv = code("nvarchar(10)"), dt = code("datetime"),
                      v = code("varchar(10)");
    EXPECT_EQ(query("SELECT tsql_op(3, 7, " + i + ", 2, " + i + ")", T("int")), "3");
    EXPECT_EQ(query("SELECT tsql_op(0, ?, " + nv + ", ?, " + nv + ")", T("nvarchar(20)"), {U("ab"), U("cd")}),
              "abcd");
    EXPECT_EQ(query("SELECT tsql_op(0, ?, " + dt + ", 1, " + i + ")", T("datetime"), {D("2024-02-28")}),
              "2024-02-29 00:00:00.000");
    EXPECT_EQ(query("SELECT tsql_neg(5, " + i + ")", T("int")), "-5");
    EXPECT_EQ(query("SELECT tsql_cmp('abc', " + nv + ", 'ABC  ', " + nv + ")", T("int")), "0");
    EXPECT_EQ(query("SELECT tsql_cmp(NULL, " + nv + ", 'a', " + nv + ")", T("int")), "NULL");
    EXPECT_EQ(query("SELECT tsql_convert_style(?, " + dt + ", " + v + ", 112)", T("varchar(10)"),
                    {D("2024-03-05")}),
              "20240305");
    EXPECT_EQ(
        query("SELECT tsql_substring('abcdef', " + v + ", 2, " + i + ", 3, " + i + ")", T("varchar(10)")),
        "bcd");
    EXPECT_EQ(query("SELECT tsql_dateadd('dd', " + v + ", 1, " + i + ", ?, " + dt + ")", T("datetime"),
                    {D("2024-12-31")}),
              "2025-01-01 00:00:00.000");
    EXPECT_EQ(query("SELECT tsql_stuff('abc', " + v + ", 2, " + i + ", 1, " + i + ", 'XY', " + v + ")",
                    T("varchar(10)")),
              "aXYc");
    EXPECT_EQ(query("SELECT tsql_like('CashIncome', 'cash%')", T("int")), "1");
    EXPECT_EQ(query("SELECT tsql_like(NULL, 'cash%')", T("int")), "NULL");
    EXPECT_EQ(query("SELECT tsql_like('10%', '10!%', '!')", T("int")), "1");
    EXPECT_EQ(query("SELECT length(tsql_getdate()) > 0", T("int")), "1");
}

TEST_F(SqliteTest, CollationOrdersGroupsAndComparesText) {
    exec("CREATE TABLE n (name TEXT COLLATE tsql_cs_ci_as)");
    exec("INSERT INTO n VALUES ('chata'), ('hrad'), ('Cibule'), ('čaj'), ('Hrad  '), ('ahoj'), ('Áda')");
    EXPECT_EQ(query("SELECT name FROM n ORDER BY name, length(name)", T("nvarchar(10)")),
              "Áda|ahoj|Cibule|čaj|hrad|Hrad  |chata");
    EXPECT_EQ(query("SELECT count(*) FROM n GROUP BY name ORDER BY name", T("int")), "1|1|1|1|2|1");
    EXPECT_EQ(query("SELECT count(*) FROM n WHERE name = 'HRAD'", T("int")), "2");
    EXPECT_EQ(query("SELECT max(name) FROM n", T("nvarchar(10)")), "chata");
}

TEST_F(SqliteTest, GuidsSortAsSqlServerSortsThem) {
    // SQL Server compares the last group first, then the fourth, third, second and first.
    const std::vector<const char*> ordered = {
        "FFFFFFFF-FFFF-FFFF-FFFF-000000000000", "00000000-0000-0000-0000-000000000001",
        "00000000-0000-0000-0001-000000000001", "00000000-0000-0001-0001-000000000001",
        "00000000-0001-0001-0001-000000000001", "00000001-0001-0001-0001-000000000001",
    };
    exec("CREATE TABLE g (v BLOB)");
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it) {
        Stmt ins;
        ASSERT_EQ(sqlite3_prepare_v2(db_, "INSERT INTO g VALUES (?)", -1, &ins.s, nullptr), SQLITE_OK);
        bindValue(ins.s, 1, Value::guid(parseGuid(*it)));
        ASSERT_EQ(sqlite3_step(ins.s), SQLITE_DONE);
    }
    std::string expected;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        if (i) expected += '|';
        expected += ordered[i];
        if (i + 1 < ordered.size()) {
            EXPECT_EQ(compare(Value::guid(parseGuid(ordered[i])), Value::guid(parseGuid(ordered[i + 1]))),
                      -1);
        }
    }
    EXPECT_EQ(query("SELECT v FROM g ORDER BY v", T("uniqueidentifier")), expected);
}

TEST_F(SqliteTest, ExactSumsAndSqlServerAverages) {
    exec("CREATE TABLE a (i INTEGER, d NUMERIC, f REAL)");
    for (int k = 0; k < 10; ++k)
        exec("INSERT INTO a VALUES (" + std::to_string(k % 4) + ", 0.1, 0.1)");
    exec("INSERT INTO a VALUES (NULL, NULL, NULL)");
    const std::string i = code("int"), d = code("numeric(9,2)"), f = code("float");
    EXPECT_EQ(query("SELECT tsql_sum(d, " + d + ") FROM a", T("numeric(38,2)")), "1.00");
    EXPECT_EQ(query("SELECT tsql_avg(d, " + d + ") FROM a", T("numeric(38,6)")), "0.100000");
    EXPECT_EQ(query("SELECT tsql_sum(i, " + i + ") FROM a", T("int")), "13");
    EXPECT_EQ(query("SELECT tsql_avg(i, " + i + ") FROM a", T("int")), "1");
    EXPECT_EQ(query("SELECT tsql_sum(f, " + f + ") FROM a", T("float")), "0.9999999999999999");
    EXPECT_EQ(query("SELECT tsql_sum(i, " + i + ") FROM a WHERE i IS NULL", T("int")), "NULL");
    exec("INSERT INTO a VALUES (2147483647, 0, 0)");
    EXPECT_EQ(query("SELECT tsql_sum(i, " + i + ") FROM a", T("int")), "Msg 8115");
    EXPECT_EQ(query("SELECT tsql_sum('x', " + code("varchar(1)") + ") FROM a", T("int")), "Msg 8117");
    EXPECT_EQ(aggregateResultType("avg", T("numeric(9,2)")).name(), "numeric(38,6)");
    EXPECT_EQ(aggregateResultType("SUM", T("smallint")).name(), "int");
}

TEST_F(SqliteTest, ReadingChecksWhatSqliteComputedItself) {
    EXPECT_EQ(query("SELECT 3000000000", T("int")), "Msg 8115");
    EXPECT_EQ(query("SELECT 5", T("bit")), "1");
    EXPECT_EQ(query("SELECT 1.005", T("numeric(5,2)")), "1.01");
    EXPECT_EQ(query("SELECT '12'", T("int")), "12");
    EXPECT_EQ(query("SELECT 'x'", T("int")), "Msg 245");
    EXPECT_EQ(query("SELECT 2.5", T("varchar(5)")), "2.5");
}

TEST_F(SqliteTest, LiteralsAndDeclaredTypes) {
    EXPECT_EQ(sqliteLiteral(U("it's")), "'it''s'");
    EXPECT_EQ(sqliteLiteral(Value::varBinary({0x0A, 0xFF})), "X'0AFF'");
    EXPECT_EQ(sqliteLiteral(F(1)), "1.0");
    EXPECT_EQ(sqliteLiteral(N("12.50")), "12.5");
    EXPECT_EQ(sqliteLiteral(N("12.00")), "12");
    EXPECT_EQ(sqliteLiteral(Null(T("int"))), "NULL");
    EXPECT_EQ(query("SELECT " + sqliteLiteral(D("2024-01-01 12:00")), T("datetime")),
              "2024-01-01 12:00:00.000");
    EXPECT_EQ(sqliteDeclType(T("numeric(19,2)")), "NUMERIC");
    EXPECT_EQ(sqliteDeclType(T("datetime")), "INTEGER");
    EXPECT_EQ(sqliteDeclType(T("uniqueidentifier")), "BLOB");
}
