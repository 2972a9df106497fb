#include "quelta/db_connector.h"

#include "common/ascii.h"
#include "common/sql_text.h"
#include "quelta/errors.h"
#include "quelta/scramble.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <system_error>

namespace quelta {

namespace db = platform::db;

namespace {

//! The content of a new INI file.
const std::vector<std::string> kDefaultIni = {"[settings]", "login=sa", "password="};

// Runs a database call, turning the database layer's errors into Quelta's kinds.
template <typename F> auto translated(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const db::DbError& e) {
        throw EDatabaseError(e.what(), e.number(), e.severity());
    } catch (const db::ConnectionError& e) {
        throw EDatabaseError(e.what());
    } catch (const db::ConversionError& e) {
        throw EConvertError(e.what());
    }
}

[[noreturn]] void cannotConvert(std::string_view field, const db::Value& v, const char* target) {
    if (v.isNull())
        throw EConvertError("Pole '" + std::string(field) + "' je NULL a nelze je číst jako " + target);
    throw EConvertError("Hodnotu '" + ValueAsText(v) + "' pole '" + std::string(field) +
                        "' nelze převést na " + target);
}

std::int64_t toInteger(std::string_view field, const db::Value& v) {
    switch (v.kind()) {
    case db::ValueKind::Int:
        return v.asInt();
    case db::ValueKind::Bool:
        return v.asBool() ? 1 : 0;
    case db::ValueKind::Float:
    case db::ValueKind::Decimal: {
        double d = 0;
        if (v.kind() == db::ValueKind::Float) {
            d = v.asFloat();
        } else { // from_chars: the decimal point is "." whatever locale the window system set
            const std::string& t = v.asDecimal().text;
            const auto r = std::from_chars(t.data(), t.data() + t.size(), d);
            if (r.ec != std::errc() || r.ptr != t.data() + t.size()) cannotConvert(field, v, "celé číslo");
        }
        if (!std::isfinite(d) || std::fabs(d) >= 9.2e18) cannotConvert(field, v, "celé číslo");
        return static_cast<std::int64_t>(std::nearbyint(d));
    }
    case db::ValueKind::Text: {
        const std::string& t = v.asText();
        std::int64_t n = 0;
        const char* begin = t.data();
        const char* end = t.data() + t.size();
        while (begin < end && *begin == ' ')
            ++begin;
        while (end > begin && end[-1] == ' ')
            --end;
        if (begin < end && *begin == '+') ++begin;
        const auto r = std::from_chars(begin, end, n);
        if (r.ec != std::errc() || r.ptr != end || begin == end) cannotConvert(field, v, "celé číslo");
        return n;
    }
    default:
        cannotConvert(field, v, "celé číslo");
    }
}

} // namespace

std::filesystem::path IniPathForExecutable(const std::filesystem::path& executable) {
    auto path = executable;
    path.replace_extension(".INI");
    return path;
}

std::filesystem::path DefaultIniPath() {
    if (const char* overridden = std::getenv("QUELTA_INI"); overridden && *overridden) return overridden;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) throw EQueltaError("Nelze zjistit cestu k programu: " + ec.message());
    return IniPathForExecutable(self);
}

std::string ReadIniSetting(const std::filesystem::path& iniPath, std::string_view key,
                           std::string_view fallback) {
    std::error_code ec;
    if (!std::filesystem::exists(iniPath, ec)) return std::string(fallback);
    return IniFile::Load(iniPath).Read(kIniSection, key, fallback);
}

