//! Typical batches (keyed SELECT, INSERT with identity and defaults, UPDATE ... FROM a temporary table)
//! run through the engine, and the SQL the engine translates them to run directly on SQLite with the
//! same functions and collation. Then the work the plug-in does most (a DELETE of 10,000 rows whose
//! trigger logs each row, a cursor over 10,000 rows, 10,000 calls of a procedure with OUTPUT
//! parameters) against the same work written with plain SQLite statements in C++. Prints statements,
//! rows or calls per second and the engine/SQLite ratio of each.

#include "tsql/engine.h"
#include "tsql/sqlite.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
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
//! functions and collation registered. It is the same kind of database as the engine's in-memory one: a
//! named in-memory file that other connections could open too (SQLite's memdb), which locks for every
//! transaction as a file would, where a private ":memory:" database takes no lock at all.
struct SqliteFixture {
    sqlite3* db = nullptr;
    long long nextId = kRows + 1;
    SqliteFixture() {
        static int counter = 0;
        const std::string uri = "file:/tsql-bench-sqlite-" + std::to_string(++counter) + "?vfs=memdb";
        if (sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open the SQLite side's database");
        tsql::registerSqliteFunctions(db);
        exec("CREATE TABLE main.\"Zam\" (\"ID\" INTEGER NOT NULL, \"Cislo\" INT NOT NULL, \"Prijmeni\" TEXT "
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

//! Rows of the bulk batches (trigger, cursor, procedure calls).
constexpr int kBulk = 10000;

const char* kBulkSchema =
    "CREATE TABLE TabOsoba (ID INT NOT NULL CONSTRAINT PK_TabOsoba PRIMARY KEY, Kod INT NOT NULL, "
    "Jmeno NVARCHAR(40) NOT NULL)\n"
    "CREATE TABLE TabZdroj (ID INT NOT NULL PRIMARY KEY, Kod INT NOT NULL, Jmeno NVARCHAR(40) NOT NULL)\n"
    "CREATE TABLE TabOsobaLog (ID INT IDENTITY(1,1) NOT NULL PRIMARY KEY, OsobaID INT NOT NULL, "
    "Jmeno NVARCHAR(40) NOT NULL, Kdo NVARCHAR(128) NOT NULL DEFAULT SUSER_SNAME())";

const char* kBulkTrigger = "CREATE TRIGGER TabOsoba_Smazano ON TabOsoba FOR DELETE AS\n"
                           "SET NOCOUNT ON\n"
                           "INSERT TabOsobaLog (OsobaID, Jmeno) SELECT ID, Jmeno FROM deleted";

const char* kBulkProcedure =
    "CREATE PROCEDURE OsobaPodleId @ID INT, @Jmeno NVARCHAR(40) OUTPUT, @Kod INT OUTPUT AS\n"
    "SET NOCOUNT ON\n"
    "SELECT @Jmeno = Jmeno, @Kod = Kod FROM TabOsoba WHERE ID = @ID\n"
    "RETURN @@ROWCOUNT";

struct EngineBulkFixture {
    std::shared_ptr<tsql::Database> db = tsql::Database::open({});
    std::unique_ptr<tsql::Session> s = db->connect("sa");
    EngineBulkFixture() {
        check(s->execute(kBulkSchema));
        check(s->execute(kBulkTrigger));
        check(s->execute(kBulkProcedure));
        check(s->execute("SET NOCOUNT ON BEGIN TRAN DECLARE @i INT = 0 WHILE @i < " + std::to_string(kBulk) +
                         " BEGIN INSERT TabZdroj VALUES (@i, @i % 97, N'Novák ' + CAST(@i AS NVARCHAR(10))) "
                         "SET @i = @i + 1 END COMMIT"));
        fill();
    }
    void fill() { check(s->execute("INSERT TabOsoba SELECT ID, Kod, Jmeno FROM TabZdroj")); }
};

struct SqliteBulkFixture : SqliteFixture {
    SqliteBulkFixture() {
        exec("CREATE TABLE main.\"TabOsoba\" (\"ID\" INT NOT NULL, \"Kod\" INT NOT NULL, \"Jmeno\" TEXT "
             "COLLATE tsql_cs_ci_as NOT NULL, CONSTRAINT \"PK_TabOsoba\" PRIMARY KEY (\"ID\"))");
        exec("CREATE TABLE main.\"TabOsobaLog\" (\"ID\" INTEGER PRIMARY KEY, \"OsobaID\" INT NOT NULL, "
             "\"Jmeno\" TEXT COLLATE tsql_cs_ci_as NOT NULL, \"Kdo\" TEXT COLLATE tsql_cs_ci_as NOT NULL)");
        fill();
    }
    void fill() {
        exec("BEGIN");
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO main.\"TabOsoba\" VALUES (?, ?, ?)", -1, &st, nullptr);
        for (int i = 0; i < kBulk; ++i) {
            const std::string name = "Novák " + std::to_string(i);
            sqlite3_bind_int(st, 1, i);
            sqlite3_bind_int(st, 2, i % 97);
            sqlite3_bind_text(st, 3, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        exec("COMMIT");
    }
};

//! DELETE of every row; the trigger writes a log row per deleted row.
void EngineTriggerDelete(benchmark::State& state) {
    EngineBulkFixture f;
    for (auto _ : state) {
        check(f.s->execute("DELETE FROM TabOsoba"));
        state.PauseTiming();
        check(f.s->execute("DELETE FROM TabOsobaLog"));
        f.fill();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kBulk);
}

//! The same with plain statements: the log rows first, then the DELETE, in one transaction.
void SqliteTriggerDelete(benchmark::State& state) {
    SqliteBulkFixture f;
    for (auto _ : state) {
        f.exec("BEGIN IMMEDIATE");
        f.exec("INSERT INTO main.\"TabOsobaLog\" (\"OsobaID\", \"Jmeno\", \"Kdo\") SELECT \"ID\", "
               "\"Jmeno\", 'sa' FROM main.\"TabOsoba\"");
        f.exec("DELETE FROM main.\"TabOsoba\"");
        f.exec("COMMIT");
        state.PauseTiming();
        f.exec("DELETE FROM main.\"TabOsobaLog\"");
        f.fill();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kBulk);
}

//! A cursor over every row, summing one column in a variable.
void EngineCursorWalk(benchmark::State& state) {
    EngineBulkFixture f;
    const std::string batch = "SET NOCOUNT ON DECLARE @ID INT, @Kod INT, @Soucet INT = 0\n"
                              "DECLARE c CURSOR LOCAL FAST_FORWARD FOR SELECT ID, Kod FROM TabOsoba\n"
                              "OPEN c FETCH NEXT FROM c INTO @ID, @Kod\n"
                              "WHILE @@FETCH_STATUS = 0 BEGIN\n"
                              "  SET @Soucet = @Soucet + @Kod\n"
                              "  FETCH NEXT FROM c INTO @ID, @Kod\n"
                              "END\n"
                              "CLOSE c DEALLOCATE c SELECT @Soucet";
    for (auto _ : state) {
        auto out = f.s->execute(batch);
        check(out);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations() * kBulk);
}

void SqliteCursorWalk(benchmark::State& state) {
    SqliteBulkFixture f;
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(f.db, "SELECT \"ID\", \"Kod\" FROM main.\"TabOsoba\"", -1, &st, nullptr);
        long long sum = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            benchmark::DoNotOptimize(sqlite3_column_int(st, 0));
            sum += sqlite3_column_int(st, 1);
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kBulk);
}

//! 10,000 calls of a procedure reading one row into two OUTPUT parameters.
void EngineProcedureCalls(benchmark::State& state) {
    EngineBulkFixture f;
    const std::string batch =
        "SET NOCOUNT ON DECLARE @i INT = 0, @Jmeno NVARCHAR(40), @Kod INT, @Nalezeno INT\n"
        "WHILE @i < " +
        std::to_string(kBulk) +
        " BEGIN\n"
        "  EXEC @Nalezeno = OsobaPodleId @i, @Jmeno OUTPUT, @Kod OUTPUT\n"
        "  SET @i = @i + 1\n"
        "END";
    for (auto _ : state)
        check(f.s->execute(batch));
    state.SetItemsProcessed(state.iterations() * kBulk);
}

void SqliteProcedureCalls(benchmark::State& state) {
    SqliteBulkFixture f;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(f.db, "SELECT \"Jmeno\", \"Kod\" FROM main.\"TabOsoba\" WHERE \"ID\" = ?", -1, &st,
                       nullptr);
    for (auto _ : state) {
        for (int i = 0; i < kBulk; ++i) {
            sqlite3_bind_int(st, 1, i);
            std::string name;
            int code = 0, found = 0;
            if (sqlite3_step(st) == SQLITE_ROW) {
                name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
                code = sqlite3_column_int(st, 1);
                found = 1;
            }
            sqlite3_reset(st);
            benchmark::DoNotOptimize(name);
            benchmark::DoNotOptimize(code + found);
        }
    }
    sqlite3_finalize(st);
    state.SetItemsProcessed(state.iterations() * kBulk);
}

BENCHMARK(EngineKeyedSelect);
BENCHMARK(SqliteKeyedSelect);
BENCHMARK(EngineInsert);
BENCHMARK(SqliteInsert);
BENCHMARK(EngineUpdateFrom);
BENCHMARK(SqliteUpdateFrom);
BENCHMARK(EngineTriggerDelete)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteTriggerDelete)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineCursorWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteCursorWalk)->Unit(benchmark::kMillisecond);
BENCHMARK(EngineProcedureCalls)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteProcedureCalls)->Unit(benchmark::kMillisecond);

//! Keeps the time per iteration of every benchmark for the ratios printed at the end.
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs)
            seconds[r.benchmark_name()] =
                r.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    struct Batch {
        const char* name;
        const char* unit;
        int perIteration;
    };
    constexpr Batch batches[] = {
        {"KeyedSelect", "stmt", 1},      {"Insert", "stmt", 1},        {"UpdateFrom", "stmt", 1},
        {"TriggerDelete", "row", kBulk}, {"CursorWalk", "row", kBulk}, {"ProcedureCalls", "call", kBulk},
    };
    std::printf("\n%-15s %6s %14s %14s %8s\n", "batch", "unit", "engine /s", "sqlite /s", "ratio");
    bool ok = true;
    for (const Batch& b : batches) {
        auto e = collector.seconds.find(std::string("Engine") + b.name);
        auto s = collector.seconds.find(std::string("Sqlite") + b.name);
        if (e == collector.seconds.end() || s == collector.seconds.end()) continue;
        double ratio = e->second / s->second;
        ok = ok && ratio <= 2.0;
        std::printf("%-15s %6s %14.0f %14.0f %7.2fx\n", b.name, b.unit, b.perIteration / e->second,
                    b.perIteration / s->second, ratio);
    }
    std::printf("target: at most 2x -> %s\n", ok ? "met" : "NOT met");
    benchmark::Shutdown();
    return 0;
}
