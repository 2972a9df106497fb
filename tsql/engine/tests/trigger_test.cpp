#include "tsql/engine.h"
#include "tsql/sqlite.h"
#include "tsql/value.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace tsql {
namespace {

//! A database file of its own, removed afterwards.
class TriggerFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() / ("tsql-trigger-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        DatabaseOptions options;
        options.path = (dir_ / "T.db").string();
        options.create = true;
        db_ = Database::open(options);
    }
    void TearDown() override {
        db_.reset();
        std::filesystem::remove_all(dir_);
    }
    std::string rawText(const std::string& sql) {
        sqlite3* raw = nullptr;
        sqlite3_open((dir_ / "T.db").string().c_str(), &raw);
        sqlite3_stmt* st = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(raw, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        sqlite3_close(raw);
        return out;
    }
    void rawExec(const std::string& sql) {
        sqlite3* raw = nullptr;
        sqlite3_open((dir_ / "T.db").string().c_str(), &raw);
        registerSqliteFunctions(raw); // the collation of text columns
        char* error = nullptr;
        const int rc = sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, &error);
        const std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(raw);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }
    static long long count(Session& s, const std::string& table) {
        BatchOutput out = s.execute("SELECT COUNT(*) FROM " + table);
        EXPECT_FALSE(out.hasErrors());
        return out.events.at(0).rows.rows.at(0).at(0).asInt();
    }

    std::filesystem::path dir_;
    std::shared_ptr<Database> db_;
};

// The installer creates a trigger on one connection while the host writes on another: the writer's
// cached definition of the table must not hide the new trigger, nor a disabled one keep firing.
TEST_F(TriggerFileTest, OtherSessionsSeeNewAndDisabledTriggers) {
    auto installer = db_->connect("sa");
    auto host = db_->connect("sa");
    ASSERT_FALSE(
        installer->execute("CREATE TABLE TabZam (ID INT)\rCREATE TABLE TabLog (ID INT)").hasErrors());
    ASSERT_FALSE(host->execute("INSERT TabZam VALUES (1)").hasErrors());

    const std::string text = "CREATE TRIGGER dbo.et_TabZam ON dbo.TabZam FOR INSERT\r"
                             "AS\r"
                             "  INSERT TabLog SELECT ID FROM inserted -- kept as written\r";
    ASSERT_FALSE(installer->execute(text).hasErrors());
    EXPECT_EQ(rawText("SELECT definition FROM tsql_objects WHERE name = 'et_TabZam' AND xtype = 'TR' AND "
                      "parent_obj = (SELECT id FROM tsql_objects WHERE name = 'TabZam')"),
              text);

    ASSERT_FALSE(host->execute("INSERT TabZam VALUES (2)").hasErrors());
    EXPECT_EQ(count(*host, "TabLog"), 1);

    // Disabling and enabling on the installer's connection reaches the host at its next write.
    ASSERT_FALSE(installer->execute("ALTER TABLE TabZam DISABLE TRIGGER et_TabZam").hasErrors());
    ASSERT_FALSE(host->execute("INSERT TabZam VALUES (3)").hasErrors());
    EXPECT_EQ(count(*host, "TabLog"), 1);
    ASSERT_FALSE(installer->execute("ALTER TABLE TabZam ENABLE TRIGGER et_TabZam").hasErrors());
    ASSERT_FALSE(host->execute("INSERT TabZam VALUES (4)").hasErrors());
    EXPECT_EQ(count(*host, "TabLog"), 2);
    EXPECT_EQ(count(*host, "TabZam"), 4);
}

// An INT identity primary key is stored as SQLite's rowid (no index beside the rows); a table a file
// keeps from before, with the key as an index of its own, goes on working the same way.
TEST_F(TriggerFileTest, IdentityKeyIsTheRowidAndOlderTablesStillWork) {
    const std::string schema =
        "CREATE TABLE TabLog (ID INT IDENTITY PRIMARY KEY, Text NVARCHAR(10), Zdroj INT)\r"
        "CREATE TABLE TabZdroj (ID INT IDENTITY(0,1) CONSTRAINT PK_TabZdroj PRIMARY KEY, Text NVARCHAR(10))";
    const std::string trigger = "CREATE TRIGGER TabZdroj_Vlozeno ON TabZdroj FOR INSERT AS\r"
                                "INSERT TabLog (Text, Zdroj) SELECT Text, ID FROM inserted";
    {
        auto s = db_->connect("sa");
        ASSERT_FALSE(s->execute(schema).hasErrors());
        ASSERT_FALSE(s->execute(trigger).hasErrors());
        ASSERT_FALSE(s->execute("INSERT TabZdroj (Text) VALUES (N'a'), (N'b')").hasErrors());
    }
    db_.reset();
    EXPECT_EQ(rawText("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name IN ('TabLog', "
                      "'TabZdroj')"),
              "0");
    EXPECT_EQ(rawText("SELECT group_concat(rowid || '=' || ID || '>' || Zdroj, ' ') FROM TabLog"),
              "1=1>0 2=2>1");

    // The form of the tables before: INT columns and a unique index for the key, rowids of their own.
    for (const std::string table : {"TabLog", "TabZdroj"}) {
        std::string sql = rawText("SELECT sql FROM sqlite_master WHERE name = '" + table + "'");
        const auto at = sql.find("\"ID\" INTEGER");
        ASSERT_NE(at, std::string::npos) << sql;
        sql.replace(at, 12, "\"ID\" INT");
        sql.replace(sql.find(table), table.size(), "Old");
        rawExec("BEGIN; " + sql + "; INSERT INTO Old (rowid, ID, Text" +
                (table == "TabLog" ? ", Zdroj" : "") + ") SELECT rowid + 100, * FROM " + table +
                "; DROP TABLE " + table + "; ALTER TABLE Old RENAME TO " + table + "; COMMIT");
    }
    EXPECT_EQ(rawText("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name IN ('TabLog', "
                      "'TabZdroj')"),
              "2");

    DatabaseOptions options;
    options.path = (dir_ / "T.db").string();
    db_ = Database::open(options);
    auto s = db_->connect("sa");
    ASSERT_FALSE(s->execute("INSERT TabZdroj (Text) VALUES (N'c')").hasErrors());
    BatchOutput out =
        s->execute("SELECT SCOPE_IDENTITY(), @@IDENTITY SELECT ID, Text, Zdroj FROM TabLog ORDER BY ID");
    ASSERT_FALSE(out.hasErrors());
    const auto& identities = out.events.at(0).rows.rows.at(0);
    EXPECT_EQ(identities.at(0).asDecimal().toString(), "2");
    EXPECT_EQ(identities.at(1).asDecimal().toString(), "3");
    const auto& rows = out.events.at(1).rows.rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows.at(2).at(0).asInt(), 3);
    EXPECT_EQ(rows.at(2).at(1).asString(), "c");
    EXPECT_EQ(rows.at(2).at(2).asInt(), 2);
}

} // namespace
} // namespace tsql
