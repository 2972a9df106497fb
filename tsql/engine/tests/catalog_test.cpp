// Catalog rows of triggers and CREATE INDEX indexes, written straight into the catalog tables as those
// statements record them, read back through the system views and functions with the installer's queries;
// and long module texts read back in parts.
#include "tsql/engine.h"
#include "tsql/value.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace tsql {
namespace {

class CatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() /
                ("tsql-catalog-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".db");
        std::filesystem::remove(path_);
        DatabaseOptions options;
        options.path = path_.string();
        options.create = true;
        db_ = Database::open(options);
        session_ = db_->connect("sa");
    }
    void TearDown() override {
        session_.reset();
        db_.reset();
        for (const char* suffix : {"", "-wal", "-shm"})
            std::filesystem::remove(path_.string() + suffix);
    }

    //! Runs a batch that must succeed and returns its last result set.
    ResultSet rows(const std::string& batch) {
        BatchOutput out = session_->execute(batch);
        ResultSet last;
        for (const auto& e : out.events) {
            if (e.kind == BatchEvent::Kind::Message && e.message.isError())
                ADD_FAILURE() << e.message.text << "\nin: " << batch;
            if (e.kind == BatchEvent::Kind::Rows) last = e.rows;
        }
        return last;
    }

    //! Writes catalog rows the way CREATE TRIGGER and CREATE INDEX do, on a connection of its own.
    void writeCatalog(const std::string& sql) {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path_.string().c_str(), &raw), SQLITE_OK);
        sqlite3_busy_timeout(raw, 5000);
        char* error = nullptr;
        int rc = sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, &error);
        std::string message = error ? error : "";
        sqlite3_free(error);
        sqlite3_close(raw);
        ASSERT_EQ(rc, SQLITE_OK) << message;
    }

    long long objectId(const std::string& name) {
        return rows("SELECT OBJECT_ID('" + name + "')").rows.at(0).at(0).asInt();
    }

    std::filesystem::path path_;
    std::shared_ptr<Database> db_;
    std::unique_ptr<Session> session_;
};

std::string text(const Value& v) {
    return v.isNull() ? "NULL" : v.asString();
}

TEST_F(CatalogTest, TriggersReadWithTheInstallersQuery) {
    rows("CREATE TABLE TabQ (ID INT NOT NULL PRIMARY KEY, Kod NVARCHAR(10) NULL)");
    long long table = objectId("TabQ");
    const std::string own =
        "CREATE TRIGGER et_TabQ_Zmena ON dbo.TabQ FOR INSERT, UPDATE AS\r\nSET NOCOUNT ON\r\n";
    const std::string foreign = "CREATE TRIGGER Cizi ON TabQ AFTER DELETE AS\r\nRETURN\r\n";
    writeCatalog("INSERT INTO tsql_objects(id, name, xtype, parent_obj, crdate, definition, flags) VALUES (" +
                 std::to_string(table + 1000) + ", 'et_TabQ_Zmena', 'TR', " + std::to_string(table) +
                 ", 0, '" + own + "', 0), (" + std::to_string(table + 1016) + ", 'Cizi', 'TR', " +
                 std::to_string(table) + ", 0, '" + foreign + "', 2)");

    ResultSet foreignTriggers = rows("SELECT o2.name,\rsysobjects.name,\r"
                                     "OBJECTPROPERTY(sysobjects.id,'ExecIsTriggerDisabled'),\r"
                                     "SUBSTRING(text,    1, 2000) + N'|',\r"
                                     "SUBSTRING(text, 2001, 2000) + N'|'\r"
                                     "FROM sysobjects\r"
                                     "JOIN syscomments ON sysobjects.id=syscomments.id\r"
                                     "JOIN sysobjects o2 ON o2.id=sysobjects.parent_obj\r"
                                     "WHERE sysobjects.xtype='TR' AND o2.name IN('TabQ')\r"
                                     "AND sysobjects.name NOT LIKE 'et_'+o2.name+'%'\r"
                                     "ORDER BY syscomments.id,syscomments.colid");
    ASSERT_EQ(foreignTriggers.rows.size(), 1u);
    const auto& row = foreignTriggers.rows[0];
    EXPECT_EQ(text(row.at(0)), "TabQ");
    EXPECT_EQ(text(row.at(1)), "Cizi");
    EXPECT_EQ(row.at(2).asInt(), 1);
    EXPECT_EQ(text(row.at(3)), foreign + "|");
    EXPECT_EQ(text(row.at(4)), "|");

    ResultSet props = rows("SELECT OBJECTPROPERTY(id, 'ExecIsTriggerDisabled'), OBJECTPROPERTY(id, "
                           "'ExecIsInsertTrigger'), OBJECTPROPERTY(id, 'ExecIsUpdateTrigger'), "
                           "OBJECTPROPERTY(id, 'ExecIsDeleteTrigger'), OBJECTPROPERTY(id, 'IsTrigger'), "
                           "OBJECTPROPERTY(parent_obj, 'ExecIsTriggerDisabled'), xtype FROM sysobjects "
                           "WHERE xtype = 'TR' ORDER BY name");
    ASSERT_EQ(props.rows.size(), 2u);
    // Cizi: disabled, DELETE only; et_TabQ_Zmena: enabled, INSERT and UPDATE.
    const int expected[2][5] = {{1, 0, 0, 1, 1}, {0, 1, 1, 0, 1}};
    for (std::size_t r = 0; r < 2; ++r) {
        for (std::size_t c = 0; c < 5; ++c)
            EXPECT_EQ(props.rows[r].at(c).asInt(), expected[r][c]) << "row " << r << " column " << c;
        EXPECT_TRUE(props.rows[r].at(5).isNull());
        EXPECT_EQ(text(props.rows[r].at(6)), "TR");
    }
}

