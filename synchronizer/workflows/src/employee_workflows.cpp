// The employee methods of the other direction: download of Portal changes into the staging table, save of one
// staged employee back to the Portal, and the check for changes not yet downloaded.

#include "common/sql_text.h"
#include "quelta/errors.h"
#include "quelta/workflows/employee_statement.h"
#include "quelta/workflows/synch_sql.h"
#include "quelta/workflows/workflow_synch.h"

#include <algorithm>
#include <charconv>

namespace quelta {

namespace {

constexpr std::string_view kEmployeeType = "EmployeeDto";

} // namespace

void TWorkflowSynch::DownloadEmployeesFromPortal() {
    TDBConnector& db = Context().connector;
    db.SQLExec("SELECT ISNULL(CommitNumber, 0) AS CommitNumber, Nazev" + std::string(CR) +
               "FROM TabQUELTANastaveniSynchronizace" + std::string(CR) +
               "WHERE Kod = " + common::SqlNString(kEmployeeCode));
    if (db.Eof()) throw MissingSettingsRow(kEmployeeCode);
    const std::int64_t commitNumber = db.FieldAsLargeInt("CommitNumber");
    const std::string name = db.FieldAsString("Nazev");
    db.Close();

    progress_.SetList(name);
    progress_.Show();
    std::int64_t highest = commitNumber;
    const std::vector<soap::Record> records =
        Service().findChangedDtos(NewRecord(kEmployeeType), commitNumber);
    progress_.SetRowcount(records.size());
    if (progress_.Interactive() && records.empty()) {
        ShowMessage(kNothingToDownload);
        return;
    }
    for (const soap::Record& record : records) {
        if (!record.is(kEmployeeType))
            throw EInvalidCast("Invalid class typecast: a " + record.type().name() + " is not a " +
                               std::string(kEmployeeType));
        db.ExecSQL(NewEmployeeStatement(record));
        progress_.Step();
        highest = std::max(highest, record.getLong("commitNumber"));
    }
    db.SQLExec("UPDATE TabQUELTANastaveniSynchronizace SET" + std::string(CR) + "  CommitNumber = " +
               SqlInteger(highest) + std::string(CR) + ", DatumSynchronizace = GETDATE()" + std::string(CR) +
               "WHERE Kod = " + common::SqlNString(kEmployeeCode) + std::string(CR) + "SELECT 1");
    db.Close();
}

void TWorkflowSynch::SaveEmployeeToPortal(const std::string& entityId) {
    TDBConnector& db = Context().connector;
    TEmployee mapper(EmployeeMode::Save, FLegislation(), Service(),
                     [this]() -> TDBConnector& { return ExtraConnector(); });
    db.SQLExec("DECLARE @ID INT" + std::string(CR) +
               "SET @ID = " + common::SqlValue(EntityIdValue(entityId)) + std::string(CR) + mapper.query);
    const std::int32_t portalId = db.FieldAsInteger("PortalID");
    const std::optional<soap::Record> onPortal =
        Service().getDtoByPortalId(NewRecord(kEmployeeType), portalId);
    if (onPortal) {
        const std::int64_t stagedCommit =
            db.FieldIsNull("CommitNumber") ? 0 : db.FieldAsLargeInt("CommitNumber");
        if (FoundOrNew(onPortal, kEmployeeType).getLong("commitNumber") > stagedCommit) {
            ShowMessage(kNewerOnPortal);
            return;
        }
    }
    Service().saveOrUpdateDtoByPortalId(mapper.setProperties(db));
    db.Close();
}

void TWorkflowSynch::CheckIfEmployeesAreDownloaded() {
    const bool nothing = Service().findChangedDtos(NewRecord(kEmployeeType), EmployeeCommitNumber()).empty();
    ShowMessage(nothing ? kAllDownloaded : kUndownloaded);
}

} // namespace quelta
