#include "standins/portal/record_json.h"
#include "standins/portal/server.h"

#include "platform/soap/certificate_store.h"
#include "quelta/portal/endpoint.h"
#include "test_pki.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace standins::portal {
namespace {

using quelta::NewRecord;
using soap::Value;
using Json = nlohmann::ordered_json;
namespace pki_files = platform::soap::testing;

//! A stand-in on loopback with an admin client and a SOAP client; everything stops with the fixture.
class Portal {
public:
    explicit Portal(ServerOptions options = {})
        : server_(std::move(options)) {
        server_.start();
        admin_ = std::make_unique<httplib::Client>("127.0.0.1", server_.port());
    }
    ~Portal() {
        client_.reset();
        admin_.reset();
        server_.stop();
    }

    quelta::RpcKvaEndpoint& client(long timeoutSeconds = 5) {
        quelta::PortalClientOptions options;
        options.connectTimeoutSeconds = 5;
        options.timeoutSeconds = timeoutSeconds;
        client_ = quelta::CreateRpcKvaEndpoint(quelta::PortalSettings{server_.url(), 0, 0, "", ""}, options);
        return *client_;
    }

    Json admin(const std::string& path, const Json& body = Json::object()) {
        const auto result = admin_->Post(("/admin/" + path).c_str(), body.dump(), "application/json");
        if (!result) throw std::runtime_error("admin " + path + " unreachable");
        if (result->status != 200) throw std::runtime_error(result->body);
        return Json::parse(result->body);
    }
    //! Posts raw text to an admin endpoint; the status and the body of the answer.
    std::pair<int, std::string> adminRaw(const std::string& path, const std::string& body) {
        const auto result = admin_->Post(("/admin/" + path).c_str(), body, "application/json");
        if (!result) throw std::runtime_error("admin " + path + " unreachable");
        return {result->status, result->body};
    }
    Json adminGet(const std::string& path) {
        const auto result = admin_->Get(("/admin/" + path).c_str());
        if (!result || result->status != 200) throw std::runtime_error("admin " + path + " failed");
        return Json::parse(result->body);
    }
    PortalServer& server() { return server_; }

private:
    PortalServer server_;
    std::unique_ptr<httplib::Client> admin_;
    std::shared_ptr<quelta::RpcKvaEndpoint> client_;
};

soap::Record bank(const std::string& code, const std::string& name) {
    soap::Record record = NewRecord("BankCodeDto");
    record.set("code", Value(code));
    record.set("name", Value(name));
    return record;
}

std::vector<std::string> erpPks(const std::vector<soap::Record>& records) {
    std::vector<std::string> keys;
    for (const auto& record : records)
        keys.push_back(record.getString("erpPk"));
    return keys;
}

class StandinModes : public ::testing::TestWithParam<bool> {};

TEST_P(StandinModes, StoresRecordsByClassAndKeyWithOneCommitCounter) {
    ServerOptions options;
    options.multiRef = GetParam();
    Portal portal(options);
    auto& client = portal.client();

    EXPECT_EQ(client.echo("Příliš žluťoučký"), "Příliš žluťoučký");
    EXPECT_FALSE(client.getDtoByErpPk(NewRecord("BankCodeDto"), "0800").has_value());

    client.saveOrUpdateByDto(bank("0800", "Česká spořitelna"), "0800");
    soap::Record employee = NewRecord("EmployeeDto");
    employee.set("surname", Value("Nováková"));
    employee.set("photo", Value(soap::Bytes{0x89, 0x50, 0x4e, 0x47, 0x00, 0xff}));
    client.saveOrUpdateByDto(employee, "E1");
    client.saveOrUpdateByDto(bank("0100", "Komerční banka"), "0100");
    client.saveOrUpdateByDto(bank("0800", "ČS"), "0800"); // replaced: same Portal id, new commit

    const auto stored = client.getDtoByErpPk(NewRecord("BankCodeDto"), "0800");
    ASSERT_TRUE(stored.has_value());
    EXPECT_TRUE(stored->is("BankCodeDto"));
    EXPECT_EQ(stored->getString("name"), "ČS");
    EXPECT_EQ(stored->getInt("portalId"), 1);
    EXPECT_EQ(stored->getLong("commitNumber"), 4);
    EXPECT_FALSE(client.getDtoByErpPk(NewRecord("CityDto"), "0800").has_value());

    const auto byId = client.getDtoByPortalId(NewRecord("EmployeeDto"), 2);
    ASSERT_TRUE(byId.has_value());
    EXPECT_EQ(byId->getString("surname"), "Nováková");
    EXPECT_EQ(byId->get("photo"), employee.get("photo"));

    EXPECT_EQ(erpPks(client.findChangedDtos(NewRecord("BankCodeDto"), 0)),
              (std::vector<std::string>{"0100", "0800"}));
    EXPECT_EQ(erpPks(client.findChangedDtos(NewRecord("BankCodeDto"), 3)),
              (std::vector<std::string>{"0800"}));
    EXPECT_TRUE(client.findChangedDtos(NewRecord("BankCodeDto"), 4).empty());
    EXPECT_TRUE(client.findChangedDtos(NewRecord("CityDto"), 0).empty());

    soap::Record changed = NewRecord("EmployeeDto");
    changed.set("portalId", Value(std::int32_t{2}));
    changed.set("surname", Value("Dvořáková"));
    client.saveOrUpdateDtoByPortalId(changed);
    const auto after = client.getDtoByErpPk(NewRecord("EmployeeDto"), "E1");
    ASSERT_TRUE(after.has_value());
    EXPECT_EQ(after->getString("surname"), "Dvořáková");
    EXPECT_EQ(after->getLong("commitNumber"), 5);

    client.deleteByDto(NewRecord("BankCodeDto"), "0100");
    EXPECT_FALSE(client.getDtoByErpPk(NewRecord("BankCodeDto"), "0100").has_value());
    EXPECT_EQ(portal.adminGet("commit")["commit"], 6);

    changed.set("portalId", Value(std::int32_t{99}));
    EXPECT_THROW(client.saveOrUpdateDtoByPortalId(changed), quelta::ESOAPFault);
}

TEST_P(StandinModes, AgreedPreprocessEntriesAndChangesSentBack) {
    ServerOptions options;
    options.multiRef = GetParam();
    Portal portal(options);
    portal.admin("preprocess", Json::parse(R"([
        {"$type":"CashIncomeDto","id":10,"commitNumber":3,"state":"agreed","amount":1500.5,"employeeErpPk":"7"},
        {"$type":"CashIncomeDto","id":11,"commitNumber":4,"state":"new","amount":20,"employeeErpPk":"7"},
        {"$type":"CashIncomeDto","id":12,"commitNumber":8,"state":"agreed","amount":99,"employeeErpPk":"8"},
        {"$type":"RecordDto","id":20,"commitNumber":5,"state":"agreed","hours":7.5,
         "dateFrom":"2026-03-02T00:00:00+01:00","dateTo":"2026-03-03T00:00:00+01:00"}])"));
    auto& client = portal.client();

    auto ids = [](const std::vector<soap::Record>& entries) {
        std::vector<int> list;
        for (const auto& entry : entries)
            list.push_back(entry.getInt("id"));
        return list;
    };
    EXPECT_EQ(ids(client.findChangedAgreedCashIncomeDtos(0)), (std::vector<int>{10, 12}));
    EXPECT_EQ(ids(client.findChangedAgreedCashIncomeDtos(3)), (std::vector<int>{12}));
    const auto records = client.findChangedAgreedRecordDtos(0);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].get("dateFrom").asDateTime().offsetMinutes, 60);
    EXPECT_EQ(records[0].getDouble("hours"), 7.5);

    soap::Record correction = NewRecord("CashIncomesDto");
    correction.set("portalId", Value(std::int32_t{10}));
    correction.set("amount", Value(1600.0));
    correction.set("employeeErpPk", Value("7"));
    client.saveOrUpdateDtoByPortalId(correction);
    const auto again = client.findChangedAgreedCashIncomeDtos(8);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].getInt("id"), 10);
    EXPECT_EQ(again[0].getDouble("amount"), 1600.0);
    EXPECT_EQ(again[0].getLong("commitNumber"), 9);
}

