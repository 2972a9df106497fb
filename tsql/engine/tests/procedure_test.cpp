#include "tsql/convert.h"
#include "tsql/engine.h"
#include "tsql/value.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tsql {
namespace {

// The journal call as the synchronizer sends it: lines separated by CR alone, the last SELECT reading
// the OUTPUT parameter the call did not ask for.
TEST(ProcedureTest, JournalCallWithCarriageReturns) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    ASSERT_FALSE(s->execute("CREATE TABLE TabZurnal (ID INT IDENTITY, Druh INT, Kod INT, Text NVARCHAR(255))")
                     .hasErrors());
    ASSERT_FALSE(s->execute("CREATE PROCEDURE dbo.hp_ZapisDoZurnalu @Druh INT, @Kod INT, @Text NVARCHAR(255),"
                            " @IDZurnal INT = NULL OUTPUT AS\r"
                            "INSERT TabZurnal (Druh, Kod, Text) VALUES (@Druh, @Kod, @Text)\r"
                            "SET @IDZurnal = SCOPE_IDENTITY()")
                     .hasErrors());
    BatchOutput out = s->execute("DECLARE @IDZurnal INT\rEXECUTE dbo.hp_ZapisDoZurnalu 2, -1, N'text' "
                                 "SELECT @IDZurnal");
    ASSERT_FALSE(out.hasErrors());
    ASSERT_EQ(out.events.size(), 1u);
    ASSERT_EQ(out.events[0].kind, BatchEvent::Kind::Rows);
    EXPECT_TRUE(out.events[0].rows.rows.at(0).at(0).isNull());

    out = s->execute("SELECT Druh, Kod, Text FROM TabZurnal");
    ASSERT_EQ(out.events.at(0).rows.rows.size(), 1u);
    const auto& row = out.events[0].rows.rows[0];
    EXPECT_EQ(row.at(0).asInt(), 2);
    EXPECT_EQ(row.at(1).asInt(), -1);
    EXPECT_EQ(row.at(2).asString(), "text");
}

//! The only value of the last result set of a batch, as text, or the text of its first error.
std::string scalar(Session& s, const std::string& batch) {
    BatchOutput out = s.execute(batch);
    std::string text;
    for (const auto& e : out.events) {
        if (e.kind == BatchEvent::Kind::Message && e.message.isError()) return "error " + e.message.text;
        if (e.kind == BatchEvent::Kind::Rows) text = toText(e.rows.rows.at(0).at(0));
    }
    return text;
}

// A session keeps the procedures it called parsed; what another session does to them (ALTER, DROP,
// CREATE again, rename) and changes to the tables their bodies read show at the next call.
TEST(ProcedureTest, CallsSeeChangesMadeByOtherSessions) {
    auto db = Database::open({});
    auto caller = db->connect("sa");
    auto other = db->connect("sa");
    ASSERT_FALSE(
        other->execute("CREATE TABLE TabP (ID INT NOT NULL, Kod NVARCHAR(10) NOT NULL)").hasErrors());
    ASSERT_FALSE(other->execute("INSERT TabP VALUES (1, N'prvni')").hasErrors());
    ASSERT_FALSE(other
                     ->execute("CREATE PROCEDURE Kod @ID INT, @Kod NVARCHAR(10) OUTPUT AS\n"
                               "SELECT @Kod = Kod FROM TabP WHERE ID = @ID")
                     .hasErrors());
    const std::string call = "DECLARE @k NVARCHAR(10), @i INT = 0 "
                             "WHILE @i < 3 BEGIN EXEC Kod 1, @k OUTPUT SET @i = @i + 1 END SELECT @k";
    EXPECT_EQ(scalar(*caller, call), "prvni");

    ASSERT_FALSE(other
                     ->execute("ALTER PROCEDURE Kod @ID INT, @Kod NVARCHAR(10) OUTPUT AS\n"
                               "SELECT @Kod = Kod + N'!' FROM TabP WHERE ID = @ID")
                     .hasErrors());
    EXPECT_EQ(scalar(*caller, call), "prvni!");

    // The table the body reads dropped and made again with other columns.
    ASSERT_FALSE(other->execute("DROP TABLE TabP").hasErrors());
    ASSERT_FALSE(
        other->execute("CREATE TABLE TabP (Navic INT NULL, Kod NVARCHAR(10) NOT NULL, ID INT NOT NULL)")
            .hasErrors());
    ASSERT_FALSE(other->execute("INSERT TabP VALUES (NULL, N'druhy', 1)").hasErrors());
    EXPECT_EQ(scalar(*caller, call), "druhy!");

    ASSERT_FALSE(other->execute("EXEC sp_rename 'Kod', 'KodNovy'").hasErrors());
    EXPECT_NE(scalar(*caller, call).find("Could not find stored procedure 'Kod'"), std::string::npos);
    EXPECT_EQ(scalar(*caller, "DECLARE @k NVARCHAR(10) EXEC KodNovy 1, @k OUTPUT SELECT @k"), "druhy!");

    ASSERT_FALSE(other->execute("DROP PROCEDURE KodNovy").hasErrors());
    ASSERT_FALSE(other
                     ->execute("CREATE PROCEDURE Kod @ID INT, @Kod NVARCHAR(10) OUTPUT AS\n"
                               "SET @Kod = N'novy'")
                     .hasErrors());
    EXPECT_EQ(scalar(*caller, call), "novy");

    // A change the calling session makes itself inside a transaction it rolls back.
    EXPECT_EQ(scalar(*caller, "BEGIN TRAN EXEC('ALTER PROCEDURE Kod @ID INT, @Kod NVARCHAR(10) OUTPUT AS "
                              "SET @Kod = N''docasny''') "
                              "DECLARE @k NVARCHAR(10) EXEC Kod 1, @k OUTPUT ROLLBACK SELECT @k"),
              "docasny");
    EXPECT_EQ(scalar(*caller, call), "novy");
}

