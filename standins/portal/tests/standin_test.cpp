#include "standins/portal/record_json.h"
#include "standins/portal/server.h"

#include "platform/soap/certificate_store.h"
#include "quelta/portal/endpoint.h"
#include "test_pki.h"

#include <gtest/gtest.h>
#include <httplib.h>

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
        Portal portal;
        portal.admin("records", Json::parse(R"([{"$type":"BankCodeDto","erpPk":"0800","name":"ČS"},
                                                {"$type":"CityDto","erpPk":"500","portalId":40}])"));
        EXPECT_THROW(portal.admin("records", Json::parse(R"({"$type":"NoSuchDto"})")), std::runtime_error);
        EXPECT_THROW(portal.admin("preprocess", Json::parse(R"({"$type":"BankCodeDto"})")),
                     std::runtime_error);
        EXPECT_THROW(portal.admin("faults", {{"operation", "echo"}, {"kind", "meltdown"}}),
                     std::runtime_error);
        const Json listed = portal.adminGet("records?type=CityDto");
        ASSERT_EQ(listed.size(), 1u);
        EXPECT_EQ(listed[0]["portalId"], 40);
        portal.admin("save", {{"path", file}});
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