INSTANTIATE_TEST_SUITE_P(InlineAndMultiRef, StandinModes, ::testing::Bool());

TEST(Standin, OperationsNoWorkflowCallsStillBehave) {
    Portal portal;
    auto& client = portal.client();

    soap::Record entity = NewRecord("BankCode");
    entity.set("name", Value("Fio"));
    client.saveOrUpdateByErpPk(entity, "2010");
    const auto byKey = client.getEntityByErpPk(NewRecord("BankCode"), "2010");
    ASSERT_TRUE(byKey.has_value());
    const std::int32_t id = byKey->getInt("id");
    EXPECT_EQ(byKey->getString("erpPk"), "2010");
    entity.set("name", Value("Fio banka"));
    client.saveOrUpdateByPortalId(entity, id);
    EXPECT_EQ(client.getEntityByPortalId(NewRecord("BankCode"), id)->getString("name"), "Fio banka");
    EXPECT_EQ(client.findChangedEntities(NewRecord("BankCode"), 1).size(), 1u);
    client.deleteByPortalId(NewRecord("BankCode"), id);
    EXPECT_FALSE(client.getEntityByErpPk(NewRecord("BankCode"), "2010").has_value());

    soap::Record income = NewRecord("CashIncomeDto");
    income.set("state", Value("agreed"));
    income.set("amount", Value(10.0));
    client.saveCashIncomeDtos(income);
    soap::Record absence = NewRecord("RecordDto");
    absence.set("state", Value("new"));
    client.saveRecordDtos(absence);
    EXPECT_EQ(client.findChangedAgreedCashIncomeDtos(0).size(), 1u);
    EXPECT_TRUE(client.findChangedAgreedRecordDtos(0).empty());

    soap::Record calendar = NewRecord("EmployeeCalendarDto");
    calendar.set("erpPk", Value("7"));
    client.saveEmployeeCalendarDto(calendar);
    EXPECT_EQ(portal.adminGet("records?type=EmployeeCalendarDto").size(), 1u);

    soap::Record day = NewRecord("PayrollCalendarDay");
    day.set("dayName", Value("pondělí"));
    const auto echoed = client.dummyMethod(day);
    ASSERT_TRUE(echoed.has_value());
    EXPECT_EQ(echoed->getString("dayName"), "pondělí");
}