TDBConnector::TDBConnector(const std::string& source, const std::string& catalog,
                           const ConnectorEnvironment& environment)
    : environment_(environment) {
    const auto& path = environment_.iniPath;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) IniFile(kDefaultIni).Save(path);
    IniFile ini = IniFile::Load(path);
    std::string login = ini.Read(kIniSection, "login");
    const std::string stored = ini.Read(kIniSection, "password");

    if (!login.empty() && stored.empty()) {
        if (!environment_.loginPrompt) throw ELoginCancelled();
        const auto answer = environment_.loginPrompt->Ask(login);
        if (!answer) throw ELoginCancelled();
        login = answer->windowsAuthentication ? std::string() : answer->login;
        const std::string password = answer->windowsAuthentication ? std::string() : answer->password;
        ini.Write(kIniSection, "login", login);
        ini.Write(kIniSection, "password", Scramble(password));
        ini.Save(path);
        ini = IniFile::Load(path);
    }

    description_.server = source;
    description_.database = catalog;
    description_.login = login;
    description_.password = Unscramble(ini.Read(kIniSection, "password"));
    const std::string driver = ini.Read(kIniSection, "driver", kDefaultOdbcDriver);
    if (common::ToLowerAscii(driver) == kEmbeddedDriver) {
        description_.backend = std::string(kEmbeddedDriver);
        std::filesystem::path dataDir = ini.Read(kIniSection, "datadir", "data");
        if (dataDir.is_relative()) dataDir = path.parent_path() / dataDir;
        description_.dataDir = dataDir.lexically_normal().string();
    } else {
        description_.backend = "odbc";
        description_.driver = driver;
        description_.extra = ini.Read(kIniSection, "options");
    }
    if (const auto timeout = ini.Get(kIniSection, "logintimeout"); timeout && !timeout->empty()) {
        int seconds = 0;
        const auto r = std::from_chars(timeout->data(), timeout->data() + timeout->size(), seconds);
        if (r.ec != std::errc() || r.ptr != timeout->data() + timeout->size())
            throw EQueltaError("Chybná hodnota klíče \"logintimeout\" v souboru " + path.string() + ": '" +
                               *timeout + "' (očekáván počet sekund)");
        description_.loginTimeoutSeconds = seconds;
    }
}

TDBConnector::~TDBConnector() = default;

db::Connection& TDBConnector::connection() {
    if (!connection_) {
        if (description_.backend == kEmbeddedDriver && !db::hasBackend(description_.backend))
            throw EDatabaseError(
                "Nelze otevřít databázi '" + description_.database +
                "': vestavěný databázový stroj není v tomto sestavení programu Quelta k dispozici");
        connection_ = translated([&] { return db::connect(description_); });
    }
    return *connection_;
}

db::BatchResult TDBConnector::run(const std::string& batch) {
    auto& c = connection();
    return translated([&] { return c.execute(batch); });
}

void TDBConnector::SQLExec(const std::string& query) {
    Close();
    sqlText_ = query;
    auto result = run(sqlText_);
    if (result.resultSets.empty()) throw EDatabaseError("Příkaz nevrátil žádnou sadu výsledků: " + sqlText_);
    result_ = std::move(result.resultSets.front());
    laterResults_.assign(std::make_move_iterator(result.resultSets.begin() + 1),
                         std::make_move_iterator(result.resultSets.end()));
    row_ = 0;
}

bool TDBConnector::NextResult() {
    if (laterResults_.empty()) {
        Close();
        return false;
    }
    result_ = std::move(laterResults_.front());
    laterResults_.erase(laterResults_.begin());
    fieldIndexes_.clear();
    row_ = 0;
    return true;
}

namespace {

//! Hands the rows of a batch's first result set to the connector's row function, one at a time.
class FirstResultRows : public db::RowHandler {
public:
    FirstResultRows(std::optional<db::ResultSet>& result, const std::vector<db::Value>*& current,
                    const std::function<void()>& onRow)
        : result_(result)
        , current_(current)
        , onRow_(onRow) {}

    void columns(const std::vector<db::Column>& columns) override {
        ++sets_;
        if (sets_ == 1) result_.emplace(columns, std::vector<std::vector<db::Value>>{});
    }
    void row(std::vector<db::Value>& row) override {
        if (sets_ != 1) return;
        current_ = &row;
        ++count_;
        onRow_();
        current_ = nullptr;
    }
    std::size_t count() const { return count_; }
    bool hadResult() const { return sets_ > 0; }

private:
    std::optional<db::ResultSet>& result_;
    const std::vector<db::Value>*& current_;
    const std::function<void()>& onRow_;
    int sets_ = 0;
    std::size_t count_ = 0;
};

} // namespace

std::size_t TDBConnector::ForEachRow(const std::string& query, const std::function<void()>& onRow) {
    Close();
    sqlText_ = query;
    auto& c = connection();
    FirstResultRows rows(result_, streamedRow_, onRow);
    try {
        translated([&] { return c.stream(sqlText_, rows); });
    } catch (...) {
        streamedRow_ = nullptr;
        Close();
        throw;
    }
    Close();
    if (!rows.hadResult()) throw EDatabaseError("Příkaz nevrátil žádnou sadu výsledků: " + sqlText_);
    return rows.count();
}

