// The server's pieces without a network: the wire form of values and types, the text it writes for the
// engine, the login and PRELOGIN records, and the statements it carries out itself.

#include "literal.h"
#include "login.h"
#include "parameters.h"
#include "prelogin.h"
#include "rpc.h"
#include "server_statements.h"
#include "tds_client.h"
#include "type_encoding.h"

#include "tsql/convert.h"
#include "tsql/engine.h"
#include "tsql/format.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace tsql::server {
namespace {

std::string hex(const Bytes& b) {
    std::string out;
    char buffer[4];
    for (auto x : b) {
        std::snprintf(buffer, sizeof buffer, "%02X ", x);
        out += buffer;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

Protocol protocol(std::uint32_t version) {
    Protocol p;
    p.version = version;
    return p;
}

//! TYPE_INFO and value of a column as the server writes them.
std::string encoded(const Type& type, const Value& v, std::uint32_t version = kTds74) {
    Bytes out;
    ByteWriter w(out);
    const WireType t = wireType(type, protocol(version));
    writeTypeInfo(w, t);
    writeValue(w, t, v);
    return hex(out);
}

Value text(const std::string& s, const Type& type) {
    return convert(Value::nVarChar(s), type);
}

TEST(Wire, TextToAndFromUtf16) {
    // Plain ASCII takes a shorter way than other text; both must give the same units.
    const struct {
        const char* name;
        std::string utf8;
        std::string utf16;
    } cases[] = {
        {"empty", "", ""},
        {"ascii with a NUL and DEL", std::string("a\0\x7F", 3), "61 00 00 00 7F 00"},
        {"ascii, then beyond it", "ab\xC2\x80", "61 00 62 00 80 00"},
        {"czech", "Dvořák", "44 00 76 00 6F 00 59 01 E1 00 6B 00"},
        {"surrogate pair", "a😀", "61 00 3D D8 00 DE"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes b = toUtf16Le(c.utf8);
        EXPECT_EQ(hex(b), c.utf16);
        EXPECT_EQ(fromUtf16Le(b.data(), b.size()), c.utf8);
    }
    // An unpaired surrogate after ASCII becomes U+FFFD; an odd last byte is dropped.
    const Bytes broken = {0x41, 0x00, 0x00, 0xD8, 0x42, 0x00, 0x43};
    EXPECT_EQ(fromUtf16Le(broken.data(), broken.size()), "A\xEF\xBF\xBD"
                                                         "B");
    Bytes out;
    ByteWriter w(out);
    w.u16(0x1234);
    w.u32be(0x01020304);
    w.u64(0x0807060504030201);
    EXPECT_EQ(hex(out), "34 12 01 02 03 04 01 02 03 04 05 06 07 08");
}

TEST(TypeEncoding, WritesTheFormsClientsRead) {
    const struct {
        const char* what;
        Type type;
        Value value;
        std::uint32_t version;
        const char* expected;
    } cases[] = {
        {"int", Type::integer(), Value::integer(7), kTds74, "26 04 04 07 00 00 00"},
        {"NULL int", Type::integer(), Value::null(Type::integer()), kTds74, "26 04 00"},
        {"negative smallint", Type::smallInt(), Value::integer(-2, Type::smallInt()), kTds74,
         "26 02 02 FE FF"},
        {"bit", Type::bit(), Value::bit(true), kTds74, "68 01 01 01"},
        {"money: high half first", Type::money(), Value::decimal(Decimal(-1, 4), Type::money()), kTds74,
         "6E 08 08 FF FF FF FF FF FF FF FF"},
        {"numeric sign byte and magnitude", Type::numeric(5, 2),
         Value::decimal(Decimal(-12345, 2), Type::numeric(5, 2)), kTds74, "6C 05 05 02 05 00 39 30 00 00"},
        {"datetime days and ticks", Type::dateTime(), Value::dateTime(DateTime(1, 300)), kTds74,
         "6F 08 08 01 00 00 00 2C 01 00 00"},
        {"varchar in code page 1250", Type::varChar(5), text("řŽ", Type::varChar(5)), kTds74,
         "A7 05 00 05 04 D0 00 00 02 00 F8 8E"},
        {"nvarchar with a surrogate pair", Type::nVarChar(4), text("a😀", Type::nVarChar(4)), kTds74,
         "E7 08 00 05 04 D0 00 00 06 00 61 00 3D D8 00 DE"},
        {"ascii nvarchar", Type::nVarChar(4), text("ab", Type::nVarChar(4)), kTds74,
         "E7 08 00 05 04 D0 00 00 04 00 61 00 62 00"},
        {"nvarchar longer than its column is cut to it", Type::nVarChar(2), Value::nVarChar("abc"), kTds74,
         "E7 04 00 05 04 D0 00 00 04 00 61 00 62 00"},
        {"NULL nvarchar", Type::nVarChar(4), Value::null(Type::nVarChar(4)), kTds74,
         "E7 08 00 05 04 D0 00 00 FF FF"},
        {"nvarchar(max) as PLP", Type::nVarChar(Type::kMax), text("ab", Type::nVarChar(Type::kMax)), kTds74,
         "E7 FF FF 05 04 D0 00 00 04 00 00 00 00 00 00 00 04 00 00 00 61 00 62 00 00 00 00 00"},
        {"NULL varbinary(max)", Type::varBinary(Type::kMax), Value::null(Type::varBinary(Type::kMax)), kTds74,
         "A5 FF FF FF FF FF FF FF FF FF FF"},
        {"nvarchar(max) as ntext for 7.1", Type::nVarChar(Type::kMax), text("a", Type::nVarChar(Type::kMax)),
         kTds71,
         "63 FE FF FF 7F 05 04 D0 00 00 10 FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF 00 00 00 00 00 00 "
         "00 "
         "00 02 00 00 00 61 00"},
        {"NULL image", Type::image(), Value::null(Type::image()), kTds74, "22 FF FF FF 7F 00"},
        {"date: days since year one", Type::date(), Value::date(Date(0)), kTds74, "28 03 5B 95 0A"},
        {"time(3): milliseconds since midnight", Type::time(3),
         Value::time(TimeOfDay(TimeOfDay::kUnitsPerSecond / 2), Type::time(3)), kTds74,
         "29 03 04 F4 01 00 00"},
        {"date as text for 7.2", Type::date(), Value::date(Date(1)), kTds72,
         "E7 14 00 05 04 D0 00 00 14 00 31 00 39 00 30 00 30 00 2D 00 30 00 31 00 2D 00 30 00 32 00"},
        {"uniqueidentifier in its stored order", Type::uniqueIdentifier(),
         Value::guid(parseGuid("00112233-4455-6677-8899-AABBCCDDEEFF")), kTds74,
         "24 10 10 33 22 11 00 55 44 77 66 88 99 AA BB CC DD EE FF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(encoded(c.type, c.value, c.version), c.expected) << c.what;
}

TEST(TypeEncoding, ValuesComeBackThroughTheParameterReader) {
    const Decimal big = *Decimal::parse("-12345678901234567890123456789012345.678");
    const Value values[] = {
        Value::integer(-2147483647 - 1),
        Value::bigInt(-9223372036854775807LL - 1),
        Value::integer(255, Type::tinyInt()),
        Value::bit(false),
        Value::floating(0.1),
        Value::floating(1.5f, Type::real()),
        Value::decimal(big, Type::numeric(38, 3)),
        Value::decimal(*Decimal::parse("922337203685477.5807"), Type::money()),
        Value::dateTime(*DateTime::fromParts(9999, 12, 31, 23, 59, 59, 997)),
        text("Příliš žluťoučký kůň", Type::varChar(40)),
        text("😀 ⅓", Type::nVarChar(Type::kMax)),
        Value::bytes({0, 1, 255}, Type::varBinary(3)),
        Value::guid(parseGuid("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")),
        Value::date(*Date::fromParts(1, 1, 1)),
        Value::date(*Date::fromParts(9999, 12, 31)),
        Value::time(TimeOfDay::fromParts(23, 59, 59, 9999999), Type::time(7)),
        Value::time(TimeOfDay::fromParts(6, 0, 0, 0), Type::time(0)),
    };
    for (const auto& v : values) {
        SCOPED_TRACE(v.type().name() + " " + formatForShell(v));
        Bytes param = {0, 0};
        ByteWriter w(param);
        const WireType t = wireType(v.type(), protocol(kTds74));
        writeTypeInfo(w, t);
        writeValue(w, t, v);
        ByteReader r(param);
        const RpcParameter p = readParameter(r);
        EXPECT_TRUE(r.atEnd());
        EXPECT_EQ(formatForShell(convert(p.value, v.type())), formatForShell(v));
    }
}

TEST(Literals, ReadBackAsTheSameValueInTheEngine) {
    auto session = Database::open({})->connect("sa");
    const Value values[] = {
        Value::null(Type::integer()),
        Value::integer(-2147483647 - 1),
        Value::bigInt(-9223372036854775807LL - 1),
        Value::bit(true),
        Value::decimal(*Decimal::parse("-1234567.891"), Type::numeric(10, 3)),
        Value::decimal(*Decimal::parse("-0.0001"), Type::money()),
        Value::floating(0.1),
        Value::floating(-1.0e-300),
        Value::floating(3.25f, Type::real()),
        Value::dateTime(*DateTime::fromParts(2024, 2, 29, 23, 59, 58, 997)),
        Value::varChar("it's"),
        Value::nVarChar("Žluťoučký 😀"),
        Value::varBinary({0, 0xAB, 0xFF}),
        Value::varBinary({}),
        Value::guid(parseGuid("6F9619FF-8B86-D011-B42D-00C04FC964FF")),
        Value::date(*Date::fromParts(1, 1, 1)),
        Value::time(TimeOfDay::fromParts(13, 14, 15, 1234567), Type::time(7)),
    };
    for (const auto& v : values) {
        const std::string sql = "SELECT " + literal(v) + " AS v";
        const BatchOutput out = session->execute(sql);
        ASSERT_FALSE(out.hasErrors()) << sql;
        ASSERT_EQ(out.events.size(), 1u) << sql;
        const Value back = out.events[0].rows.rows.at(0).at(0);
        EXPECT_EQ(formatForShell(v.isNull() ? back : convert(back, v.type())), formatForShell(v)) << sql;
    }
}

TEST(Declarations, SplitNamesTypesAndOutputAndStandInForMissingTypes) {
    const auto d =
        parseDeclarations(" @P1 int, @P2 nvarchar(10) OUTPUT,@p3 decimal(10, 2) out, @d datetime2(7)");
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[0].name, "@P1");
    EXPECT_EQ(d[0].typeText, "int");
    EXPECT_FALSE(d[0].output);
    EXPECT_EQ(d[1].typeText, "nvarchar(10)");
    EXPECT_TRUE(d[1].output);
    EXPECT_EQ(d[2].typeText, "decimal(10, 2)");
    EXPECT_TRUE(d[2].output);
    EXPECT_EQ(d[3].typeText, "datetime") << "datetime2 stands in as datetime";
    EXPECT_TRUE(parseDeclarations("").empty());
    for (const char* bad : {"P1 int", "@P1", "@P1 int,", "@P1 int; DROP TABLE x"})
        EXPECT_THROW(parseDeclarations(bad), SqlError) << bad;
}

TEST(Rpc, ProcedureCallsNameEachPartInBrackets) {
    PreparedStatements prepared;
    const struct {
        const char* name;
        const char* target; //!< nullptr: refused with 2812
    } cases[] = {
        {"dbo.p", "[dbo].[p]"},
        {"[dbo].[p x]", "[dbo].[p x]"},
        {"Tarvik..hp_ZapisDoZurnalu;1", "[Tarvik]..[hp_ZapisDoZurnalu]"},
        {"p]; DROP TABLE t --", nullptr},
        {"a.b.c.d.e", nullptr},
    };
    for (const auto& c : cases) {
        RpcRequest request;
        request.name = c.name;
        const RpcPlan plan = planRpc(request, prepared);
        if (!c.target) {
            ASSERT_TRUE(plan.error) << c.name;
            EXPECT_EQ(plan.error->number, 2812);
        } else {
            EXPECT_NE(plan.batch.find(std::string("EXEC @__tds_status = ") + c.target + ";"),
                      std::string::npos)
                << plan.batch;
        }
    }
}

TEST(ServerStatements, RecogniseUseAndCreateDatabaseKeepingLineNumbers) {
    auto use = leadingServerStatement("-- pick\n  USE [Tar]]vik];\nSELECT 1");
    EXPECT_EQ(use.kind, ServerStatement::Kind::Use);
    EXPECT_EQ(use.name, "Tar]vik");
    EXPECT_EQ(std::count(use.rest.begin(), use.rest.end(), '\n'), 2) << "lines kept";
    EXPECT_NE(use.rest.find("SELECT 1"), std::string::npos);
    EXPECT_EQ(use.rest.find("USE"), std::string::npos);

    const auto create = leadingServerStatement("CREATE DATABASE Mzdy2024 ;");
    EXPECT_EQ(create.kind, ServerStatement::Kind::CreateDatabase);
    EXPECT_EQ(create.name, "Mzdy2024");
    for (const char* other : {"CREATE DATABASE x COLLATE Czech_CI_AS", "CREATE TABLE x (a int)", "SELECT 1",
                              "/* unclosed USE x", "USE"})
        EXPECT_EQ(leadingServerStatement(other).kind, ServerStatement::Kind::None) << other;
    EXPECT_TRUE(isBlankBatch(" ;\n-- nothing\n/* at /* all */ */ ;"));
    EXPECT_FALSE(isBlankBatch("; SELECT 1"));
}

TEST(PreLogin, EncryptionFollowsTheClientWhenTheServerHasACertificate) {
    const struct {
        Encryption client;
        bool certificate;
        Encryption answer;
        Security security;
    } cases[] = {
        {Encryption::Off, false, Encryption::NotSupported, Security::Plain},
        {Encryption::On, false, Encryption::NotSupported, Security::Plain},
        {Encryption::NotSupported, true, Encryption::NotSupported, Security::Plain},
        {Encryption::Off, true, Encryption::Off, Security::LoginOnly},
        {Encryption::On, true, Encryption::On, Security::Full},
        {Encryption::Required, true, Encryption::On, Security::Full},
    };
    for (const auto& c : cases) {
        const auto choice = chooseEncryption(c.client, c.certificate);
        EXPECT_EQ(choice.answer, c.answer);
        EXPECT_EQ(choice.security, c.security);
    }
    const PreLoginRequest request =
        parsePreLogin({0x00, 0x00, 0x10, 0x00, 0x06, 0x01, 0x00, 0x16, 0x00, 0x01, 0x02, 0x00, 0x17, 0x00,
                       0x04, 0xFF, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 'S',  'Q',  'L',  0x00});
    EXPECT_EQ(request.encryption, Encryption::On);
    EXPECT_EQ(request.instance, "SQL");
    EXPECT_THROW(parsePreLogin({0x01, 0x00, 0x40, 0x00, 0x01, 0xFF}), ProtocolError);
    EXPECT_EQ(parsePreLogin(buildPreLoginResponse(Encryption::Off)).encryption, Encryption::Off);
}

TEST(Login7, ReadsTheFieldsAndTheScrambledPassword) {
    const Bytes record = testing::login7("sa", "Heslo-ř 1", "Tarvik", kTds73B, 8192);
    const LoginRequest login = parseLogin7(record);
    EXPECT_EQ(login.tdsVersion, kTds73B);
    EXPECT_EQ(login.packetSize, 8192u);
    EXPECT_EQ(login.userName, "sa");
    EXPECT_EQ(login.password, "Heslo-ř 1");
    EXPECT_EQ(login.database, "Tarvik");
    EXPECT_EQ(login.appName, "tds-test");

    Bytes outside = record;
    outside[40] = 0xF0; // the user name's offset
    EXPECT_THROW(parseLogin7(outside), ProtocolError);
    EXPECT_THROW(parseLogin7(Bytes(record.begin(), record.begin() + 60)), ProtocolError);

    EXPECT_TRUE((Account{"sa", "x"}.accepts("SA", "x")));
    EXPECT_FALSE((Account{"sa", "x"}.accepts("sa", "X")));
    EXPECT_FALSE((Account{"sa", "x"}.accepts("sa", "x ")));
}

TEST(Versions, ClientsGetTheirOwnVersionUpTo74) {
    EXPECT_EQ(negotiateVersion(kTds71), kTds71);
    EXPECT_EQ(negotiateVersion(kTds72), kTds72);
    EXPECT_EQ(negotiateVersion(kTds73A), kTds73A);
    EXPECT_EQ(negotiateVersion(kTds73B), kTds73B);
    EXPECT_EQ(negotiateVersion(kTds74), kTds74);
    EXPECT_EQ(negotiateVersion(0x75000000), kTds74);
    EXPECT_EQ(negotiateVersion(kTds70), 0u);
}

} // namespace
} // namespace tsql::server