TEST(Standin, InjectedFaultsEndInClearErrorsAndChangeNothing) {
    struct Case {
        const char* kind;
        const char* expectedClass;
        const char* textPart;
    };
    const Case cases[] = {
        {"soapFault", "ESOAPFault", "Záznam je zamčen"},
        {"http500", "EPortalConnection", "500"},
        {"truncated", "EPortalResponse", ""},
        {"doctype", "EPortalResponse", ""},
        {"danglingHref", "EPortalResponse", ""},
        {"cyclicHref", "EPortalResponse", ""},
        {"reset", "EPortalConnection", ""},
        {"noAnswer", "EPortalConnection", ""},
    };
    Portal portal;
    auto& client = portal.client(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        portal.admin("reset");
        portal.admin("faults", {{"operation", "saveOrUpdateByDto"},
                                {"call", 2},
                                {"kind", c.kind},
                                {"text", "Záznam je zamčen"}});
        client.saveOrUpdateByDto(bank("0800", "first"), "0800");
        try {
            client.saveOrUpdateByDto(bank("0100", "second"), "0100");
            ADD_FAILURE() << "no error";
        } catch (const quelta::EPortalError& error) {
            EXPECT_EQ(std::string(error.kind()), c.expectedClass) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.textPart), std::string::npos) << error.what();
        }
        client.saveOrUpdateByDto(bank("0300", "third"), "0300");
        EXPECT_EQ(erpPks(client.findChangedDtos(NewRecord("BankCodeDto"), 0)),
                  (std::vector<std::string>{"0800", "0300"}));
    }
}

