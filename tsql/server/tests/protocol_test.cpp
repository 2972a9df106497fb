// The server on loopback, spoken to packet by packet: logins, batches with their tokens in order, broken
// and hostile input, clients that cancel or vanish, several at once.

#include "server_fixture.h"

#include <atomic>
#include <filesystem>
#include <thread>

namespace tsql::server::testing {
namespace {

namespace tok {
constexpr std::uint8_t kColMetadata = 0x81;
constexpr std::uint8_t kRow = 0xD1;
constexpr std::uint8_t kNbcRow = 0xD2;
constexpr std::uint8_t kError = 0xAA;
constexpr std::uint8_t kInfo = 0xAB;
constexpr std::uint8_t kDone = 0xFD;
} // namespace tok

constexpr std::uint16_t kMore = 0x01;
constexpr std::uint16_t kError = 0x02;
constexpr std::uint16_t kCount = 0x10;
constexpr std::uint16_t kAttention = 0x20;

using ProtocolTest = ServerFixture;

TEST_F(ProtocolTest, LoginAnnouncesDatabaseCollationLanguageAndPacketSize) {
    TdsClient client(server_->port());
    const Reply reply = client.logIn("SA", kPassword, "tarvik", 0x74000004, 8000);
    ASSERT_TRUE(reply.loginAck) << reply.messageTexts();
    EXPECT_EQ(reply.tdsVersion, 0x74000004u);
    const std::vector<std::pair<std::uint8_t, std::string>> expected = {
        {1, "Tarvik"}, {7, "0x0504D00000"}, {2, "us_english"}, {4, "8000"}};
    EXPECT_EQ(reply.envChanges, expected);
    EXPECT_EQ(reply.messageTexts(),
              "Changed database context to 'Tarvik'.\nChanged language setting to us_english.\n");
    EXPECT_EQ(reply.dones.back().status, 0);
}

TEST_F(ProtocolTest, BatchTokensComeInTheOrderTheStatementsRan) {
    auto client = connect();
    const Reply r = client->batch("PRINT 'one'\n"
                                  "SELECT 1 AS a\n"
                                  "RAISERROR('two', 16, 3)\n"
                                  "CREATE TABLE t (a INT, b NVARCHAR(10))\n"
                                  "INSERT INTO t (a) VALUES (1), (2)\n"
                                  "SELECT a, b FROM t ORDER BY a\n"
                                  "SELECT * FROM no_such_table");
    const std::vector<std::uint8_t> tokens = {
        tok::kInfo,        tok::kColMetadata, tok::kRow,    tok::kDone, tok::kError, tok::kDone, tok::kDone,
        tok::kColMetadata, tok::kNbcRow,      tok::kNbcRow, tok::kDone, tok::kError, tok::kDone, tok::kDone};
    EXPECT_EQ(r.tokens, tokens);
    ASSERT_EQ(r.dones.size(), 6u);
    EXPECT_EQ(r.dones[0].status, kMore | kCount);
    EXPECT_EQ(r.dones[0].rows, 1u);
    EXPECT_EQ(r.dones[1].status, kMore | kError);
    EXPECT_EQ(r.dones[2].status, kMore | kCount) << "the INSERT";
    EXPECT_EQ(r.dones[2].rows, 2u);
    EXPECT_EQ(r.dones[3].rows, 2u);
    EXPECT_EQ(r.dones[4].status, kMore | kError);
    EXPECT_EQ(r.dones[5].status, 0) << "the last DONE ends the reply";
    ASSERT_EQ(r.messages.size(), 3u);
    EXPECT_FALSE(r.messages[0].error);
    EXPECT_EQ(r.messages[1].number, 50000);
    EXPECT_EQ(r.messages[1].severity, 16);
    EXPECT_EQ(r.messages[1].state, 3);
    EXPECT_EQ(r.messages[1].line, 3);
    EXPECT_EQ(r.messages[1].procedure, "") << "raised in the batch itself";
    EXPECT_EQ(r.messages[2].number, 208);
    EXPECT_EQ(r.messages[2].line, 7);
    ASSERT_EQ(r.results.size(), 2u);
    EXPECT_EQ(r.results[1].rows[0][0], "1");
    EXPECT_FALSE(r.results[1].rows[0][1]) << "NULL";
}

TEST_F(ProtocolTest, RefusedLoginsEndTheConnectionAndNothingElse) {
    const struct {
        const char* user;
        const char* password;
        const char* database;
        std::vector<int> errors;
    } cases[] = {
        {"sa", "wrong", "Tarvik", {18456}},
        {"someone", kPassword, "Tarvik", {18456}},
        {"sa", kPassword, "Nonexistent", {4060, 18456}},
        {"sa", kPassword, "../Tarvik", {4060, 18456}},
    };
    for (const auto& c : cases) {
        TdsClient client(server_->port());
        const Reply reply = client.logIn(c.user, c.password, c.database);
        EXPECT_FALSE(reply.loginAck);
        std::vector<int> numbers;
        for (const auto& m : reply.messages)
            numbers.push_back(m.number);
        EXPECT_EQ(numbers, c.errors) << c.user << " " << c.database;
        EXPECT_EQ(reply.messages.back().text, std::string("Login failed for user '") + c.user + "'.");
        EXPECT_EQ(reply.messages.back().severity, 14);
        EXPECT_TRUE(client.closedByServer());
    }
    EXPECT_EQ(log().find(kPassword), std::string::npos) << "passwords never reach the log";
    EXPECT_EQ(log().find("wrong"), std::string::npos);
    auto client = connect();
    EXPECT_FALSE(client->batch("SELECT 1").hasError());
}

TEST_F(ProtocolTest, ProtocolVersionsShapeTheReply) {
    const struct {
        std::uint32_t version;
        std::uint8_t maxTextType; //!< how NVARCHAR(MAX) travels
    } cases[] = {{0x71000001, 0x63}, {0x72090002, 0xE7}, {0x730B0003, 0xE7}, {0x74000004, 0xE7}};
    for (const auto& c : cases) {
        auto client = connect("Tarvik", c.version);
        const Reply r = client->batch("SELECT CAST(N'dlouhý' AS NVARCHAR(MAX)) AS t, CAST(NULL AS INT) AS n");
        ASSERT_EQ(r.results.size(), 1u) << std::hex << c.version;
        EXPECT_EQ(r.results[0].columns[0].type, c.maxTextType);
        EXPECT_EQ(r.results[0].rows[0][0], "dlouhý");
        EXPECT_FALSE(r.results[0].rows[0][1]);
        EXPECT_EQ(r.tokens[1], c.version >= 0x730A0003 ? tok::kNbcRow : tok::kRow);
    }
    TdsClient old(server_->port());
    EXPECT_THROW(old.logIn("sa", kPassword, "Tarvik", 0x70000000), std::runtime_error);
}

TEST_F(ProtocolTest, TheClientsPacketSizeBoundsThePackets) {
    TdsClient client(server_->port());
    ASSERT_TRUE(client.logIn("sa", kPassword, "Tarvik", 0x74000004, 512).loginAck);
    // A batch the client cuts into small packets, and a reply the server cuts into 512-byte packets.
    std::string values;
    for (int i = 0; i < 300; ++i)
        values += (i ? ", " : "") + std::string("(") + std::to_string(i) + ")";
    Bytes payload = client.allHeaders();
    const Bytes text = ucs2("CREATE TABLE n (a INT)\nINSERT INTO n VALUES " + values + "\nSELECT a FROM n");
    payload.insert(payload.end(), text.begin(), text.end());
    client.sendMessage(0x01, payload, 512);
    const auto reply = client.readMessage();
    ASSERT_TRUE(reply);
    const Reply r = client.parse(*reply);
    ASSERT_EQ(r.results.size(), 1u);
    EXPECT_EQ(r.results[0].rows.size(), 300u);
    EXPECT_LE(client.largestPacket(), 512u);
}

//! A connection that is logged in, then sends something broken.
struct BrokenInput {
    enum class Then { ServerAnswers, ServerCloses, ClientLeaves };
    const char* what;
    Bytes bytes;
    Then then;
};

Bytes packet(std::uint8_t type, const Bytes& payload, std::uint16_t length = 0) {
    const std::uint16_t n = length ? length : static_cast<std::uint16_t>(payload.size() + 8);
    Bytes out = {type, 1, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n), 0, 0, 1, 0};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

TEST_F(ProtocolTest, BrokenRequestsAreRefusedAndOthersGoOnBeingServed) {
    const Bytes headers = {22, 0, 0, 0, 18, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    Bytes oddText = headers;
    oddText.insert(oddText.end(), {'S', 0, 'E'});
    Bytes hugeHeaders = {0xFF, 0xFF, 0xFF, 0x7F, 18, 0};
    Bytes unknownType = headers;
    unknownType.insert(unknownType.end(), {1, 0, 'p', 0, 0, 0, 0, 0, 0xF0, 0, 0});
    Bytes truncatedParam = headers;
    truncatedParam.insert(truncatedParam.end(), {1, 0, 'p', 0, 0, 0, 0, 0, 0x26, 4, 4, 1});
    const BrokenInput cases[] = {
        {"batch text of an odd length", packet(0x01, oddText), BrokenInput::Then::ServerAnswers},
        {"request headers longer than the request", packet(0x01, hugeHeaders),
         BrokenInput::Then::ServerAnswers},
        {"an RPC parameter of an unknown type", packet(0x03, unknownType), BrokenInput::Then::ServerAnswers},
        {"an RPC parameter cut short", packet(0x03, truncatedParam), BrokenInput::Then::ServerAnswers},
        {"a packet shorter than its header", packet(0x01, {}, 4), BrokenInput::Then::ServerCloses},
        {"a packet type nobody knows", packet(0x55, {1, 2, 3}), BrokenInput::Then::ServerCloses},
        {"a packet cut off by the client leaving", Bytes{0x01, 1, 0x10, 0x00, 0, 0, 1, 0, 'x'},
         BrokenInput::Then::ClientLeaves},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto client = connect();
        client->sendRaw(c.bytes);
        if (c.then == BrokenInput::Then::ClientLeaves) {
            client.reset();
        } else if (c.then == BrokenInput::Then::ServerCloses) {
            EXPECT_TRUE(client->closedByServer());
        } else {
            const auto reply = client->readMessage();
            ASSERT_TRUE(reply);
            const Reply r = client->parse(*reply);
            ASSERT_TRUE(r.hasError());
            EXPECT_TRUE(r.messages[0].number == 4002 || r.messages[0].number == 8016) << r.messageTexts();
            EXPECT_FALSE(client->batch("SELECT 1 AS a").hasError()) << "the connection goes on";
        }
        EXPECT_FALSE(connect()->batch("SELECT 1 AS a").hasError()) << "others are served";
    }
}

TEST_F(ProtocolTest, BrokenLoginsEndOnlyTheirConnection) {
    const Bytes record = login7("sa", kPassword, "Tarvik", 0x74000004, 4096);
    Bytes outside = record;
    outside[36] = 0xFF; // the host name's offset
    outside[37] = 0x7F;
    const std::vector<Bytes> cases = {
        packet(0x10, Bytes(record.begin(), record.begin() + 40)),
        packet(0x10, outside),
        packet(0x01, {'x', 0}), // a batch before any login
        packet(0x12, {0x01, 0x00, 0x40, 0x00, 0x01, 0xFF}),
    };
    for (const auto& bytes : cases) {
        TdsClient client(server_->port());
        client.sendRaw(bytes);
        EXPECT_TRUE(client.closedByServer());
    }
    EXPECT_FALSE(connect()->batch("SELECT 1 AS a").hasError());
}

TEST_F(ProtocolTest, RequestsOverTheLimitCloseTheConnection) {
    auto client = connect();
    const std::string big(600 * 1024, 'x'); // 1.2 MB as UTF-16, over the 1 MB the fixture allows
    Bytes payload = client->allHeaders();
    const Bytes text = ucs2("SELECT '" + big + "'");
    payload.insert(payload.end(), text.begin(), text.end());
    try {
        client->sendMessage(0x01, payload);
    } catch (const std::runtime_error&) {
        // the server may close before the client has sent everything
    }
    EXPECT_TRUE(client->closedByServer());
    EXPECT_NE(log().find("refused"), std::string::npos) << log();
}

TEST_F(ProtocolTest, AClientThatVanishesMidResultLosesOnlyItsUncommittedWork) {
    connect()->batch("CREATE TABLE kept (a INT)\nINSERT INTO kept VALUES (1), (2)");
    {
        auto client = connect();
        Bytes payload = client->allHeaders();
        const Bytes text =
            ucs2("INSERT INTO kept VALUES (3)\n"
                 "BEGIN TRANSACTION\n"
                 "INSERT INTO kept VALUES (4)\n"
                 "SELECT REPLICATE(N'x', 4000) AS filler FROM kept a, kept b, kept c, kept d, kept e, "
                 "kept f, kept g, kept h");
        payload.insert(payload.end(), text.begin(), text.end());
        client->sendMessage(0x01, payload);
        // The client reads nothing and goes.
    }
    // The server has given up on the client (connections are numbered from 51 in each test).
    ASSERT_TRUE(waitForLog("connection 52: c")) << log();
    auto other = connect();
    const Reply r = other->batch("SELECT COUNT(*) AS n FROM kept");
    ASSERT_EQ(r.results.size(), 1u) << r.messageTexts();
    EXPECT_EQ(r.results[0].rows[0][0], "3") << "the committed row stays, the open transaction is undone";
}

TEST_F(ProtocolTest, AnAttentionStopsTheReplyAndIsAcknowledged) {
    auto client = connect();
    client->batch("CREATE TABLE many (a INT)\n"
                  "DECLARE @i INT = 0\n"
                  "WHILE @i < 40 BEGIN INSERT INTO many VALUES (@i) SET @i = @i + 1 END");
    // 64,000 rows of some 15 MB: more than the connection holds in its buffers, so the server is still
    // sending when the attention arrives.
    Bytes payload = client->allHeaders();
    const Bytes text =
        ucs2("SELECT a.a, b.a, c.a, REPLICATE(N'x', 100) AS filler FROM many a, many b, many c");
    payload.insert(payload.end(), text.begin(), text.end());
    client->sendMessage(0x01, payload);
    client->sendMessage(0x06, {});
    // The reply ends with a DONE that acknowledges the attention; nothing follows it.
    Reply::Done last;
    std::size_t rows = 0;
    for (;;) {
        const auto message = client->readMessage();
        ASSERT_TRUE(message);
        const Reply r = client->parse(*message);
        for (const auto& set : r.results)
            rows += set.rows.size();
        if (!r.dones.empty() && (r.dones.back().status & kAttention)) {
            last = r.dones.back();
            break;
        }
    }
    EXPECT_TRUE(last.status & kAttention);
    EXPECT_LT(rows, 64000u) << "the result was cut short";
    EXPECT_EQ(client->batch("SELECT COUNT(*) AS n FROM many").results.at(0).rows[0][0], "40");

    // A batch that would run for long stops at the attention; what it committed before stays.
    payload = client->allHeaders();
    const Bytes endless = ucs2("INSERT INTO many VALUES (-1)\n"
                               "DECLARE @n INT = 0\n"
                               "WHILE 1 = 1 BEGIN PRINT 'working' SET @n = @n + 1 END");
    payload.insert(payload.end(), endless.begin(), endless.end());
    client->sendMessage(0x01, payload);
    Bytes reply;
    ASSERT_EQ(client->readPacket(reply), 0) << "the first packet of a reply that goes on: the batch runs";
    client->sendMessage(0x06, {});
    for (std::optional<std::uint8_t> status = 0; status && !(*status & 1);)
        status = client->readPacket(reply);
    const Reply stopped = client->parse(reply);
    ASSERT_FALSE(stopped.dones.empty());
    EXPECT_EQ(stopped.dones.back().status, kAttention);
    EXPECT_EQ(client->batch("SELECT COUNT(*) AS n FROM many WHERE a = -1").results.at(0).rows[0][0], "1");

    // An attention that arrives after the reply is acknowledged on its own.
    client->sendMessage(0x06, {});
    const Reply alone = client->parse(*client->readMessage());
    ASSERT_EQ(alone.dones.size(), 1u);
    EXPECT_EQ(alone.dones[0].status, kAttention);
}

TEST_F(ProtocolTest, ConnectionsWorkSideBySide) {
    connect()->batch("CREATE TABLE shared (who INT, n INT)");
    constexpr int kClients = 8;
    constexpr int kInserts = 25;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int who = 0; who < kClients; ++who)
        threads.emplace_back([&, who] {
            try {
                auto client = connect();
                for (int n = 0; n < kInserts; ++n)
                    if (client
                            ->batch("INSERT INTO shared VALUES (" + std::to_string(who) + ", " +
                                    std::to_string(n) + ")")
                            .hasError())
                        ++failures;
            } catch (const std::exception&) {
                ++failures;
            }
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures, 0);
    const Reply r = connect()->batch("SELECT COUNT(*) AS n, COUNT(DISTINCT who) AS w FROM shared");
    EXPECT_EQ(r.results.at(0).rows[0][0], std::to_string(kClients * kInserts));
    EXPECT_EQ(r.results.at(0).rows[0][1], std::to_string(kClients));
}

TEST_F(ProtocolTest, ResetConnectionStartsAFreshSession) {
    auto client = connect();
    client->batch("CREATE TABLE #mine (a INT)");
    const Reply r = client->batch("SELECT * FROM #mine", 0x08);
    ASSERT_FALSE(r.envChanges.empty());
    EXPECT_EQ(r.envChanges[0].first, 18);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].number, 208) << "the temporary table went with the old session";
}

TEST_F(ProtocolTest, UseAndCreateDatabaseWorkOnTheDataFolder) {
    auto client = connect("master");
    EXPECT_FALSE(client->batch("CREATE DATABASE Mzdy").hasError());
    EXPECT_TRUE(std::filesystem::exists(folder_ / "Mzdy.db"));
    const Reply again = client->batch("CREATE DATABASE mzdy");
    ASSERT_EQ(again.messages.size(), 1u);
    EXPECT_EQ(again.messages[0].number, 1801);

    const Reply use = client->batch("USE [Mzdy]\nSELECT DB_NAME() AS db\nSELECT 1/0 AS x");
    ASSERT_EQ(use.envChanges.size(), 1u);
    EXPECT_EQ(use.envChanges[0], std::make_pair(std::uint8_t{1}, std::string("Mzdy")));
    EXPECT_EQ(use.results.at(0).rows[0][0], "Mzdy");
    ASSERT_EQ(use.messages.size(), 2u);
    EXPECT_EQ(use.messages[0].number, 5701);
    EXPECT_EQ(use.messages[1].number, 8134);
    EXPECT_EQ(use.messages[1].line, 3) << "lines count from the start of the batch";

    const Reply missing = client->batch("USE Nowhere\nSELECT 1");
    ASSERT_EQ(missing.messages.size(), 1u);
    EXPECT_EQ(missing.messages[0].number, 911);
    EXPECT_TRUE(missing.results.empty()) << "the batch stops at a database that does not exist";
    EXPECT_EQ(client->batch("SELECT DB_NAME() AS db").results.at(0).rows[0][0], "Mzdy");
}

TEST_F(ProtocolTest, TransactionRequestsBeginAndRollBack) {
    auto client = connect();
    client->batch("CREATE TABLE tx (a INT)");
    Bytes begin = client->allHeaders();
    begin.insert(begin.end(), {5, 0, 0, 0});
    client->sendMessage(0x0E, begin);
    const Reply begun = client->parse(*client->readMessage());
    ASSERT_EQ(begun.envChanges.size(), 1u) << begun.messageTexts();
    EXPECT_EQ(begun.envChanges[0].first, 8);
    EXPECT_EQ(client->batch("INSERT INTO tx VALUES (1)\nSELECT @@TRANCOUNT AS t").results.at(0).rows[0][0],
              "1");
    Bytes rollback = client->allHeaders();
    rollback.insert(rollback.end(), {8, 0, 0, 0});
    client->sendMessage(0x0E, rollback);
    const Reply rolled = client->parse(*client->readMessage());
    ASSERT_EQ(rolled.envChanges.size(), 1u) << rolled.messageTexts();
    EXPECT_EQ(rolled.envChanges[0].first, 10);
    EXPECT_EQ(client->batch("SELECT COUNT(*) AS n FROM tx").results.at(0).rows[0][0], "0");
}

} // namespace
} // namespace tsql::server::testing
