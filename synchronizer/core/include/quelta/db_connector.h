#pragma once
//! Quelta's query object: its own database connection, one statement, one open result.

#include "quelta/ini_file.h"
#include "quelta/user_interface.h"

#include "platform/db/connection.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quelta {

//! Section of Quelta's INI file that holds every key: "login" (empty: Windows authentication),
//! "password" (scrambled), "driver" (an ODBC driver name, or "embedded"), "datadir" (folder of the
//! embedded databases, relative to the INI file's folder; default "data"), "options" (further ODBC
//! keywords appended verbatim, e.g. "Encrypt=yes;"), "logintimeout" (seconds to wait while connecting).
inline constexpr std::string_view kIniSection = "settings";
//! ODBC driver used when the INI names none.
inline constexpr std::string_view kDefaultOdbcDriver = "ODBC Driver 18 for SQL Server";
//! Value of key "driver" that selects the embedded database engine.
inline constexpr std::string_view kEmbeddedDriver = "embedded";

//! The INI path of an executable: its path with the extension replaced by ".INI".
std::filesystem::path IniPathForExecutable(const std::filesystem::path& executable);
//! The INI path of this process: $QUELTA_INI when set, else beside the running executable.
std::filesystem::path DefaultIniPath();
//! Reads key `key` of section "settings" (missing file or key: `fallback`).
std::string ReadIniSetting(const std::filesystem::path& iniPath, std::string_view key,
                           std::string_view fallback = {});

//! What every connector of a run shares: where the INI file is and who asks for credentials.
struct ConnectorEnvironment {
    std::filesystem::path iniPath;
    LoginPrompt* loginPrompt = nullptr; //!< nullptr: a missing password ends the run as if cancelled
};

//! The host database seen through one connection, one statement text and one forward result.
//! The connection opens at the first statement. Errors of the database layer arrive as
//! EDatabaseError; strict reads of NULL and failed conversions as EConvertError.
class TDBConnector {
public:
    //! Credential logic and connection description, no database access. Throws ELoginCancelled
    //! when the login form is cancelled, EQueltaError when the INI file cannot be written.
    TDBConnector(const std::string& source, const std::string& catalog,
                 const ConnectorEnvironment& environment);
    ~TDBConnector();
    TDBConnector(const TDBConnector&) = delete;
    TDBConnector& operator=(const TDBConnector&) = delete;

    //! Runs the batch once and opens its first result set; a batch without one is an error
    //! (raised after the batch ran).
    void SQLExec(const std::string& query);
    //! Opens the batch's next result set after the current one (the batch ran once, at SQLExec); false, and
    //! no result open, when there is none.
    bool NextResult();
    //! Runs the batch and calls `onRow` for every row of its first result set while the rows arrive, without
    //! keeping them, so that a long result takes no more memory than a row: during a call the Field functions
    //! read that row (Eof is false, RecordCount unknown and 0). The connector must not run another batch from
    //! `onRow`; an exception of `onRow` stops the batch and reaches the caller. Returns the number of rows. A
    //! batch without a result set is an error, as for SQLExec.
    std::size_t ForEachRow(const std::string& query, const std::function<void()>& onRow);
    //! Runs the batch once without opening a result (for side effects that must happen once).
    void ExecSQL(const std::string& query);
    //! Reads TabHGlob.Legislativa: 0 gives "CZ", 1 gives "SK" (true); any other value false.
    bool SetLegislation();
    //! "CZ" or "SK" after a successful SetLegislation, empty before.
    const std::string& Legislation() const { return legislation_; }

    //! Writes a host journal entry (one batch through dbo.hp_ZapisDoZurnalu).
    void WriteJournal(int code, std::string_view text);

    bool Active() const { return result_.has_value(); } //!< a result set is open
    bool Eof() const;                                   //!< past the last row (or no result open)
    void Next();
    std::size_t RecordCount() const;
    void Close(); //!< closes the result set
    const std::string& SQLText() const { return sqlText_; }
    void ClearSQL() { sqlText_.clear(); }

    //! The field of the current row; EDatabaseError when there is no such field or no row.
    const platform::db::Value& FieldValue(std::string_view name) const;
    bool FieldIsNull(std::string_view name) const { return FieldValue(name).isNull(); }
    //! Text of a field, NULL giving "". BIT gives "True"/"False"; integers their decimal text;
    //! NUMERIC/DECIMAL/MONEY their exact text without trailing fraction zeros ("12.50" gives "12.5",
    //! "3.00" gives "3"); FLOAT up to 15 significant digits with "."; date-times "yyyy-mm-dd hh:nn:ss"
    //! ("yyyy-mm-dd" at midnight).
    std::string FieldAsString(std::string_view name) const;
    //! Text of a field; NULL is a conversion error.
    std::string FieldAsStringStrict(std::string_view name) const;
    std::int32_t FieldAsInteger(std::string_view name) const;
    std::int64_t FieldAsLargeInt(std::string_view name) const;
    double FieldAsFloat(std::string_view name) const;
    double FieldAsDateTime(std::string_view name) const;

    //! Parameter-marker parsing. Our database layer has no parameter markers, so statement
    //! text (colons included) always reaches the server unchanged; the flag is kept for callers.
    bool ParamCheck() const { return paramCheck_; }
    void SetParamCheck(bool on) { paramCheck_ = on; }

    const platform::db::ConnectionDescription& Description() const { return description_; }
    const ConnectorEnvironment& Environment() const { return environment_; }

private:
    platform::db::Connection& connection();
    platform::db::BatchResult run(const std::string& batch);

    ConnectorEnvironment environment_;
    platform::db::ConnectionDescription description_;
    std::unique_ptr<platform::db::Connection> connection_;
    std::string sqlText_;
    std::optional<platform::db::ResultSet> result_;
    std::vector<platform::db::ResultSet> laterResults_; //!< the batch's result sets after the open one
    std::size_t row_ = 0;
    const std::vector<platform::db::Value>* streamedRow_ = nullptr; //!< the row ForEachRow hands on
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    //! Column indexes of the open result by the field names asked for (nullopt: no such column), so that a
    //! row's many field reads do not each search the columns; looked up by the name as given, without a copy.
    mutable std::unordered_map<std::string, std::optional<std::size_t>, NameHash, std::equal_to<>>
        fieldIndexes_;
    std::string legislation_;
    bool paramCheck_ = true;
};

//! The journal batch: "DECLARE @IDZurnal INT" CR "EXECUTE dbo.hp_ZapisDoZurnalu <code>, -1, N'<text>' SELECT
//! @IDZurnal".
std::string JournalBatch(int code, std::string_view text);

//! Text of a database value as the workflows read it (NULL gives "").
std::string ValueAsText(const platform::db::Value& value);

} // namespace quelta
