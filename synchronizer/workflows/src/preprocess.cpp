// The exchange of preprocessing records with the Portal, one pass per kind: the rows changed here go to the
// Portal, the agreed records changed there are stored in TabQUELTAWSPreprocess, and the highest commit
// received is kept.

#include "quelta/workflows/payroll_components.h"

#include "common/sql_text.h"
#include "quelta/errors.h"
#include "quelta/portal/datetime.h"
#include "quelta/portal/endpoint.h"
#include "quelta/workflows/record_fill.h"
#include "quelta/workflows/synch_sql.h"
#include "quelta/workflows/workflow_synch.h"

#include <algorithm>
#include <charconv>
#include <memory>

namespace quelta {

namespace {

//! How a received value is written into the statement.
enum class Literal : std::uint8_t {
    Integer, //!< decimal integer
    Amount,  //!< cash incomes "%.2f", records general notation; exactly 0 gives NULL
    General, //!< general notation with "." (up to 15 significant digits); exactly 0 gives NULL
    Date,    //!< 'yyyymmdd' of the date, time dropped; absent gives NULL
    Text,    //!< N'...'; empty gives NULL
    Number,  //!< the text as it came, unquoted, after checking it is an integer; empty gives NULL
};

//! A column of TabQUELTAWSPreprocess and its Portal fields, in the order of the insert's column list.
struct PreprocessField {
    std::string_view column;
    std::string_view sent;     //!< member of CashIncomesDto / RecordsDto filled from the column; empty: none
    std::string_view received; //!< member of CashIncomeDto / RecordDto
    Literal literal;
    bool recordOnly = false; //!< a column of time records only
    bool insertOnly = false; //!< not in the update's SET list
};

constexpr PreprocessField kFields[] = {
    {"commitNumber", "", "commitNumber", Literal::Integer},
    {"portalID", "portalId", "id", Literal::Integer, false, true},
    {"amount", "amount", "amount", Literal::Amount},
    {"hours", "hours", "hours", Literal::General, true},
    {"dateFrom", "", "dateFrom", Literal::Date, true},
    {"dateTo", "", "dateTo", Literal::Date, true},
    {"costPoot", "costPootErpPk", "costPootErpPk", Literal::Text},
    {"department", "departmentErpPk", "departmentErpPk", Literal::Text},
    {"employeeErpPk", "employeeErpPk", "employeeErpPk", Literal::Number},
    {"jobOrder", "jobOrderErpPk", "jobOrderErpPk", Literal::Text},
    {"payrollComponentsType", "payrollComponentsTypeCode", "payrollComponentsTypeCode", Literal::Number},
    {"period", "periodErpPk", "periodErpPk", Literal::Number},
    {"vehicle", "vehicleErpPk", "vehicleErpPk", Literal::Text},
};

using FindAgreed = std::vector<soap::Record> (RpcKvaEndpoint::*)(std::int64_t);

//! One kind of preprocessing record.
struct PreprocessPass {
    PreprocessKind kind;
    std::string_view code;         //!< its row of TabQUELTANastaveniSynchronizace
    std::string_view sentType;     //!< what goes to the Portal
    std::string_view receivedType; //!< what comes back
    std::string_view changedRows;  //!< the rows to send: this text, the stored commit, then `ofClass`
    std::string_view ofClass;
    FindAgreed findAgreed;
};

constexpr PreprocessPass kPasses[] = {
    {PreprocessKind::CashIncome, "cashincome", "CashIncomesDto", "CashIncomeDto",
     "SELECT payrollComponentsType, employeeErpPk, period, commitNumber, portalID, amount, costPoot, "
     "department, "
     "jobOrder, vehicle FROM TabQUELTAWSPreprocess WHERE CommitNumber > ",
     " AND PreprocessClass LIKE 'CashIncome'", &RpcKvaEndpoint::findChangedAgreedCashIncomeDtos},
    {PreprocessKind::Record, "record", "RecordsDto", "RecordDto",
     "SELECT payrollComponentsType, employeeErpPk, dateFrom, dateTo, hours, period, commitNumber, portalID, "
     "amount, costPoot, department, jobOrder, vehicle  FROM TabQUELTAWSPreprocess WHERE CommitNumber > ",
     " AND PreprocessClass LIKE 'Record'", &RpcKvaEndpoint::findChangedAgreedRecordDtos},
};

bool applies(const PreprocessField& field, PreprocessKind kind) {
    return !field.recordOnly || kind == PreprocessKind::Record;
}

//! A key the statement takes unquoted: pasted only when it is an integer, so that nothing the Portal sends
//! can become part of the statement.
std::string numberLiteral(const std::string& text, std::string_view member) {
    std::string_view digits = text;
    if (digits.size() > 1 && digits.front() == '-') digits.remove_prefix(1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        digits.empty())
        throw EConvertError("Hodnota '" + text + "' položky " + std::string(member) +
                            " z portálu není celé číslo.");
    return text;
}

std::string receivedLiteral(const PreprocessField& field, PreprocessKind kind, const soap::Record& dto) {
    const soap::Value& value = dto.get(field.received);
    switch (field.literal) {
    case Literal::Integer:
        return SqlInteger(value.kind() == soap::Value::Kind::Int ? dto.getInt(field.received)
                                                                 : dto.getLong(field.received));
    case Literal::Amount:
    case Literal::General: {
        const double number = dto.getDouble(field.received);
        if (number == 0) return "NULL";
        const bool twoDecimals = field.literal == Literal::Amount && kind == PreprocessKind::CashIncome;
        return common::SqlFloat(twoDecimals ? "%.2f" : "%.15g", number);
    }
    case Literal::Date:
        if (value.isNull()) return "NULL";
        return common::SqlDate(ToHostDate(value.asDateTime()));
    case Literal::Text: {
        const std::string text = dto.getString(field.received);
        return text.empty() ? "NULL" : common::SqlNString(text);
    }
    case Literal::Number: {
        const std::string text = dto.getString(field.received);
        return text.empty() ? "NULL" : numberLiteral(text, field.received);
    }
    }
    throw std::logic_error("unknown literal kind");
}

//! The stored commit as its text and as a number (0 when the text is none).
struct StoredCommit {
    std::string text;
    std::int64_t number = 0;
};

StoredCommit readStoredCommit(TDBConnector& db, std::string_view code) {
    db.SQLExec(
        "SELECT ISNULL(CommitNumber, 0) AS CommitNumber FROM TabQUELTANastaveniSynchronizace WHERE Kod "
        "LIKE " +
        common::SqlNString(code));
    if (db.Eof()) throw MissingSettingsRow(code);
    StoredCommit stored;
    stored.text = db.FieldAsString("CommitNumber");
    const auto r =
        std::from_chars(stored.text.data(), stored.text.data() + stored.text.size(), stored.number);
    if (r.ec != std::errc() || r.ptr != stored.text.data() + stored.text.size()) stored.number = 0;
    db.Close();
    return stored;
}

//! One pass of a kind on a connector of its own.
void runPass(RunContext& context, RpcKvaEndpoint& service, const PreprocessPass& pass) {
    const std::unique_ptr<TDBConnector> db = context.NewConnector();
    const StoredCommit stored = readStoredCommit(*db, pass.code);

    // Rows changed here (a local edit sets the row's commit above the stored one), deleted ones included.
    db->SQLExec(std::string(pass.changedRows) + stored.text + std::string(pass.ofClass));
    for (; !db->Eof(); db->Next()) {
        soap::Record dto = NewRecord(pass.sentType);
        for (const PreprocessField& field : kFields)
            if (applies(field, pass.kind) && !field.sent.empty())
                SetMemberFromColumn(dto, *db, {field.sent, field.column, ColumnRead::Lenient});
        dto.set("commitNumber", soap::Value(stored.number));
        service.saveOrUpdateDtoByPortalId(dto);
    }
    db->Close();

    // Agreed records changed on the Portal; a record received again updates its row in place.
    std::int64_t highest = stored.number;
    for (const soap::Record& received : (service.*pass.findAgreed)(stored.number)) {
        if (!received.is(pass.receivedType))
            throw EInvalidCast("Invalid class typecast: a " + received.type().name() + " is not a " +
                               std::string(pass.receivedType));
        db->SQLExec(PreprocessReceiptStatement(pass.kind, received));
        db->Close();
        highest = std::max(highest, received.getLong("commitNumber"));
    }
    db->SQLExec("UPDATE TabQUELTANastaveniSynchronizace SET CommitNumber = " + SqlInteger(highest) +
                ", DatumSynchronizace = GETDATE() WHERE Kod LIKE '" + std::string(pass.code) + "' SELECT 1");
    db->Close();
}

} // namespace

std::string PreprocessReceiptStatement(PreprocessKind kind, const soap::Record& received) {
    const std::string id = SqlInteger(received.getInt("id"));
    std::string update = "UPDATE TabQUELTAWSPreprocess SET ";
    std::string columns, values;
    for (const PreprocessField& field : kFields) {
        if (!applies(field, kind)) continue;
        const std::string literal = receivedLiteral(field, kind, received);
        if (!field.insertOnly) update += std::string(field.column) + " = " + literal + ", ";
        columns += std::string(columns.empty() ? "" : ", ") + std::string(field.column);
        values += std::string(values.empty() ? "" : ", ") + literal;
    }
    update += " deleted=0 WHERE PortalID = " + id + " ";
    return "IF EXISTS (SELECT 1 FROM TabQUELTAWSPreprocess WHERE PortalID = " + id + ") " + update +
           " ELSE INSERT INTO TabQUELTAWSPreprocess (" + columns + ") VALUES (" + values + " )" + " SELECT 1";
}

void TQUELTAPayrollComponents::PreprocessCashIncome() {
    runPass(context_, service_, kPasses[0]);
}

void TQUELTAPayrollComponents::PreprocessRecord() {
    runPass(context_, service_, kPasses[1]);
}

void TQUELTAPayrollComponents::Preprocess() {
    PreprocessCashIncome();
    PreprocessRecord();
}

void TWorkflowSynch::Preprocess() {
    TQUELTAPayrollComponents(Context(), Service()).Preprocess();
}

void TWorkflowSynch::CashIncome() {
    TQUELTAPayrollComponents(Context(), Service()).PreprocessCashIncome();
}

void TWorkflowSynch::Records() {
    TQUELTAPayrollComponents(Context(), Service()).PreprocessRecord();
}

} // namespace quelta
