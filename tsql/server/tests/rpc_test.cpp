// RPC requests as drivers send them: sp_executesql with typed and OUTPUT parameters, prepared statements,
// stored procedures with OUTPUT parameters and a return status.

#include "server_fixture.h"

namespace tsql::server::testing {
namespace {

constexpr std::uint16_t kExecuteSql = 10;
constexpr std::uint16_t kPrepare = 11;
constexpr std::uint16_t kExecute = 12;
constexpr std::uint16_t kPrepareExecute = 13;
constexpr std::uint16_t kUnprepare = 15;
constexpr std::uint8_t kDoneProc = 0xFE;
constexpr std::uint8_t kDoneInProc = 0xFF;

using RpcTest = ServerFixture;

TEST_F(RpcTest, ExecuteSqlBindsTypedParametersAndReturnsOutputOnes) {
    auto client = connect();
    client->batch("CREATE TABLE people (id INT, name NVARCHAR(40))");
    RpcBuilder call(kExecuteSql);
    call.text("", "INSERT INTO people VALUES (@id, @name)\nSELECT @id + 1 AS next, @name AS name\n"
                  "SET @count = (SELECT COUNT(*) FROM people)")
        .text("", "@id INT, @name NVARCHAR(40), @count INT OUTPUT")
        .integer("@id", 41)
        .text("@name", "Žofie 😀 O'Hara", false, true)
        .integer("@count", std::nullopt, true);
    const Reply r = client->rpc(call.bytes());
    ASSERT_FALSE(r.hasError()) << r.messageTexts();
    ASSERT_EQ(r.results.size(), 1u);
    EXPECT_EQ(r.results[0].rows[0][0], "42");
    EXPECT_EQ(r.results[0].rows[0][1], "Žofie 😀 O'Hara");
    EXPECT_EQ(r.returnStatuses, std::vector<std::int32_t>{0});
    ASSERT_EQ(r.returnValues.size(), 1u);
    EXPECT_EQ(r.returnValues[0].name, "@count");
    EXPECT_EQ(r.returnValues[0].ordinal, 4);
    EXPECT_EQ(r.returnValues[0].value, "1");
    ASSERT_GE(r.dones.size(), 3u);
    EXPECT_EQ(r.dones[0].token, kDoneInProc) << "the INSERT";
    EXPECT_EQ(r.dones[0].rows, 1u);
    EXPECT_EQ(r.dones.back().token, kDoneProc);
    EXPECT_EQ(r.dones.back().status, 0);
}

TEST_F(RpcTest, ExecuteSqlReturnsOutputValuesAlsoAfterReturn) {
    auto client = connect();
    RpcBuilder call(kExecuteSql);
    call.text("", "SET @out = @in + 1\nRETURN\nSET @out = 0")
        .text("", "@in INT, @out INT OUTPUT")
        .integer("", 1)
        .integer("", std::nullopt, true);
    const Reply r = client->rpc(call.bytes());
    ASSERT_FALSE(r.hasError()) << r.messageTexts();
    ASSERT_EQ(r.returnValues.size(), 1u);
    EXPECT_EQ(r.returnValues[0].name, "@out") << "a positional OUTPUT parameter takes its declared name";
    EXPECT_EQ(r.returnValues[0].value, "2");
    const Reply lines = client->rpc(RpcBuilder(kExecuteSql).text("", "SELECT 1\nSELECT 1/0").bytes());
    ASSERT_EQ(lines.messages.size(), 1u);
    EXPECT_EQ(lines.messages[0].line, 2) << "lines count in the statement's own text";
}

TEST_F(RpcTest, ExecuteSqlReportsWhatIsMissingOrWrong) {
    auto client = connect();
    const struct {
        const char* what;
        RpcBuilder call;
        int error;
    } cases[] = {
        {"a declared parameter without a value",
         RpcBuilder(kExecuteSql).text("", "SELECT @a").text("", "@a INT, @b INT").integer("@a", 1), 8178},
        {"a value for no declared parameter",
         RpcBuilder(kExecuteSql).text("", "SELECT @a").text("", "@a INT").integer("@a", 1).integer("@zz", 2),
         8145},
        {"too many positional values",
         RpcBuilder(kExecuteSql).text("", "SELECT @a").text("", "@a INT").integer("", 1).integer("", 2),
         8144},
        {"a statement that is not text", RpcBuilder(kExecuteSql).integer("", 1), 214},
        {"an error inside the statement", RpcBuilder(kExecuteSql).text("", "SELECT 1/0"), 8134},
        {"an unknown procedure", RpcBuilder("dbo.no_such_procedure"), 2812},
        {"a cursor procedure", RpcBuilder(std::uint16_t{2}), 2812},
    };
    for (const auto& c : cases) {
        const Reply r = client->rpc(c.call.bytes());
        ASSERT_EQ(r.messages.size(), 1u) << c.what << ": " << r.messageTexts();
        EXPECT_EQ(r.messages[0].number, c.error) << c.what << ": " << r.messageTexts();
        EXPECT_TRUE(r.dones.back().status & 0x02) << c.what;
    }
    EXPECT_FALSE(client->batch("SELECT 1").hasError());
}

TEST_F(RpcTest, StoredProceduresReturnTheirStatusAndOutputParameters) {
    auto client = connect();
    client->batch("CREATE PROCEDURE dbo.p_calc @x INT, @label NVARCHAR(20) = N'výchozí', @y INT OUTPUT,\n"
                  "  @note NVARCHAR(50) OUTPUT AS\n"
                  "SELECT @x AS x, @label AS label\n"
                  "SET @y = @x * 3\n"
                  "SET @note = @note + N' ✓'\n"
                  "RETURN 7");
    RpcBuilder call("dbo.p_calc");
    call.integer("@x", 5)
        .raw("@label", 0x02, {0xE7, 0x28, 0x00, 0x05, 0x04, 0xD0, 0x00, 0x00, 0xFF, 0xFF})
        .integer("@y", std::nullopt, true)
        .text("@note", "poznámka", true);
    const Reply r = client->rpc(call.bytes());
    ASSERT_FALSE(r.hasError()) << r.messageTexts();
    ASSERT_EQ(r.results.size(), 1u);
    EXPECT_EQ(r.results[0].rows[0][0], "5");
    EXPECT_EQ(r.results[0].rows[0][1], "výchozí") << "a parameter sent as DEFAULT";
    EXPECT_EQ(r.returnStatuses, std::vector<std::int32_t>{7});
    ASSERT_EQ(r.returnValues.size(), 2u);
    EXPECT_EQ(r.returnValues[0].name, "@y");
    EXPECT_EQ(r.returnValues[0].ordinal, 2);
    EXPECT_EQ(r.returnValues[0].value, "15");
    EXPECT_EQ(r.returnValues[1].value, "poznámka ✓");

    // Positional arguments, and an error raised inside the procedure.
    client->batch(
        "CREATE PROCEDURE dbo.p_fail @a INT AS IF @a > 0 RAISERROR('příliš: %d', 16, 2, @a) RETURN -1");
    const Reply failed = client->rpc(RpcBuilder("p_fail").integer("", 3).bytes());
    ASSERT_EQ(failed.messages.size(), 1u);
    EXPECT_EQ(failed.messages[0].text, "příliš: 3");
    EXPECT_EQ(failed.messages[0].state, 2);
    EXPECT_EQ(failed.messages[0].procedure, "p_fail");
    EXPECT_EQ(failed.messages[0].line, 1);
    EXPECT_EQ(failed.returnStatuses, std::vector<std::int32_t>{-1});
}

TEST_F(RpcTest, PreparedStatementsRunUntilUnprepared) {
    auto client = connect();
    const Reply prepared = client->rpc(RpcBuilder(kPrepare)
                                           .integer("@handle", std::nullopt, true)
                                           .text("", "@a INT, @b NVARCHAR(10)")
                                           .text("", "SELECT @a * 2 AS twice, @b AS b")
                                           .integer("", 1)
                                           .bytes());
    ASSERT_FALSE(prepared.hasError()) << prepared.messageTexts();
    ASSERT_EQ(prepared.returnValues.size(), 1u);
    const std::string handle = *prepared.returnValues[0].value;
    for (int a : {4, 10}) {
        const Reply r = client->rpc(
            RpcBuilder(kExecute).integer("", std::stoi(handle)).integer("", a).text("", "b").bytes());
        ASSERT_FALSE(r.hasError()) << r.messageTexts();
        EXPECT_EQ(r.results.at(0).rows[0][0], std::to_string(a * 2));
    }
    EXPECT_FALSE(client->rpc(RpcBuilder(kUnprepare).integer("", std::stoi(handle)).bytes()).hasError());
    const Reply gone =
        client->rpc(RpcBuilder(kExecute).integer("", std::stoi(handle)).integer("", 1).bytes());
    ASSERT_EQ(gone.messages.size(), 1u);
    EXPECT_EQ(gone.messages[0].number, 8179);

    // Prepare and run at once; the handle comes back with the results.
    const Reply both = client->rpc(RpcBuilder(kPrepareExecute)
                                       .integer("@h", std::nullopt, true)
                                       .text("", "@p INT")
                                       .text("", "SELECT @p + 100 AS v")
                                       .integer("", 1)
                                       .bytes());
    ASSERT_FALSE(both.hasError()) << both.messageTexts();
    EXPECT_EQ(both.results.at(0).rows[0][0], "101");
    ASSERT_EQ(both.returnValues.size(), 1u);
    EXPECT_EQ(both.returnValues[0].name, "@h");
}

TEST_F(RpcTest, SeveralRequestsInOneMessageAnswerInTurn) {
    auto client = connect();
    RpcBuilder calls(kExecuteSql);
    calls.text("", "SELECT 1 AS a");
    calls.next("sp_executesql").text("", "SELECT 2 AS a");
    const Reply r = client->rpc(calls.bytes());
    ASSERT_EQ(r.results.size(), 2u) << r.messageTexts();
    EXPECT_EQ(r.results[1].rows[0][0], "2");
    std::vector<std::uint16_t> procedureDones;
    for (const auto& d : r.dones)
        if (d.token == kDoneProc) procedureDones.push_back(d.status);
    EXPECT_EQ(procedureDones, (std::vector<std::uint16_t>{0x01, 0x00})) << "the first says more follows";
}

} // namespace
} // namespace tsql::server::testing
