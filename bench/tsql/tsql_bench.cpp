//! Typical batches (keyed SELECT, INSERT with identity and defaults, UPDATE ... FROM a temporary table)
//! run through the engine, and the SQL the engine translates them to run directly on SQLite with the
//! same functions and collation. Prints statements per second and the engine/SQLite ratio of each.

#include "tsql/engine.h"
#include "tsql/sqlite.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

namespace {

constexpr int kRows = 2000;

const char* kSchema = "CREATE TABLE Zam (ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK_Zam PRIMARY KEY, "
                      "Cislo INT NOT NULL, Prijmeni NVARCHAR(40) NOT NULL, "
                      "Stav BIT NOT NULL CONSTRAINT DF_Zam_Stav DEFAULT 0, "
                      "Autor NVARCHAR(128) NOT NULL CONSTRAINT DF_Zam_Autor DEFAULT SUSER_SNAME())";

void check(const tsql::BatchOutput& out) {
    if (out.hasErrors()) {
        for (const auto& e : out.events)
            if (e.kind == tsql::BatchEvent::Kind::Message)
                std::fprintf(stderr, "%s\n", e.message.text.c_str());
        throw std::runtime_error("benchmark batch failed");
    }
}

struct EngineFixture {
    std::shared_ptr<tsql::Database> db = tsql::Database::open({});
    std::unique_ptr<tsql::Session> s = db->connect("sa");
    EngineFixture() {
        check(s->execute(kSchema));
        check(s->execute("DECLARE @i INT = 0 WHILE @i < " + std::to_string(kRows) +
                         " BEGIN INSERT Zam (Cislo, Prijmeni) VALUES (@i, N'Novák') SET @i = @i + 1 END"));
        check(s->execute(
            "CREATE TABLE #o (ID INT NOT NULL) INSERT #o VALUES (5), (50), (500), (1500), (1999)"));
    }
};

//! A raw SQLite connection holding the tables the engine would create, with the type library's
//! functions and collation registered.
struct SqliteFixture {
    sqlite3* db = nullptr;
    long long nextId = kRows + 1;
    SqliteFixture() {
        sqlite3_open(":memory:", &db);
        tsql::registerSqliteFunctions(db);
        exec("CREATE TABLE main.\"Zam\" (\"ID\" INT NOT NULL, \"Cislo\" INT NOT NULL, \"Prijmeni\" TEXT "
             "COLLATE "
             "tsql_cs_ci_as NOT NULL, \"Stav\" INT NOT NULL, \"Autor\" TEXT COLLATE tsql_cs_ci_as NOT NULL, "
             "CONSTRAINT \"PK_Zam\" PRIMARY KEY (\"ID\"))");
        exec("BEGIN");
        for (int i = 1; i <= kRows; ++i)
            exec("INSERT INTO main.\"Zam\" VALUES (" + std::to_string(i) + ", " + std::to_string(i - 1) +
                 ", 'Novák', 0, 'sa')");
        exec("COMMIT");
        exec("CREATE TABLE temp.\"#o\" (\"ID\" INT NOT NULL)");
        exec("INSERT INTO temp.\"#o\" VALUES (5), (50), (500), (1500), (1999)");
    }
    ~SqliteFixture() { sqlite3_close(db); }
    void exec(const std::string& sql) {
        char* err = nullptr;
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string m = err ? err : "";
            sqlite3_free(err);
            throw std::runtime_error(m);
        }
    }
    //! Prepares, runs and finalizes one statement, reading every column of every row.
    void query(const std::string& sql) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(st); ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(st, c));
        sqlite3_finalize(st);
    }
};

void EngineKeyedSelect(benchmark::State& state) {
    EngineFixture f;
    int k = 0;
    for (auto _ : state) {
        auto out =
            f.s->execute("SELECT Cislo, Prijmeni FROM Zam WHERE ID = " + std::to_string(1 + k++ % kRows));
        benchmark::DoNotOptimize(out);
    }
}

void SqliteKeyedSelect(benchmark::State& state) {
    SqliteFixture f;
    int k = 0;
    for (auto _ : state)
        f.query("SELECT \"t1\".\"Cislo\" AS \"c1\", \"t1\".\"Prijmeni\" AS \"c2\" FROM main.\"Zam\" AS "
                "\"t1\" WHERE "
                "(\"t1\".\"ID\" = " +
                std::to_string(1 + k++ % kRows) + ")");
}

void EngineInsert(benchmark::State& state) {
    EngineFixture f;
    int k = 0;
    for (auto _ : state)
        check(f.s->execute("INSERT Zam (Cislo, Prijmeni) VALUES (" + std::to_string(k++) + ", N'Dvořák')"));
}

void SqliteInsert(benchmark::State& state) {
    SqliteFixture f;
    int k = 0;
    for (auto _ : state) {
        f.exec("BEGIN IMMEDIATE");
        f.query("INSERT INTO main.\"Zam\" (\"Cislo\", \"Prijmeni\", \"ID\", \"Stav\", \"Autor\") VALUES (" +
                std::to_string(k++) + ", 'Dvořák', " + std::to_string(f.nextId++) + ", 0, 'sa')");
        f.exec("COMMIT");
    }
}

void EngineUpdateFrom(benchmark::State& state) {
    EngineFixture f;
    int k = 0;
    for (auto _ : state)
        check(f.s->execute("UPDATE z SET z.Stav = " + std::to_string(k++ % 2) +
                           " FROM Zam z JOIN #o o ON o.ID = z.ID"));
}

void SqliteUpdateFrom(benchmark::State& state) {
    SqliteFixture f;
    int k = 0;
    for (auto _ : state) {
        f.exec("BEGIN IMMEDIATE");
        f.query("UPDATE main.\"Zam\" SET \"Stav\" = \"u3\".\"v1\" FROM (SELECT \"t1\".rowid AS \"rid\", " +
                std::to_string(k++ % 2) +
                " AS \"v1\" FROM main.\"Zam\" AS \"t1\" JOIN temp.\"#o\" AS \"t2\" ON (\"t2\".\"ID\" = "
                "\"t1\".\"ID\")) AS \"u3\" WHERE main.\"Zam\".rowid = \"u3\".\"rid\"");
        f.exec("COMMIT");
    }
}

BENCHMARK(EngineKeyedSelect);
BENCHMARK(SqliteKeyedSelect);
BENCHMARK(EngineInsert);
BENCHMARK(SqliteInsert);
BENCHMARK(EngineUpdateFrom);
BENCHMARK(SqliteUpdateFrom);

//! Keeps the time per iteration of every benchmark for the ratios printed at the end.
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs)
            seconds[r.benchmark_name()] = r.GetAdjustedCPUTime() / 1e9;
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    std::printf("\n%-14s %14s %14s %8s\n", "batch", "engine stmt/s", "sqlite stmt/s", "ratio");
    bool ok = true;
    for (const char* name : {"KeyedSelect", "Insert", "UpdateFrom"}) {
        auto e = collector.seconds.find(std::string("Engine") + name);
        auto s = collector.seconds.find(std::string("Sqlite") + name);
        if (e == collector.seconds.end() || s == collector.seconds.end()) continue;
        double ratio = e->second / s->second;
        ok = ok && ratio <= 3.0;
        std::printf("%-14s %14.0f %14.0f %7.2fx\n", name, 1.0 / e->second, 1.0 / s->second, ratio);
    }
    std::printf("target: at most 3x -> %s\n", ok ? "met" : "NOT met");
    benchmark::Shutdown();
    return 0;
}
