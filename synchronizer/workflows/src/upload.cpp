// The code-list upload: deletions of the delete log, the records of the code list's query, the employees'
// family members and calendar assignment, the synchronization date and, for periods, the period lock.

#include "common/sql_text.h"
#include "quelta/errors.h"
#include "quelta/workflows/employee_queries.h"
#include "quelta/workflows/synch_sql.h"
#include "quelta/workflows/workflow_synch.h"

#include <vector>

namespace quelta {

namespace {

//! Log rows marked done per statement.
constexpr std::size_t kMarkBatch = 500;

//! The family members of an employee of the current period.
constexpr ColumnBinding kFamilyMember[] = {
    {"erpPk", "RodneCislo", ColumnRead::Lenient},
    {"dateOfBirth", "DatumNarozeni", ColumnRead::DateOnly},
    {"familyRelationshipErpPk", "Vztah", ColumnRead::Lenient},
    {"foreName", "Jmeno", ColumnRead::Lenient},
    {"surname", "Prijmeni", ColumnRead::Lenient},
};

//! Pending deletions of a code: the log row and the key to delete (the trigger's key, else the key column of
//! the host row the log names).
std::string deleteLogQuery(const std::string& keyColumn, const std::string& code, const std::string& table) {
    const std::string cr(CR);
    return "SELECT TabQUELTADeleteLog.ID AS IDLogu, ISNULL(PKRadku, t." + keyColumn +
           ") AS PK FROM TabQUELTADeleteLog" + cr + "LEFT OUTER JOIN " + table + " t ON t.ID = IDRadku" + cr +
           "WHERE Tabulka = " + common::SqlNString(code) + " AND SmazanoUplne = 0";
}

//! Marks the given log rows of a code as done.
std::string markDoneStatement(const std::string& code, const std::vector<std::int32_t>& ids, std::size_t from,
                              std::size_t to) {
    std::string list;
    for (std::size_t i = from; i < to; ++i) {
        if (i > from) list += ", ";
        list += common::SqlValue(ids[i]);
    }
    const std::string cr(CR);
    return "UPDATE TabQUELTADeleteLog SET SmazanoUplne = 1" + cr +
           "WHERE Tabulka = " + common::SqlNString(code) + " AND ID IN (" + list + ")" + cr + "SELECT 1";
}

} // namespace

void TWorkflowSynch::UploadToPortal(const std::string& list) {
    TDBConnector& db = Context().connector;
    if (list == kEmployeeCode &&
        !Service().findChangedDtos(NewRecord("EmployeeDto"), EmployeeCommitNumber()).empty()) {
        ShowMessage(kUndownloadedBeforeUpload);
        return;
    }

    // "citizenship" comes from the host's country table and has no settings row of its own.
    db.SQLExec(SettingsRowQuery(list == "citizenship" ? "country" : list));
    std::string name, table;
    if (!db.Eof()) {
        name = db.FieldAsString("Nazev");
        table = db.FieldAsString("Ciselnik");
    }
    db.Close();

    const CodeListDef* def = FindCodeListMapper(list);
    if (!def) return;
    const std::unique_ptr<TList> mapper = CreateMapper(*def, EmployeeMode::Upload);
    DeleteFromPortal(mapper->id, list, table);

    const bool employees = def->kind == MapperKind::Employee;
    const auto send = [&] {
        const soap::Record record = mapper->setProperties(db);
        // The call's arguments first: work handed to the endpoint belongs to the very next call.
        const std::string erpPk = record.getString("erpPk");
        // The employee's family members and calendars are read while the Portal stores the employee.
        if (employees) {
            const std::int32_t employeeId = db.FieldAsInteger("ID");
            Service().OverlapNextCall(
                [this, employeeId] { ExtraConnector().SQLExec(EmployeeExtrasBatch(employeeId)); });
        }
        Service().saveOrUpdateByDto(record, erpPk);
        if (employees) sendEmployeeExtras(db.FieldAsString("Cislo"));
        progress_.Step();
    };
    progress_.SetList(name);
    if (employees) {
        // A company's employees are many and their rows wide: each is sent as it arrives and none is kept,
        // so the progress pane's count comes from a query of its own (only the pane needs it).
        if (progress_.Interactive()) {
            db.SQLExec(EmployeeUploadCountQuery());
            const std::int32_t count = db.FieldAsInteger("Pocet");
            db.Close();
            progress_.SetRowcount(count);
            if (count == 0) return;
            progress_.Show();
        }
        db.ForEachRow(mapper->query, send);
    } else {
        db.SQLExec(mapper->query);
        progress_.SetRowcount(db.RecordCount());
        if (progress_.Interactive()) {
            if (db.Eof()) return;
            progress_.Show();
        }
        for (; !db.Eof(); db.Next())
            send();
    }
    db.SQLExec(StampDateStatement(list));
    db.Close();

    if (list == "period") LockUnlockCurrentPeriod();
}

void TWorkflowSynch::DeleteFromPortal(const std::string& keyColumn, const std::string& code,
                                      const std::string& table) {
    const CodeListDef* def = FindCodeListMapper(code);
    if (!def || !def->deletesOnPortal) return;
    if (table.empty())
        throw EQueltaError("Řádek '" + code +
                           "' tabulky TabQUELTANastaveniSynchronizace nemá vyplněný číselník (Ciselnik).");

    TDBConnector& db = Context().connector;
    db.SQLExec(deleteLogQuery(keyColumn, code, table));
    std::vector<std::int32_t> done;
    done.reserve(db.RecordCount());
    for (; !db.Eof(); db.Next()) {
        const std::string key = db.FieldAsStringStrict("PK");
        if (Service().getDtoByErpPk(NewRecord(def->recordType), key))
            Service().deleteByDto(NewRecord(def->recordType), key);
        done.push_back(db.FieldAsInteger("IDLogu"));
    }
    db.Close();
    // Only the rows read are marked: a deletion logged while this upload ran waits for the next one.
    for (std::size_t from = 0; from < done.size(); from += kMarkBatch) {
        db.SQLExec(markDoneStatement(code, done, from, std::min(done.size(), from + kMarkBatch)));
        db.Close();
    }
}

void TWorkflowSynch::sendEmployeeExtras(const std::string& employeeNumber) {
    TDBConnector& extra = ExtraConnector();
    for (; !extra.Eof(); extra.Next()) {
        soap::Record member = NewRecord("FamilyMemberDto");
        FillFromRow(member, extra, kFamilyMember);
        member.set("employeeErpPk", soap::Value(employeeNumber));
        Service().saveOrUpdateByDto(member, member.getString("erpPk"));
    }

    if (!extra.NextResult())
        throw EDatabaseError("Dotaz na kalendáře zaměstnance nevrátil sadu výsledků: " + extra.SQLText());
    for (; !extra.Eof(); extra.Next()) {
        soap::Record calendars = NewRecord("EmployeeCalendarsDto");
        soap::Array ids(*calendars.type().find("payrollCalendarErpPk")->type.array);
        ids.add(soap::Value(extra.FieldAsString("IDKalendara")));
        calendars.set("payrollCalendarErpPk", soap::Value(std::move(ids)));
        calendars.set("employeeErpPk", soap::Value(employeeNumber));
        calendars.set("erpPk", soap::Value(extra.FieldAsString("IDKalendaraZam")));
        Service().saveOrUpdateByDto(calendars, calendars.getString("erpPk"));
    }
    extra.Close();
}

} // namespace quelta