TEST(Standin, AnAnswerSentByteByByteEndsAtTheCallTimeOut) {
    Portal portal;
    auto& client = portal.client(1);
    // About 400 bytes, one every 100 ms: fast enough for a no-data guard, far slower than the time-out.
    portal.admin("faults", {{"operation", "echo"}, {"kind", "drip"}, {"delayMs", 100}});
    try {
        client.echo("x");
        ADD_FAILURE() << "no error";
    } catch (const quelta::EPortalError& error) {
        EXPECT_EQ(std::string(error.kind()), "EPortalConnection") << error.what();
        EXPECT_NE(std::string(error.what()).find("timed out"), std::string::npos) << error.what();
    }
    EXPECT_EQ(client.echo("y"), "y");
}

TEST(Standin, SlowClientsDoNotStarveTheOthers) {
    Portal portal;
    // Sixteen clients that send a request head one byte every two seconds.
    std::vector<int> slow;
    for (int i = 0; i < 16; ++i) {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(portal.server().port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        slow.push_back(s);
    }
    std::thread dripping([&] {
        for (int round = 0; round < 2; ++round) {
            for (const int s : slow)
                ::send(s, "P", 1, MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::seconds(2));
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::string answer;
    try {
        answer = portal.client(3).echo("mezi pomalými");
    } catch (const std::exception& error) {
        answer = error.what();
    }
    dripping.join();
    EXPECT_EQ(answer, "mezi pomalými");
    // Each pause was longer than the stand-in waits for the rest of a request: it has closed them all.
    for (const int s : slow) {
        char byte = 0;
        errno = 0;
        EXPECT_LE(::recv(s, &byte, 1, MSG_DONTWAIT), 0);
        EXPECT_NE(errno, EAGAIN);
        ::close(s);
    }
}

TEST(Standin, RequestsItCannotServeSafelyAreRefusedWithAFault) {
    Portal portal;
    httplib::Client raw("127.0.0.1", portal.server().port());
    const auto request = [](const std::string& operation, const std::string& text) {
        return R"(<?xml version="1.0" encoding="UTF-8"?><soapenv:Envelope
 xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/" xmlns:xsd="http://www.w3.org/2001/XMLSchema"
 xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xmlns:svc="urn:quelta-portal:service"
 xmlns:other="urn:elsewhere"><soapenv:Body><)" +
               operation + R"(><in xsi:type="xsd:string">)" + text + "</in></" + operation +
               "></soapenv:Body></soapenv:Envelope>";
    };
    struct Case {
        std::string body;
        const char* error;
    };
    const Case cases[] = {
        {request("other:echo", "x"), "not in the service namespace"},
        {request("echo", "x"), "not in the service namespace"},
        {request("svc:echo", "Plze\xF2"), "not valid UTF-8"},
    };
    for (const auto& c : cases) {
        const auto answer = raw.Post("/portal", c.body, "text/xml; charset=utf-8");
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 500);
        EXPECT_NE(answer->body.find(c.error), std::string::npos) << answer->body;
        EXPECT_EQ(answer->body.find("Plze\xF2"), std::string::npos);
    }
    const auto served = raw.Post("/portal", request("svc:echo", "Plzeň"), "text/xml; charset=utf-8");
    ASSERT_TRUE(served);
    EXPECT_EQ(served->status, 200);
    EXPECT_NE(served->body.find("Plzeň"), std::string::npos) << served->body;
    EXPECT_EQ(portal.adminGet("calls")["echo"], 1);
}

TEST(Standin, WrongResultTypeIsRefused) {
    Portal portal;
    auto& client = portal.client();
    for (const char* operation : {"getDtoByErpPk", "findChangedDtos", "echo"}) {
        portal.admin("faults", {{"operation", operation}, {"kind", "wrongType"}});
    }
    EXPECT_THROW(client.getDtoByErpPk(NewRecord("BankCodeDto"), "0800"), quelta::EPortalError);
    EXPECT_THROW(client.findChangedDtos(NewRecord("BankCodeDto"), 0), quelta::EPortalError);
    EXPECT_THROW(client.echo("x"), quelta::EPortalError);
    EXPECT_EQ(portal.adminGet("calls")["echo"], 1);
}

TEST(Standin, AdminSeedsListsSavesAndLoads) {
    pki_files::TempFolder folder;
    const std::string file = (folder.path() / "portal.json").string();
    {
        ServerOptions options;
        options.stateDir = folder.path().string();
        Portal portal(options);
        portal.admin("records", Json::parse(R"([{"$type":"BankCodeDto","erpPk":"0800","name":"ČS"},
                                                {"$type":"CityDto","erpPk":"500","portalId":40}])"));
        EXPECT_THROW(portal.admin("records", Json::parse(R"({"$type":"NoSuchDto"})")), std::runtime_error);
        EXPECT_THROW(portal.admin("preprocess", Json::parse(R"({"$type":"BankCodeDto"})")),
                     std::runtime_error);
        EXPECT_THROW(portal.admin("faults", {{"operation", "echo"}, {"kind", "meltdown"}}),
                     std::runtime_error);
        // Counts that would wrap or be cut to a whole number are refused, not read as another count.
        for (const char* fault :
             {R"({"operation":"echo","call":1.5})", R"({"operation":"echo","call":4294967297})",
              R"({"operation":"echo","kind":"delay","delayMs":1e300})"})
            EXPECT_THROW(portal.admin("faults", Json::parse(fault)), std::runtime_error) << fault;
        EXPECT_THROW(portal.admin("state", Json::parse(R"({"nextId":4294967297})")), std::runtime_error);
        const Json listed = portal.adminGet("records?type=CityDto");
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0]["portalId"], 40);
        portal.admin("save", {{"path", "portal.json"}});
    }
    ServerOptions options;
    options.stateFile = file;
    Portal reloaded(options);
    auto& client = reloaded.client();
    const auto city = client.getDtoByPortalId(NewRecord("CityDto"), 40);
    ASSERT_TRUE(city.has_value());
    EXPECT_EQ(city->getString("erpPk"), "500");
    client.saveOrUpdateByDto(bank("0100", "KB"), "0100"); // ids and commits continue after the loaded ones
    const auto kb = client.getDtoByErpPk(NewRecord("BankCodeDto"), "0100");
    EXPECT_EQ(kb->getInt("portalId"), 41);
    EXPECT_EQ(kb->getLong("commitNumber"), 3);
    reloaded.admin("reset");
    EXPECT_TRUE(reloaded.adminGet("records").empty());
}

