// Travel orders on the demo host against the Portal stand-in, quelta run as a process in silent mode: an
// order made on the Portal becomes a host travel document, its final accounting follows, and a document goes
// back once its checks allow it.

#include "scenario_support.h"

using namespace scenario;

namespace {

constexpr const char* kNotFlagged = "Označený záznam není označen příznakem \u0001Na portál\u0001!\n";
constexpr const char* kNewerOnPortal = "Na portále se nachází novější verze označeného záznamu!\n";

class TravelOrders : public Scenario {
protected:
    //! An order of employee 101 to Brno by company car, with two legs, a cost and a fuel purchase.
    static Json Order(const std::string& state, long long commit, const std::string& documentNumber = "") {
        return {{"$type", "TravelOrderDto"},
                {"portalId", 650},
                {"commitNumber", commit},
                {"state", state},
                {"documentNumberErp", documentNumber},
                {"createdAt", "2013-12-15T00:00:00.000Z"},
                {"personalNumber", 101},
                {"activityDestination", "Brno, Lidická 12"},
                {"travelPurpose", "Jednání se zákazníkem"},
                {"startTime", "2013-12-16T07:00:00.000Z"},
                {"endTime", "2013-12-16T19:30:00.000Z"},
                {"travelType", "M"},
                {"modeOfTransport", "A"},
                {"vehicleErpPk", "1AB 2345"},
                {"distanceTotal", 412.6},
                {"payInDomestic", true},
                {"items", Json::array({{{"$type", "TravelOrderItemDto"},
                                        {"portalId", 7101},
                                        {"countryErpPk", "CZ"},
                                        {"itemType", "M"},
                                        {"inputDestination", "Praha"},
                                        {"outputDestination", "Brno"},
                                        {"startTime", "2013-12-16T07:00:00.000Z"},
                                        {"endTime", "2013-12-16T12:00:00.000Z"}},
                                       {{"$type", "TravelOrderItemDto"},
                                        {"portalId", 7102},
                                        {"countryErpPk", "CZ"},
                                        {"itemType", "M"},
                                        {"inputDestination", "Brno"},
                                        {"outputDestination", "Praha"},
                                        {"startTime", "2013-12-16T12:00:00.000Z"},
                                        {"endTime", "2013-12-16T19:30:00.000Z"}}})},
                {"costs", Json::array({{{"$type", "TravelOrderCostDto"},
                                        {"portalId", 7001},
                                        {"amount", 350.0},
                                        {"currencyErpPk", "CZK"},
                                        {"note", "Parkování"},
                                        {"travelOrderCostTypeErpPk", "PARK"}}})},
                {"fuel", Json::array({{{"$type", "TravelOrderFuelDto"},
                                       {"portalId", 7201},
                                       {"currencyErpPk", "CZK"},
                                       {"numberOfLiters", 30.0},
                                       {"pricePerLiter", 36.5}}})}};
    }
    //! The host document of Portal order 650: ID, number, state, Portal state, its legs, costs and fuel
    //! purchases, and whether allowances were computed.
    std::string Document() {
        return Value("SELECT CAST(c.ID AS NVARCHAR(10)) + N'|' + c.CisDok + N'|' + c.Stav + N'|' + "
                     "e._Quelta_State + N'|' + CAST(e._Quelta_CommitNumber AS NVARCHAR(10)) + N'|' + "
                     "CAST((SELECT COUNT(*) FROM TabICestaUsek u WHERE u.IDCestak = c.ID) AS NVARCHAR(5)) + "
                     "N'|' + CAST((SELECT COUNT(*) FROM TabICestaNakl n WHERE n.IDCestak = c.ID) AS "
                     "NVARCHAR(5)) + N'|' + CAST((SELECT COUNT(*) FROM TabICestaPHM p WHERE p.IDCestak = "
                     "c.ID) AS NVARCHAR(5)) + N'|' + CASE WHEN c.CelkemDiety > 0 THEN N'allowances' ELSE "
                     "N'none' END FROM TabICestak c JOIN TabICestak_EXT e ON e.ID = c.ID WHERE "
                     "e._Quelta_PortalID = 650");
    }
};

} // namespace

