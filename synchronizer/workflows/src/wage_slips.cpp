// Wage slips: the PDF file of each selected payroll result goes into the month's slot of the employee's
// wage-slip record of the year on the Portal; afterwards exactly the results whose file went are marked sent.

#include "common/sql_text.h"
#include "quelta/errors.h"
#include "quelta/portal/endpoint.h"
#include "quelta/run.h"
#include "quelta/workflows/synch_sql.h"
#include "quelta/workflows/workflow_synch.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace quelta {

namespace {

constexpr const char* kCaption = "Odesílání výplatních pásek";
constexpr const char* kLabel1 = "Odesílání zaměstnance:";

//! The payroll results of the list with what names their files.
std::string resultsQuery(const std::string& list) {
    const std::string cr(CR);
    return "SELECT vyp.ID, zam.Cislo, obd.Rok, obd.Mesic, zam.PrijmeniJmeno" + cr + "FROM TabZamVyp vyp" +
           cr + "  LEFT OUTER JOIN TabCisZam zam ON zam.ID = vyp.ZamestnanecId" + cr +
           "  LEFT OUTER JOIN TabMzdObd obd ON vyp.IdObdobi = obd.IdObdobi" + cr + "WHERE vyp.ID IN (" +
           list + ")";
}

//! Marks the results of the list sent (their extension rows made where missing) or not sent.
std::string markStatement(const std::string& list, bool sent) {
    const std::string cr(CR);
    const std::string missingRows = "INSERT INTO TabZamVyp_EXT (ID)" + cr + "SELECT ID FROM TabZamVyp" + cr +
                                    "WHERE ID IN (" + list +
                                    ") AND ID NOT IN (SELECT ID FROM TabZamVyp_EXT)" + cr;
    return (sent ? missingRows : std::string()) + "UPDATE TabZamVyp_EXT SET" + cr +
           (sent ? "_QUELTA_AutorOdeslani = SUSER_SNAME()," + cr + "_QUELTA_DatumOdeslani = GETDATE()"
                 : "_QUELTA_AutorOdeslani = NULL," + cr + "_QUELTA_DatumOdeslani = NULL") +
           cr + "WHERE ID IN (" + list + ")" + cr + "SELECT 1";
}

//! The last `n` characters of `text`.
std::string lastChars(const std::string& text, std::size_t n) {
    return text.size() <= n ? text : text.substr(text.size() - n);
}

//! One payroll result as the wage-slip rule needs it.
struct PayrollResult {
    std::string id;
    std::string employee; //!< E: the last six digits of the zero-padded employee number
    std::string month;    //!< M: two digits
    std::string year;     //!< Y
    std::string name;     //!< surname and first name, for the progress pane
};

//! Reads the results of the list first, so that the shared connector is free for the journal while the files
//! go out.
std::vector<PayrollResult> readResults(TDBConnector& db, const std::string& list) {
    db.SQLExec(resultsQuery(list));
    std::vector<PayrollResult> results;
    results.reserve(db.RecordCount());
    for (; !db.Eof(); db.Next()) {
        PayrollResult r;
        r.id = db.FieldAsString("ID");
        r.employee = lastChars("000000" + db.FieldAsString("Cislo"), 6);
        r.month = lastChars("00" + db.FieldAsString("Mesic"), 2);
        r.year = std::to_string(db.FieldAsInteger("Rok"));
        r.name = db.FieldAsString("PrijmeniJmeno");
        results.push_back(std::move(r));
    }
    db.Close();
    return results;
}

//! What became of a wage-slip file.
enum class SlipFile : std::uint8_t { Read, Missing, Unreadable };

//! Reads the whole file into `bytes`; `error` says why an existing file could not be read.
SlipFile readSlip(const std::filesystem::path& path, soap::Bytes& bytes, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        if (!ec) return SlipFile::Missing;
        error = ec.message();
        return SlipFile::Unreadable;
    }
    const auto size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) {
        error = ec ? ec.message() : std::strerror(errno);
        return SlipFile::Unreadable;
    }
    bytes.resize(size);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)) ||
        in.peek() != std::char_traits<char>::eof()) {
        error = "soubor se během čtení změnil nebo jej nelze celý přečíst";
        return SlipFile::Unreadable;
    }
    return SlipFile::Read;
}

} // namespace

void TWorkflowSynch::SendWageSlip(const std::string& entityIds) {
    TDBConnector& db = Context().connector;
    db.SQLExec("SELECT TOP 1 WageSlipPath" + std::string(CR) + "FROM TabQUELTAHGlob");
    std::string folder = db.Eof() ? std::string() : db.FieldAsString("WageSlipPath");
    db.Close();
    if (folder.empty() || folder.back() != '/') folder += '/';

    const std::vector<PayrollResult> results = readResults(db, entityIds);
    progress_.SetCaption(kCaption, kLabel1);
    if (!progress_.StartOrTellNothing("", results.size())) return;

    std::string notSent;
    for (const PayrollResult& r : results) {
        progress_.SetList(r.name);
        const std::string key = r.year + r.employee;
        const std::string fileName = r.employee + r.month + r.year + ".PDF";
        // One file in memory at a time: read, sent, released before the next.
        soap::Bytes bytes;
        std::string error;
        const SlipFile file = readSlip(folder + fileName, bytes, error);
        if (file == SlipFile::Read) {
            soap::Record slip =
                FoundOrNew(Service().getDtoByErpPk(NewRecord("WageSlipDto"), key), "WageSlipDto");
            slip.set("erpPk", soap::Value(key));
            slip.set("employeeErpPk", soap::Value(std::to_string(std::stoll(r.employee))));
            slip.set("yearOWageSlip", soap::Value(static_cast<std::int64_t>(std::stoll(r.year))));
            const int month = std::stoi(r.month);
            if (month >= 1 && month <= 12)
                slip.set("month" + std::to_string(month - 1), soap::Value(std::move(bytes)));
            Service().saveOrUpdateByDto(slip, key);
        } else {
            // A file that cannot be read is reported with its name; the other slips still go, and its result
            // is not marked sent.
            if (file == SlipFile::Unreadable) {
                const std::string message =
                    "Výplatní pásku " + folder + fileName + " nelze přečíst: " + error;
                if (progress_.Interactive()) ShowMessage(ErrorBoxText("EQueltaError", message));
                db.WriteJournal(0, ErrorJournalText("EQueltaError", message));
                db.Close();
            }
            notSent += (notSent.empty() ? "" : ", ") + r.id;
        }
        progress_.Step();
    }

    // Both marks in one transaction: the results without a file are never left marked as sent.
    InTransaction(db, [&] {
        db.SQLExec(markStatement(entityIds, true));
        if (!notSent.empty()) db.SQLExec(markStatement(notSent, false));
        db.Close();
    });
}

} // namespace quelta