//! Keeps the values of the rows it is handed as text, running `onFirstRow` when the first arrives.
class RowsSink : public BatchSink {
public:
    explicit RowsSink(std::function<void()> onFirstRow)
        : onFirstRow_(std::move(onFirstRow)) {}
    void onColumns(const std::vector<ResultColumn>&) override {}
    void onRow(const std::vector<Value>& row) override {
        values.push_back(toText(row.at(0)));
        if (values.size() == 1) onFirstRow_();
    }
    void onDone(long long) override {}
    void onMessage(const Message& message) override { values.push_back("message " + message.text); }
    std::vector<std::string> values;

private:
    std::function<void()> onFirstRow_;
};

const char* const kKod = "CREATE PROCEDURE Kod @ID INT, @Kod NVARCHAR(10) OUTPUT AS\n"
                         "SELECT @Kod = Kod FROM TabP WHERE ID = @ID";
const char* const kKodAltered = "ALTER PROCEDURE Kod @ID INT, @Kod NVARCHAR(10) OUTPUT AS\n"
                                "SELECT @Kod = Kod + N'!' FROM TabP WHERE ID = @ID";

// Within one batch, a call sees what another session changed before it: the change the client made
// while it received the batch's results, and the one the batch itself saw in the data.
TEST(ProcedureTest, CallsInsideABatchSeeChangesMadeMeanwhile) {
    auto db = Database::open({});
    auto caller = db->connect("sa");
    auto other = db->connect("sa");
    ASSERT_FALSE(other
                     ->execute("CREATE TABLE TabP (ID INT NOT NULL, Kod NVARCHAR(10) NOT NULL) "
                               "INSERT TabP VALUES (1, N'prvni') CREATE TABLE TabZnak (A INT NOT NULL)")
                     .hasErrors());
    ASSERT_FALSE(other->execute(kKod).hasErrors());

    RowsSink sink([&] { ASSERT_FALSE(other->execute(kKodAltered).hasErrors()); });
    caller->execute("DECLARE @k NVARCHAR(10) EXEC Kod 1, @k OUTPUT SELECT @k\n"
                    "EXEC Kod 1, @k OUTPUT SELECT @k",
                    sink);
    EXPECT_EQ(sink.values, (std::vector<std::string>{"prvni", "prvni!"}));

    ASSERT_FALSE(other->execute("DROP PROCEDURE Kod").hasErrors());
    ASSERT_FALSE(other->execute(kKod).hasErrors());
    // Once the batch made its first call, the other session changes the procedure, then says so in a table
    // the batch waits on. (The batch's sink tells the other thread when the batch has gone past the call:
    // it is asked before every statement whether the batch is cancelled.)
    struct Signalling : RowsSink {
        Signalling()
            : RowsSink([] {}) {}
        bool cancelled() override {
            if (++asked == 4) called = true; // before the WHILE, after SET, DECLARE and the first EXEC
            return false;
        }
        int asked = 0;
        std::atomic<bool> called{false};
    } signalling;
    std::thread changer([&] {
        while (!signalling.called)
            std::this_thread::yield();
        ASSERT_FALSE(other->execute(kKodAltered).hasErrors());
        ASSERT_FALSE(other->execute("INSERT TabZnak VALUES (2)").hasErrors());
    });
    caller->execute("SET NOCOUNT ON DECLARE @k NVARCHAR(10), @n INT = 0 EXEC Kod 1, @k OUTPUT\n"
                    "WHILE NOT EXISTS (SELECT * FROM TabZnak WHERE A = 2) AND @n < 10000000 SET @n = @n + 1\n"
                    "EXEC Kod 1, @k OUTPUT SELECT @k",
                    signalling);
    changer.join();
    EXPECT_EQ(signalling.values, (std::vector<std::string>{"prvni!"}));
}

} // namespace
} // namespace tsql