TEST_F(TravelOrders, AnOrderGoesThroughEveryStateInOneHostDocumentWithItsTimes) {
    portal.Seed(Order("FOR_ACCOUNTING", 100));
    RunSilently("travelorderdownload");
    const std::string document = Document();
    const std::string id = document.substr(0, document.find('|'));
    EXPECT_EQ(document, id + "|1008|O|O|100|2|1|1|allowances");

    // The clerk sets a state, quelta sends it; the Portal answers with the next state, which the download
    // brings into the same document. The employee comes back later than planned in the final accounting.
    struct Step {
        const char* hostState;
        const char* sent;
        const char* portalNext; //!< none after the last upload
        const char* received;   //!< the exchange state it gives
        const char* document;   //!< and the document's own state
    };
    constexpr Step kCycle[] = {
        {"N", "ACCOUNTING_APPROVED", "FINAL_ACCOUNTING", "L", "O"},
        {"V", "FINAL_ACCOUNTING_DONE", "FINAL_ACCOUNTING_APPROVED", "S", "S"},
        {"U", "CLOSED", nullptr, nullptr, nullptr},
    };
    std::string returned = "2013-12-16T19:30:00.000Z";
    for (const Step& step : kCycle) {
        SCOPED_TRACE(step.hostState);
        Exec(std::string("UPDATE TabICestak_EXT SET _Quelta_State = '") + step.hostState +
             "' WHERE ID = " + id);
        RunSilently("travelorderupload", "", id);
        Json sent = portal.Records("TravelOrderDto").at(0);
        EXPECT_EQ(sent.value("state", ""), step.sent);
        EXPECT_EQ(sent.value("documentNumberErp", ""), "1008");
        EXPECT_EQ(sent.value("startTime", ""), "2013-12-16T07:00:00.000Z");
        EXPECT_EQ(sent.value("endTime", ""), returned);
        const Json legs = sent.value("items", Json::array());
        ASSERT_EQ(legs.size(), 2u);
        EXPECT_EQ(legs[0].value("startTime", ""), "2013-12-16T07:00:00.000Z");
        EXPECT_EQ(legs[0].value("endTime", ""), "2013-12-16T12:00:00.000Z");
        EXPECT_EQ(legs[1].value("endTime", ""), returned);
        EXPECT_GT(sent.value("pocketMoney", 0.0), 0.0) << "the host's allowances";
        if (!step.portalNext) break;

        returned = "2013-12-16T20:15:00.000Z";
        sent["state"] = step.portalNext;
        sent["commitNumber"] = 0; // a new change on the Portal
        sent["endTime"] = returned;
        sent["items"][1]["endTime"] = returned;
        portal.Seed(sent);
        RunSilently("travelorderdownload");
        EXPECT_EQ(Document(), id + "|1008|" + step.document + "|" + step.received + "|" +
                                  std::to_string(portal.Commit()) + "|2|1|1|allowances");
        EXPECT_EQ(Rows("SELECT CONVERT(NVARCHAR(19), DatCasPocatek, 120) + N'-' + CONVERT(NVARCHAR(19), "
                       "DatCasKonec, 120) FROM TabICestaUsek WHERE IDCestak = " +
                       id + " ORDER BY DatCasPocatek"),
                  (std::vector<std::string>{"2013-12-16 07:00:00-2013-12-16 12:00:00",
                                            "2013-12-16 12:00:00-2013-12-16 20:15:00"}));
    }
    EXPECT_EQ(Value("SELECT COUNT(*) FROM TabICestak_EXT WHERE _Quelta_PortalID = 650"), "1");
    EXPECT_TRUE(ErrorEntries().empty());
}

TEST_F(TravelOrders, UploadSendsAnExportableFlaggedDocument) {
    const std::string id =
        Value("SELECT ID FROM TabICestak_EXT WHERE _Quelta_State = 'N' AND _Quelta_ToPortal = 1");
    const std::string portalId = Value("SELECT _Quelta_PortalID FROM TabICestak_EXT WHERE ID = " + id);
    const long long commit =
        std::stoll(Value("SELECT _Quelta_CommitNumber FROM TabICestak_EXT WHERE ID = " + id));
    Json order = {{"$type", "TravelOrderDto"},
                  {"portalId", std::stoi(portalId)},
                  {"commitNumber", commit},
                  {"state", "FOR_ACCOUNTING"},
                  {"note", "z portálu"}};
    portal.Seed(order);

    RunSilently("travelorderupload", "", id);
    const Json sent = portal.Records("TravelOrderDto").at(0);
    EXPECT_EQ(sent.value("state", ""), "ACCOUNTING_APPROVED");
    EXPECT_EQ(sent.value("erpPk", ""), id);
    EXPECT_EQ(sent.value("activityDestination", ""), "Ostrava");
    EXPECT_EQ(sent.value("items", Json::array()).size(),
              std::stoul(Value("SELECT COUNT(*) FROM TabICestaUsek WHERE IDCestak = " + id)));
    EXPECT_EQ(
        Value("SELECT CASE WHEN _Quelta_UploadDate IS NULL THEN 'no' ELSE 'yes' END FROM TabICestak_EXT "
              "WHERE ID = " +
              id),
        "yes");

    // Refusals: the Portal holds a newer version; the document is not flagged.
    order["commitNumber"] = commit + 5;
    portal.Seed(order);
    EXPECT_EQ(site.Quelta("travelorderupload", "", "1", id).err, kNewerOnPortal);
    EXPECT_EQ(portal.Records("TravelOrderDto").at(0).value("state", ""), "FOR_ACCOUNTING");
    Exec("UPDATE TabICestak_EXT SET _Quelta_ToPortal = 0 WHERE ID = " + id);
    EXPECT_EQ(site.Quelta("travelorderupload", "", "1", id).err, kNotFlagged);
    EXPECT_TRUE(ErrorEntries().empty());
}