TEST(Standin, DeeplyNestedAdminJsonIsRefusedAndTheStandinGoesOn) {
    Portal portal;
    const std::string nested = std::string(70000, '[') + std::string(70000, ']');
    for (const char* endpoint : {"records", "preprocess", "faults", "state", "save", "load", "options"}) {
        SCOPED_TRACE(endpoint);
        const auto [status, body] = portal.adminRaw(endpoint, nested);
        EXPECT_EQ(status, 400);
        EXPECT_NE(body.find("nested deeper than 64 levels"), std::string::npos) << body.substr(0, 200);
    }
    const std::string notJson = "{\"records\": [tajné";
    const auto [status, body] = portal.adminRaw("state", notJson);
    EXPECT_EQ(status, 400);
    EXPECT_NE(body.find("not JSON at byte"), std::string::npos) << body;
    EXPECT_EQ(body.find("tajné"), std::string::npos) << body;
    EXPECT_EQ(portal.client().echo("dál"), "dál");
}

TEST(Standin, AdminSaveAndLoadStayInTheStateFolder) {
    pki_files::TempFolder folder;
    const auto outside = folder.path() / "outside.json";
    std::ofstream(outside) << "{}";
    std::filesystem::create_directory(folder.path() / "states");
    std::ofstream(folder.path() / "states" / "passwd") << "root:x:0:0:root:/root:/bin/bash\n";
    std::filesystem::create_symlink(outside, folder.path() / "states" / "link.json");
    std::filesystem::create_directory(folder.path() / "states" / "sub.json");

    {
        Portal withoutFolder;
        const auto [status, body] = withoutFolder.adminRaw("save", R"({"path":"portal.json"})");
        EXPECT_EQ(status, 400);
        EXPECT_NE(body.find("--state-dir"), std::string::npos) << body;
    }

    ServerOptions options;
    options.stateDir = (folder.path() / "states").string();
    Portal portal(options);
    struct Case {
        const char* endpoint;
        std::string path;
        const char* error;
    };
    const Case cases[] = {
        {"load", outside.string(), "plain file name"},
        {"save", outside.string(), "plain file name"},
        {"save", "../outside.json", "plain file name"},
        {"load", "/etc/passwd", "plain file name"},
        {"save", ".hidden", "plain file name"},
        {"save", "", "plain file name"},
        {"load", "link.json", "not a regular file"},
        {"load", "sub.json", "not a regular file"},
        {"load", "missing.json", "cannot read missing.json"},
        {"load", "passwd", "passwd is not a state file: not JSON at byte 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.endpoint) + " " + c.path);
        const auto [status, body] = portal.adminRaw(c.endpoint, Json{{"path", c.path}}.dump());
        EXPECT_EQ(status, 400);
        EXPECT_NE(body.find(c.error), std::string::npos) << body;
        EXPECT_EQ(body.find("root"), std::string::npos) << body;
    }
    EXPECT_EQ(pki_files::readText(outside), "{}");
    std::ofstream(folder.path() / "states" / "records.json") << R"({"records":[{"$type":"NoSuchDto"}]})";
    const auto [status, body] = portal.adminRaw("load", R"({"path":"records.json"})");
    EXPECT_EQ(status, 400);
    EXPECT_EQ(body.find("NoSuchDto"), std::string::npos) << body;
    EXPECT_NE(body.find("records.json is not a state file of the Portal stand-in"), std::string::npos)
        << body;
}

TEST(Standin, ListensOnLoopbackOnly) {
    ServerOptions options;
    options.host = "0.0.0.0";
    EXPECT_THROW(PortalServer{options}, std::runtime_error);
}

TEST(Standin, HttpsWithAClientCertificateFromAStoreFolder) {
    pki_files::TempFolder folder;
    const auto pki = pki_files::makeTlsPki(folder.path(), "/O=Firma/CN=Firma, a.s. Issuing CA", "3C4D");
    const soap::CertificateStoreRoots roots{pki.machineStores, pki.userStores};

    ServerOptions options;
    options.tlsCertificate = pki.serverCertificate.string();
    options.tlsKey = pki.serverKey.string();
    options.clientCa = pki.clientCa.string();
    PortalServer server(options);
    server.start();
    ASSERT_EQ(server.url().rfind("https://127.0.0.1:", 0), 0u);

    auto clientFor = [&](const std::string& serial) {
        soap::TransportOptions transportOptions;
        transportOptions.caFile = pki.serverCa.string();
        auto transport = std::make_shared<soap::HttpTransport>(transportOptions);
        transport->setPreRequestHook(soap::certificateHook({2, 0, "Firma, a.s. Issuing CA", serial}, roots));
        const std::string url = server.url();
        return quelta::CreateRpcKvaEndpoint(
            [transport, url](std::string_view body) {
                return transport->post(url, body,
                                       {{"Content-Type", "text/xml; charset=utf-8"}, {"SOAPAction", "\"\""}});
            },
            url);
    };
    EXPECT_EQ(clientFor("3C4D")->echo("přes TLS"), "přes TLS");
    try {
        clientFor("3c4d")->echo("x");
        ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what())
                      .find("V úložišti My, nenalezen certifikát : SN=3c4d,CA=Firma, a.s. Issuing CA"),
                  std::string::npos)
            << error.what();
    }
    server.stop();
}

} // namespace
} // namespace standins::portal
