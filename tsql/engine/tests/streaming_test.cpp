//! Results and messages handed to a BatchSink as the batch produces them.

#include "tsql/engine.h"
#include "tsql/format.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tsql {
namespace {

//! Writes down every call as a line; throws once `limit` calls have been made (a client gone away).
class Recorder : public BatchSink {
public:
    explicit Recorder(std::size_t limit = SIZE_MAX)
        : limit_(limit) {}
    void onColumns(const std::vector<ResultColumn>& columns) override {
        std::string line = "columns";
        for (const auto& c : columns)
            line += " " + c.name;
        add(line);
    }
    void onRow(const std::vector<Value>& row) override {
        std::string line = "row";
        for (const auto& v : row)
            line += " " + formatForShell(v);
        add(line);
    }
    void onDone(long long rows) override { add("done " + std::to_string(rows)); }
    void onMessage(const Message& m) override {
        add(m.isError() ? "error " + std::to_string(m.number) : "message " + m.text);
    }
    void onRowsAffected(long long rows) override { add("affected " + std::to_string(rows)); }

    std::vector<std::string> calls;

private:
    void add(std::string line) {
        if (calls.size() == limit_) throw std::runtime_error("client gone");
        calls.push_back(std::move(line));
    }
    std::size_t limit_;
};

TEST(StreamingTest, HandsOverResultsAndMessagesInOrder) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    Recorder r;
    s->execute("CREATE TABLE T (ID INT) INSERT T VALUES (1) INSERT T SELECT ID + 1 FROM T "
               "PRINT 'a' SELECT ID FROM T ORDER BY ID SELECT ID FROM T WHERE ID > 5 "
               "SELECT 10 / (2 - ID) AS q FROM T PRINT 'after'",
               r);
    EXPECT_EQ(r.calls,
              (std::vector<std::string>{"affected 1", "affected 1", "message a", "columns ID", "row 1",
                                        "row 2", "done 2", "columns ID", "done 0", "columns q", "row 10",
                                        "done 1", "error 8134", "message after"}));
    // The same batch at once: the result set cut short keeps its rows before the error.
    BatchOutput out = s->execute("SELECT 10 / (2 - ID) AS q FROM T");
    ASSERT_EQ(out.events.size(), 2u);
    EXPECT_EQ(out.events[0].rows.rows.size(), 1u);
    EXPECT_EQ(out.events[1].message.number, 8134);
}

TEST(StreamingTest, EndlessBatchStreamsUntilTheSinkStopsIt) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    ASSERT_FALSE(s->execute("CREATE TABLE T (ID INT)").hasErrors());
    ASSERT_FALSE(s->execute("CREATE PROCEDURE p AS WHILE 1 = 1 PRINT 'x'").hasErrors());
    Recorder endless(10000);
    EXPECT_THROW(s->execute("BEGIN TRAN INSERT T VALUES (1) EXEC p", endless), std::runtime_error);
    EXPECT_EQ(endless.calls.size(), 10000u);
    // The session goes on in the caller's scope, its transaction still open.
    Recorder r;
    s->execute("SELECT @@NESTLEVEL AS n, @@TRANCOUNT AS t, (SELECT COUNT(*) FROM T) AS c ROLLBACK", r);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"columns n t c", "row 0 1 1", "done 1"}));

    // Stopped at the count of the fourth INSERT, which had completed: the loop goes no further.
    Recorder counts(3);
    EXPECT_THROW(s->execute("DECLARE @i INT = 0 WHILE @i < 100 BEGIN INSERT T VALUES (@i) SET @i += 1 END "
                            "SELECT ID FROM T",
                            counts),
                 std::runtime_error);
    EXPECT_EQ(counts.calls, (std::vector<std::string>{"affected 1", "affected 1", "affected 1"}));
    EXPECT_EQ(s->execute("SELECT COUNT(*) FROM T").events.at(0).rows.rows.at(0).at(0).asInt(), 4);
}

} // namespace
} // namespace tsql