void TDBConnector::ExecSQL(const std::string& query) {
    Close();
    sqlText_ = query;
    run(sqlText_);
}

bool TDBConnector::SetLegislation() {
    SQLExec("SELECT TOP 1 Legislativa FROM TabHGlob");
    const auto value = FieldAsInteger("Legislativa");
    if (value == 0)
        legislation_ = "CZ";
    else if (value == 1)
        legislation_ = "SK";
    else
        return false;
    return true;
}

void TDBConnector::WriteJournal(int code, std::string_view text) {
    SQLExec(JournalBatch(code, text));
}

bool TDBConnector::Eof() const {
    if (streamedRow_) return false;
    return !result_ || row_ >= result_->rowCount();
}

void TDBConnector::Next() {
    if (!Eof()) ++row_;
}

std::size_t TDBConnector::RecordCount() const {
    return result_ ? result_->rowCount() : 0;
}

void TDBConnector::Close() {
    result_.reset();
    laterResults_.clear();
    fieldIndexes_.clear();
    row_ = 0;
}

const db::Value& TDBConnector::FieldValue(std::string_view name) const {
    if (!result_) throw EDatabaseError("Dotaz nemá otevřený výsledek (pole '" + std::string(name) + "')");
    auto known = fieldIndexes_.find(name);
    if (known == fieldIndexes_.end()) known = fieldIndexes_.emplace(name, result_->columnIndex(name)).first;
    const auto index = known->second;
    if (!index) throw EDatabaseError("Pole '" + std::string(name) + "' nenalezeno");
    if (Eof()) throw EDatabaseError("Dotaz nemá žádný aktuální řádek (pole '" + std::string(name) + "')");
    if (streamedRow_) return (*streamedRow_)[*index];
    return result_->rows()[row_][*index];
}

std::string TDBConnector::FieldAsString(std::string_view name) const {
    return ValueAsText(FieldValue(name));
}

std::string TDBConnector::FieldAsStringStrict(std::string_view name) const {
    const auto& v = FieldValue(name);
    if (v.isNull()) cannotConvert(name, v, "text");
    return ValueAsText(v);
}

std::int32_t TDBConnector::FieldAsInteger(std::string_view name) const {
    const auto& v = FieldValue(name);
    const auto n = toInteger(name, v);
    if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
        cannotConvert(name, v, "celé číslo");
    return static_cast<std::int32_t>(n);
}

std::int64_t TDBConnector::FieldAsLargeInt(std::string_view name) const {
    return toInteger(name, FieldValue(name));
}

double TDBConnector::FieldAsFloat(std::string_view name) const {
    const auto& v = FieldValue(name);
    switch (v.kind()) {
    case db::ValueKind::Int:
    case db::ValueKind::Bool:
        return static_cast<double>(toInteger(name, v));
    case db::ValueKind::Float:
        return v.asFloat();
    case db::ValueKind::DateTime:
        return v.asDateTime();
    case db::ValueKind::Decimal:
    case db::ValueKind::Text: {
        const std::string& t = v.kind() == db::ValueKind::Text ? v.asText() : v.asDecimal().text;
        double d = 0;
        const auto r = std::from_chars(t.data(), t.data() + t.size(), d);
        if (r.ec != std::errc() || r.ptr != t.data() + t.size() || t.empty()) cannotConvert(name, v, "číslo");
        return d;
    }
    default:
        cannotConvert(name, v, "číslo");
    }
}

double TDBConnector::FieldAsDateTime(std::string_view name) const {
    const auto& v = FieldValue(name);
    if (v.kind() == db::ValueKind::DateTime) return v.asDateTime();
    if (v.kind() == db::ValueKind::Float) return v.asFloat();
    cannotConvert(name, v, "datum");
}

std::string JournalBatch(int code, std::string_view text) {
    return "DECLARE @IDZurnal INT\rEXECUTE dbo.hp_ZapisDoZurnalu " + std::to_string(code) + ", -1, " +
           common::SqlNString(text) + " SELECT @IDZurnal";
}

std::string ValueAsText(const db::Value& value) {
    return db::toText(value);
}

} // namespace quelta