TEST_F(CatalogTest, CreatedIndexesReadWithTheInstallersQuery) {
    rows("CREATE TABLE TabQIndex (ID INT NOT NULL CONSTRAINT PK__TabQIndex__ID PRIMARY KEY NONCLUSTERED, "
         "Kod NVARCHAR(10) NULL, Datum DATETIME NULL, Poznamka NTEXT NULL)");
    long long table = objectId("TabQIndex");
    writeCatalog("INSERT INTO tsql_indexes(object_id, indid, name, keycols, flags) VALUES (" +
                 std::to_string(table) + ", 1, 'IX_TabQIndex_Datum', 'Datum', 1), (" + std::to_string(table) +
                 ", 2, 'IX_TabQIndex_Kod', 'Kod' || char(31) || 'Datum', 0), (" + std::to_string(table) +
                 ", 4, 'UX_TabQIndex_Kod', 'Kod', 4)");

    ResultSet found = rows("SELECT name, OBJECT_NAME(id),\r"
                           "INDEXPROPERTY(id,name,'IsClustered'),\r"
                           "INDEX_COL(OBJECT_NAME(id),indid,1),INDEX_COL(OBJECT_NAME(id),indid,2),"
                           "INDEX_COL(OBJECT_NAME(id),indid,3),INDEX_COL(OBJECT_NAME(id),indid,4),"
                           "INDEX_COL(OBJECT_NAME(id),indid,5),INDEX_COL(OBJECT_NAME(id),indid,6),"
                           "INDEX_COL(OBJECT_NAME(id),indid,7),INDEX_COL(OBJECT_NAME(id),indid,8)\r"
                           "FROM sysindexes\r"
                           "WHERE indid BETWEEN 1 AND 254\r"
                           "AND INDEXPROPERTY(id,name,'IsStatistics')=0\r"
                           "AND INDEXPROPERTY(id, name, 'IsUnique')=0\r"
                           "AND OBJECT_NAME(id) LIKE 'TabQ%'");
    ASSERT_EQ(found.rows.size(), 2u);
    struct Expected {
        const char* name;
        int clustered;
        const char* col1;
        const char* col2;
    };
    const Expected expected[] = {{"IX_TabQIndex_Datum", 1, "Datum", "NULL"},
                                 {"IX_TabQIndex_Kod", 0, "Kod", "Datum"}};
    for (std::size_t r = 0; r < 2; ++r) {
        const auto& row = found.rows[r];
        EXPECT_EQ(text(row.at(0)), expected[r].name);
        EXPECT_EQ(text(row.at(1)), "TabQIndex");
        EXPECT_EQ(row.at(2).asInt(), expected[r].clustered);
        EXPECT_EQ(text(row.at(3)), expected[r].col1);
        EXPECT_EQ(text(row.at(4)), expected[r].col2);
        for (std::size_t c = 5; c < row.size(); ++c)
            EXPECT_TRUE(row[c].isNull());
    }

    // A clustered index replaces the heap row; the constraint's index takes the first indid no created
    // index holds; the text/image row stays.
    ResultSet all =
        rows("SELECT indid, name, keycnt FROM sysindexes WHERE id = OBJECT_ID('TabQIndex') ORDER BY indid");
    ASSERT_EQ(all.rows.size(), 5u);
    const long long indids[] = {1, 2, 3, 4, 255};
    const char* names[] = {"IX_TabQIndex_Datum", "IX_TabQIndex_Kod", "PK__TabQIndex__ID", "UX_TabQIndex_Kod",
                           "tTabQIndex"};
    const long long keys[] = {1, 2, 1, 1, 0};
    for (std::size_t r = 0; r < 5; ++r) {
        EXPECT_EQ(all.rows[r].at(0).asInt(), indids[r]);
        EXPECT_EQ(text(all.rows[r].at(1)), names[r]);
        EXPECT_EQ(all.rows[r].at(2).asInt(), keys[r]);
    }
    EXPECT_EQ(
        rows("SELECT OBJECTPROPERTY(OBJECT_ID('TabQIndex'), 'TableHasClustIndex')").rows.at(0).at(0).asInt(),
        1);
}

TEST_F(CatalogTest, LongProcedureComesBackInPartsThatJoinToItsText) {
    std::string procedure = "CREATE PROCEDURE dbo.hp_Dlouha AS\r\n";
    for (int i = 0; procedure.size() < 9500; ++i)
        procedure += "PRINT N'Řádek " + std::to_string(i) + " dlouhé procedury'\r\n";
    ASSERT_FALSE(session_->execute(procedure).hasErrors());

    ResultSet parts = rows("SELECT c.id,\r"
                           "SUBSTRING(text,    1, 2000) + N'|',\r"
                           "SUBSTRING(text, 2001, 2000) + N'|'\r"
                           "FROM sysobjects\r"
                           "JOIN syscomments c ON sysobjects.id=c.id\r"
                           "WHERE sysobjects.name IN('hp_Dlouha') AND sysobjects.xtype='P'\r"
                           "ORDER BY c.id,c.colid");
    ASSERT_EQ(parts.rows.size(), 3u);
    std::string joined;
    for (const auto& row : parts.rows) {
        EXPECT_EQ(row.at(0).asInt(), objectId("hp_Dlouha"));
        for (std::size_t c = 1; c <= 2; ++c) {
            std::string part = row.at(c).asString();
            ASSERT_FALSE(part.empty());
            EXPECT_EQ(part.back(), '|');
            joined += part.substr(0, part.size() - 1);
        }
    }
    EXPECT_EQ(joined, procedure);
}

} // namespace
} // namespace tsql
