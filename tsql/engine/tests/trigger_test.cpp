#include "tsql/engine.h"
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

} // namespace
} // namespace tsql
