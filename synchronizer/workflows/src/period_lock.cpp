// The period lock: the Portal's copy of the current payroll period is "Locked" as soon as payment orders
// exist for it, "Unlocked" otherwise.

#include "quelta/portal/endpoint.h"
#include "quelta/workflows/synch_sql.h"
#include "quelta/workflows/workflow_synch.h"

namespace quelta {

namespace {

//! The current period and whether payment orders exist for it (domestic ones of type 0, or foreign ones).
std::string paymentOrdersQuery() {
    const std::string cr(CR);
    return "DECLARE @IDObdobi INT" + cr + "SET @IDObdobi = (SELECT IDObdobi FROM TabMzdObd WHERE Stav = 1)" +
           cr + "IF EXISTS (" + cr + "SELECT * FROM TabPlatTuz" + cr +
           "WHERE TypPrikazu = 0 AND IdMzdObd = @IDObdobi" + cr + ") OR EXISTS (" + cr +
           "SELECT * FROM TabPlatZahr" + cr + "WHERE IdMzdObd = @IDObdobi" + cr +
           ") SELECT @IdObdobi AS IDObdobi, 1 AS IfExists" + cr +
           "ELSE SELECT @IdObdobi AS IDObdobi, 0 AS IfExists";
}

} // namespace

void TWorkflowSynch::LockUnlockCurrentPeriod() {
    TDBConnector& db = Context().connector;
    db.SQLExec(paymentOrdersQuery());
    const std::string period = db.FieldAsString("IDObdobi");
    const bool paymentOrders = db.FieldAsInteger("IfExists") != 0;
    db.Close();

    // A period the Portal does not know is left alone.
    std::optional<soap::Record> record = Service().getDtoByErpPk(NewRecord("PeriodDto"), period);
    if (!record) return;
    record->set("state", soap::Value(paymentOrders ? "Locked" : "Unlocked"));
    Service().saveOrUpdateByDto(*record, record->getString("erpPk"));
}

} // namespace quelta
