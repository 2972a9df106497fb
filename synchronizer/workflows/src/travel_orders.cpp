// Travel orders: the download stages every order changed on the Portal with its costs, legs and fuel and lets
// the plug-in's import procedure turn the batch into host travel documents; the upload sends one document
// back once the checks allow it.

#include "quelta/workflows/travel_orders.h"

#include "common/sql_text.h"
#include "quelta/errors.h"
#include "quelta/portal/datetime.h"
#include "quelta/portal/endpoint.h"
#include "quelta/workflows/record_fill.h"
#include "quelta/workflows/synch_sql.h"
#include "quelta/workflows/workflow_synch.h"

#include <algorithm>

namespace quelta {

namespace {

constexpr std::string_view kOrderType = "TravelOrderDto";

using F = StagedFrom;

constexpr StagedValue kOrderValues[] = {
    {"BatchCommitNumber", F::Batch, ""},
    {"CommitNumber", F::Own, "commitNumber"},
    {"PortalID", F::Own, "portalId"},
    {"ErpPk", F::Own, "erpPk"},
    {"State", F::Own, "state"},
    {"CreatedAt", F::Own, "createdAt"},
    {"PersonalNumber", F::Own, "personalNumber"},
    {"DocumentNumberErp", F::Own, "documentNumberErp"},
    {"ActivityDestination", F::Own, "activityDestination"},
    {"TravelPurpose", F::Own, "travelPurpose"},
    {"StartTime", F::Own, "startTime"},
    {"EndTime", F::Own, "endTime"},
    {"TravelType", F::Own, "travelType"},
    {"ModeOfTransportErpPk", F::Own, "modeOfTransport"},
    {"VehicleErpPk", F::Own, "vehicleErpPk"},
    {"JobOrderErpPk", F::Own, "jobOrderErpPk"},
    {"CostPoolErpPk", F::Own, "costPoolErpPk"},
    {"DepartmentErpPk", F::Own, "departmentErpPk"},
    {"PocketMoney", F::Own, "pocketMoney"},
    {"PrivateCarCompensation", F::Own, "privateCarCompensation"},
    {"Cost", F::Own, "cost"},
    {"FuelCost", F::Own, "fuelCost"},
    {"Address", F::Own, "address"},
    {"DistanceForeign", F::Own, "distanceForeign"},
    {"DistanceTotal", F::Own, "distanceTotal"},
    {"FuelConsumption", F::Own, "fuelConsumption"},
    {"InputDestination", F::Own, "inputDestination"},
    {"OutputDestination", F::Own, "outputDestination"},
    {"PrivateCar", F::Own, "privateCar"},
    {"Note", F::Own, "note"},
    {"PayInDomestic", F::Own, "payInDomestic"},
    {"CostTotal", F::Own, "costTotal"},
};

constexpr StagedValue kCostValues[] = {
    {"BatchCommitNumber", F::Batch, ""},
    {"CommitNumber", F::Own, "commitNumber"},
    {"PortalID", F::Own, "portalId"},
    {"ErpPk", F::Own, "erpPk"},
    {"TravelOrderPortalID", F::Order, "portalId"},
    {"Amount", F::Own, "amount"},
    {"CurrencyErpPk", F::Own, "currencyErpPk"},
    {"Note", F::Own, "note"},
    {"TravelOrderCostTypeErpPk", F::Own, "travelOrderCostTypeErpPk"},
};

constexpr StagedValue kItemValues[] = {
    {"BatchCommitNumber", F::Batch, ""},
    {"CommitNumber", F::Own, "commitNumber"},
    {"PortalID", F::Own, "portalId"},
    {"ErpPk", F::Own, "erpPk"},
    {"TravelOrderPortalID", F::Order, "portalId"},
    {"CountryErpPk", F::Own, "countryErpPk"},
    {"CurrencyErpPk", F::Own, "currencyErpPk"},
    {"EndTime", F::Own, "endTime"},
    {"InputDestination", F::Own, "inputDestination"},
    {"ItemType", F::Own, "itemType"},
    {"OutputDestination", F::Own, "outputDestination"},
    {"PocketMoney", F::Own, "pocketMoney"},
    {"StartTime", F::Own, "startTime"},
    {"SubsistenceAllowance", F::Own, "subsistenceAllowance"},
};

constexpr StagedValue kFuelValues[] = {
    {"BatchCommitNumber", F::Batch, ""},
    {"CommitNumber", F::Own, "commitNumber"},
    {"PortalID", F::Own, "portalId"},
    {"ErpPk", F::Own, "erpPk"},
    {"TravelOrderPortalID", F::Order, "portalId"},
    {"CurrencyErpPk", F::Own, "currencyErpPk"},
    {"NumberOfLiters", F::Own, "numberOfLiters"},
    {"PricePerLiter", F::Own, "pricePerLiter"},
};

constexpr StagingProcedure kStaging[] = {
    {"hpx_Quelta_TravelOrder_InsertIntoImportTable", "", kOrderValues},
    {"hpx_Quelta_TravelOrderCost_InsertIntoImportTable", "costs", kCostValues},
    {"hpx_Quelta_TravelOrderItem_InsertIntoImportTable", "items", kItemValues},
    {"hpx_Quelta_TravelOrderFuel_InsertIntoImportTable", "fuel", kFuelValues},
};

//! The literal of a member by its declared type.
std::string memberLiteral(const soap::Record& record, std::string_view member) {
    const soap::MemberInfo* info = record.type().find(member);
    if (!info) throw std::logic_error(record.type().name() + " has no member " + std::string(member));
    switch (info->type.scalar) {
    case soap::Scalar::Int:
        return SqlInteger(record.getInt(member));
    case soap::Scalar::Long:
        return SqlInteger(record.getLong(member));
    case soap::Scalar::String:
    case soap::Scalar::SoapString:
        return common::SqlValue(common::VarUString{record.getString(member)});
    case soap::Scalar::Double:
        return common::SqlValue(record.getDouble(member));
    case soap::Scalar::Boolean:
        return record.getBoolean(member) ? "1" : "0";
    case soap::Scalar::DateTime: {
        // A date the Portal leaves out is staged as no date, like a zero date-time.
        const soap::Value& value = record.get(member);
        return common::SqlValue(
            common::VarDate{value.isNull() ? 0.0 : ToHostDateTime(std::optional(value.asDateTime()))});
    }
    default:
        throw std::logic_error("member " + std::string(member) + " cannot be staged");
    }
}

// Messages of the upload's checks, shown in both modes.
constexpr const char* kNotOnPortal1 = "Označený záznam se na portále nenachází (1)!";
constexpr const char* kNotFlagged = "Označený záznam není označen příznakem \u0001Na portál\u0001!";
constexpr const char* kNotExportable = "Označený záznam není ve stavu pro export!";
constexpr const char* kNotOnPortal2 = "Označený záznam se na portále nenachází (2)!";

//! Portal states the host may send (host states N, V and U).
constexpr std::string_view kExportableStates[] = {"ACCOUNTING_APPROVED", "FINAL_ACCOUNTING_DONE", "CLOSED"};

//! What of the host's document overwrites the Portal's order (NULL gives zero, the empty text or no date).
//! The trip's and the legs' start and end keep their time of day: the Portal computes allowances from the
//! hours, and the order comes back with these times in its final accounting.
constexpr ColumnBinding kOrder[] = {
    {"personalNumber", "personalNumber", ColumnRead::Lenient},
    {"erpPk", "erpPk", ColumnRead::Lenient},
    {"state", "state", ColumnRead::Lenient},
    {"documentNumberErp", "documentNumberErp", ColumnRead::Lenient},
    {"activityDestination", "activityDestination", ColumnRead::Lenient},
    {"travelPurpose", "travelPurpose", ColumnRead::Lenient},
    {"modeOfTransport", "modeOfTransportErpPk", ColumnRead::Lenient},
    {"vehicleErpPk", "vehicleErpPk", ColumnRead::Lenient},
    {"jobOrderErpPk", "jobOrderErpPk", ColumnRead::Lenient},
    {"costPoolErpPk", "costPoolErpPk", ColumnRead::Lenient},
    {"departmentErpPk", "departmentErpPk", ColumnRead::Lenient},
    {"travelType", "travelType", ColumnRead::Lenient},
    {"note", "note", ColumnRead::Lenient},
    {"createdAt", "createdAt", ColumnRead::DateOnly},
    {"startTime", "startTime", ColumnRead::DateTime},
    {"endTime", "endTime", ColumnRead::DateTime},
    {"pocketMoney", "pocketMoney", ColumnRead::Lenient},
    {"privateCarCompensation", "privateCarCompensation", ColumnRead::Lenient},
    {"cost", "cost", ColumnRead::Lenient},
    {"fuelCost", "fuelCost", ColumnRead::Lenient},
    {"costTotal", "costTotal", ColumnRead::Lenient},
    {"fuelConsumption", "fuelConsumption", ColumnRead::Lenient},
    {"distanceForeign", "distanceForeign", ColumnRead::Lenient},
    {"distanceTotal", "distanceTotal", ColumnRead::Lenient},
};

constexpr ColumnBinding kCost[] = {
    {"travelOrderCostTypeErpPk", "TravelOrderCostTypeErpPk", ColumnRead::Lenient},
    {"currencyErpPk", "CurrencyErpPk", ColumnRead::Lenient},
    {"amount", "Amount", ColumnRead::Lenient},
    {"note", "Note", ColumnRead::Lenient},
};

constexpr ColumnBinding kLeg[] = {
    {"countryErpPk", "CountryErpPk", ColumnRead::Lenient},
    {"currencyErpPk", "CurrencyErpPk", ColumnRead::Lenient},
    {"endTime", "EndTime", ColumnRead::DateTime},
    {"startTime", "StartTime", ColumnRead::DateTime},
    {"inputDestination", "InputDestination", ColumnRead::Lenient},
    {"itemType", "ItemType", ColumnRead::Lenient},
    {"outputDestination", "OutputDestination", ColumnRead::Lenient},
    {"pocketMoney", "PocketMoney", ColumnRead::Lenient},
    {"subsistenceAllowance", "SubsistenceAllowance", ColumnRead::Lenient},
};

constexpr ColumnBinding kFuel[] = {
    {"currencyErpPk", "CurrencyErpPk", ColumnRead::Lenient},
    {"numberOfLiters", "NumberOfLiters", ColumnRead::Lenient},
    {"pricePerLiter", "PricePerLiter", ColumnRead::Lenient},
};

//! The host's main currency, declared at the start of the three queries.
std::string mainCurrency() {
    const std::string cr(CR);
    return "DECLARE @HlavniMena NVARCHAR(3)" + cr +
           "SELECT TOP 1 @HlavniMena = Kod FROM TabKodMen WHERE HlavniMena = 1 ORDER BY ID" + cr;
}

// A cost or fuel purchase without a currency is in the main currency: the import stores it so (price in the
// main currency, none in a foreign one), and it must go back with that price, not with zero.
std::string costsQuery(const std::string& id) {
    const std::string cr(CR);
    return mainCurrency() +
           "SELECT k.Kod AS TravelOrderCostTypeErpPk, n.Mena AS CurrencyErpPk, n.Popis AS Note," + cr +
           "  CASE WHEN ISNULL(n.Mena, @HlavniMena) = @HlavniMena THEN n.CenaKc ELSE n.CenaVal END AS "
           "Amount" +
           cr + "FROM TabICestaNakl n" + cr + "LEFT OUTER JOIN TabINaklKod k ON k.ID = n.IDNaklKod" + cr +
           "WHERE n.IDCestak = " + id;
}

std::string legsQuery(const std::string& id) {
    const std::string cr(CR);
    return mainCurrency() + "DECLARE @VlastniZeme NVARCHAR(3)" + cr +
           "SELECT TOP 1 @VlastniZeme = ISOKod FROM TabZeme WHERE Vlastni = 1 ORDER BY ID" + cr +
           "SELECT DatCasPocatek AS StartTime, DatCasKonec AS EndTime, TypUseku AS ItemType," + cr +
           "  ISNULL(KodZeme, @VlastniZeme) AS CountryErpPk, ISNULL(Mena, @HlavniMena) AS CurrencyErpPk," +
           cr + "  Odkud AS InputDestination, Kam AS OutputDestination," + cr +
           "  CelkemStravne AS SubsistenceAllowance, CelkemKapesne AS PocketMoney" + cr +
           "FROM TabICestaUsek" + cr + "WHERE IDCestak = " + id;
}

std::string fuelQuery(const std::string& id) {
    const std::string cr(CR);
    return mainCurrency() +
           "SELECT c.KMCelkem AS Distance, c.KMZahr AS DistanceForeign, p.Litry AS NumberOfLiters, p.Mena AS "
           "CurrencyErpPk," +
           cr +
           "  CASE WHEN ISNULL(p.Mena, @HlavniMena) = @HlavniMena THEN p.CenaKc ELSE p.CenaVal END AS "
           "PricePerLiter" +
           cr + "FROM TabICestaPHM p" + cr + "LEFT OUTER JOIN TabICestak c ON c.ID = p.IDCestak" + cr +
           "WHERE p.IDCestak = " + id;
}

//! Replaces an array member of the order with one record per row of the query.
void replaceArray(soap::Record& order, std::string_view member, std::string_view elementType,
                  TDBConnector& db, const std::string& query, std::span<const ColumnBinding> bindings) {
    db.SQLExec(query);
    soap::Array array(*order.type().find(member)->type.array);
    for (; !db.Eof(); db.Next()) {
        soap::Record element = NewRecord(elementType);
        FillFromRow(element, db, bindings);
        array.add(soap::Value(std::move(element)));
    }
    db.Close();
    order.set(member, soap::Value(std::move(array)));
}

} // namespace

std::span<const StagingProcedure> TravelOrderStaging() {
    return kStaging;
}

std::string StagingStatement(const StagingProcedure& procedure, const soap::Record& staged,
                             const soap::Record& order, std::int64_t batch) {
    const std::string cr(CR);
    std::string text = "EXEC [dbo].[" + std::string(procedure.name) + "]" + cr + " ";
    bool first = true;
    for (const StagedValue& v : procedure.values) {
        if (!first) text += cr + ",";
        first = false;
        switch (v.from) {
        case StagedFrom::Batch:
            text += SqlInteger(batch);
            break;
        case StagedFrom::Own:
            text += memberLiteral(staged, v.member);
            break;
        case StagedFrom::Order:
            text += memberLiteral(order, v.member);
            break;
        }
    }
    return text;
}

TTravelOrder::TTravelOrder(RunContext& context, RpcKvaEndpoint& service)
    : context_(context)
    , service_(service) {}

void TTravelOrder::DownloadFromPortal() {
    TDBConnector& db = context_.connector;
    db.SQLExec("EXEC [dbo].[hpx_Quelta_TravelOrder_GetLatestCommitNumber]");
    const std::int64_t batch = db.FieldAsLargeInt("commitNumber");
    db.Close();

    const auto execute = [&db](const std::string& statement) {
        db.ExecSQL(statement);
        db.ClearSQL();
    };
    for (const soap::Record& order : service_.findChangedDtos(NewRecord(kOrderType), batch)) {
        if (!order.is(kOrderType))
            throw EInvalidCast("Invalid class typecast: a " + order.type().name() + " is not a " +
                               std::string(kOrderType));
        for (const StagingProcedure& procedure : kStaging) {
            if (procedure.arrayMember.empty()) {
                execute(StagingStatement(procedure, order, order, batch));
                continue;
            }
            const soap::Value& elements = order.get(procedure.arrayMember);
            if (elements.isNull()) continue;
            for (const soap::Value& element : elements.asArray().items())
                if (!element.isNull()) execute(StagingStatement(procedure, element.asRecord(), order, batch));
        }
    }
    // The whole batch or nothing: an error while importing leaves the host documents as they were and the
    // batch staged, so the next download imports it again.
    InTransaction(db, [&] { execute("EXEC [dbo].[hpx_Quelta_TravelOrder_ProcessImportBatch]"); });
}

void TTravelOrder::UploadToPortal(const std::string& entityId) {
    const std::string cr(CR);
    const std::string id = SqlInteger(EntityIdValue(entityId));
    TDBConnector& db = context_.connector;
    db.SQLExec("EXEC [dbo].[hpx_Quelta_GetTravelOrderByErpPk] " + id);
    if (db.FieldIsNull("portalID")) return context_.ui.ShowMessage(kNotOnPortal1);
    if (db.FieldAsString("toPortal") == "False") return context_.ui.ShowMessage(kNotFlagged);
    const std::string state = db.FieldAsString("state");
    if (std::find(std::begin(kExportableStates), std::end(kExportableStates), state) ==
        std::end(kExportableStates))
        return context_.ui.ShowMessage(kNotExportable);

    std::optional<soap::Record> found =
        service_.getDtoByPortalId(NewRecord(kOrderType), db.FieldAsInteger("portalID"));
    if (!found) return context_.ui.ShowMessage(kNotOnPortal2);
    soap::Record order = FoundOrNew(std::move(found), kOrderType);
    if (order.getLong("commitNumber") > db.FieldAsLargeInt("commitNumber"))
        return context_.ui.ShowMessage(kNewerOnPortal);

    FillFromRow(order, db, kOrder);
    order.set("payInDomestic", soap::Value(db.FieldAsString("payInDomestic") == "True"));
    order.set("privateCar", soap::Value(db.FieldAsString("modeOfTransportErpPk") == "S"));
    db.Close();
    replaceArray(order, "costs", "TravelOrderCostDto", db, costsQuery(id), kCost);
    replaceArray(order, "items", "TravelOrderItemDto", db, legsQuery(id), kLeg);
    replaceArray(order, "fuel", "TravelOrderFuelDto", db, fuelQuery(id), kFuel);
    service_.saveOrUpdateDtoByPortalId(order);

    db.SQLExec("IF NOT EXISTS (SELECT 0 FROM TabICestak_EXT WHERE ID = " + id + ")" + cr +
               "INSERT INTO TabICestak_EXT (ID) VALUES (" + id + ")" + cr + "UPDATE TabICestak_EXT SET" + cr +
               "  _Quelta_UploadDate = GETDATE()," + cr + "  _Quelta_UploadAuthor = SUSER_ID()" + cr +
               "WHERE ID = " + id + cr + "SELECT 1");
    db.Close();
}

void TWorkflowSynch::TravelOrderDownload() {
    TTravelOrder(Context(), Service()).DownloadFromPortal();
}

void TWorkflowSynch::TravelOrderUpload(const std::string& entityId) {
    TTravelOrder(Context(), Service()).UploadToPortal(entityId);
}

} // namespace quelta
