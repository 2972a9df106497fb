#include "standins/tarvik/host_tarvik.h"

#include "common/ascii.h"

#include <algorithm>
#include <atomic>
#include <cctype>

namespace standins::tarvik {

using plugin::TarvikError;
using plugin::TaVariant;

namespace {

std::string bracketed(std::string_view name) {
    std::string out = "[";
    for (const char c : name) {
        out += c;
        if (c == ']') out += ']';
    }
    return out + "]";
}

} // namespace

platform::db::ResultSet orderedById(platform::db::ResultSet rows) {
    const auto id = rows.columnIndex("ID");
    if (!id) return rows;
    auto sorted = rows.rows();
    std::ranges::stable_sort(sorted, [&](const auto& a, const auto& b) {
        const auto& x = a[*id];
        const auto& y = b[*id];
        if (x.kind() != platform::db::ValueKind::Int || y.kind() != platform::db::ValueKind::Int)
            return false;
        return x.asInt() < y.asInt();
    });
    return platform::db::ResultSet(rows.columns(), std::move(sorted));
}

namespace {

//! Rows per INSERT when filling a table of IDs (the server takes at most 1000).
constexpr std::size_t kIdsPerInsert = 1000;

std::atomic<int> nextInstanceKey{1};

} // namespace

void checkTemporaryTableName(std::string_view name) {
    const bool valid = name.size() > 1 && name.size() <= 116 && name.front() == '#' &&
                       std::all_of(name.begin() + 1, name.end(),
                                   [](unsigned char c) { return std::isalnum(c) || c == '_'; });
    if (!valid)
        throw TarvikError("'" + std::string(name) +
                          "' is not a name of a temporary table (# followed by letters, digits or _)");
}

std::string browseSysName(platform::db::Connection& connection, int browse) {
    if (isUserBrowse(browse)) {
        platform::db::BatchResult result;
        try {
            result = connection.execute("SELECT NazevSys FROM dbo.TabObecnyPrehled WHERE Cislo = " +
                                        std::to_string(browse - kUserBrowseBase));
        } catch (const std::exception& e) {
            throw TarvikError(e.what());
        }
        if (result.resultSets.empty() || result.resultSets.front().rowCount() == 0 ||
            result.resultSets.front().rows()[0][0].isNull())
            throw TarvikError("The user browse " + std::to_string(browse) + " (TabObecnyPrehled.Cislo " +
                              std::to_string(browse - kUserBrowseBase) + ") does not exist.");
        return result.resultSets.front().rows()[0][0].asText();
    }
    if (const auto* host = findHostBrowse(browse)) return host->sysName;
    throw TarvikError("The host has no browse " + std::to_string(browse) + ".");
}

HostTarvik::HostTarvik(platform::db::Connection& connection, FrontEnd& frontEnd, BrowseState state,
                       HostSettings settings)
    : connection_(connection)
    , frontEnd_(frontEnd)
    , state_(std::move(state))
    , settings_(std::move(settings))
    , instanceKey_(nextInstanceKey++) {
    if (!state_.sysName.empty()) sysName_ = state_.sysName;
}

platform::db::BatchResult HostTarvik::run(std::string_view sql) {
    std::optional<platform::db::BatchResult> result;
    std::string failure;
    try {
        result = connection_.execute(sql);
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (rollBackOpenTransaction() && failure.empty())
        failure = "The batch left a transaction open; the host rolled it back so that nothing stays locked.";
    if (!failure.empty()) throw TarvikError(failure);
    return std::move(*result);
}

bool HostTarvik::rollBackOpenTransaction() {
    try {
        const auto check =
            connection_.execute("IF @@TRANCOUNT > 0 BEGIN ROLLBACK TRANSACTION SELECT 1 END ELSE SELECT 0");
        return check.resultSets.at(0).rows().at(0).at(0).asInt() == 1;
    } catch (const std::exception& e) {
        throw TarvikError(std::string("The host could not check its transaction state: ") + e.what());
    }
}

TaVariant HostTarvik::GetCurrentID() {
    if (rows_ && rows_->RecordCount() > 0 && rows_->rows().columnIndex("ID"))
        return rows_->rows().at(static_cast<std::size_t>(rows_->position()), "ID");
    return state_.currentId ? TaVariant::integer(*state_.currentId) : TaVariant::null();
}

std::string HostTarvik::GetMarkedIDs() {
    return formatIdList(state_.markedIds);
}

int HostTarvik::GetBrowseNumber() {
    return state_.browse;
}

int HostTarvik::GetPeriodID() {
    return state_.periodId;
}

std::string HostTarvik::GetFontName() {
    return settings_.fontName;
}

int HostTarvik::GetFontHeight() {
    return settings_.fontHeight;
}

int HostTarvik::GetFontCharset() {
    return settings_.fontCharset;
}

void HostTarvik::ExecSQL(std::string_view sql) {
    run(sql);
}

std::unique_ptr<plugin::ITaQuery> HostTarvik::OpenSQL(std::string_view sql) {
    auto result = run(sql);
    for (auto& rows : result.resultSets)
        if (!rows.columns().empty()) return std::make_unique<BufferedQuery>(std::move(rows));
    return std::make_unique<BufferedQuery>();
}

std::string browseQuery(std::string_view sysName, std::string_view condition) {
    std::string sql = "SELECT * FROM " + bracketed(sysName);
    if (!condition.empty()) sql += " WHERE (" + std::string(condition) + ")";
    return sql;
}

void HostTarvik::loadRows() {
    const bool first = !rows_;
    const auto current = GetCurrentID();
    auto result = run(browseQuery(GetBrowseSysName(), state_.condition));
    auto rows =
        result.resultSets.empty() ? platform::db::ResultSet() : orderedById(std::move(result.resultSets[0]));
    if (first)
        rows_.emplace(std::move(rows));
    else
        rows_->reset(std::move(rows));
    if (current.isNull() || rows_->RecordCount() == 0 || !rows_->rows().columnIndex("ID")) return;
    const int keep = rows_->position();
    if (rows_->LocateValue("ID", current)) return;
    rows_->moveTo(keep);
    if (first && state_.currentId)
        throw TarvikError("The current row ID " + std::to_string(*state_.currentId) +
                          " is not among the rows of browse " + std::to_string(state_.browse) + ".");
}

void HostTarvik::Refresh(bool allRows) {
    hostCalls_.push_back(allRows ? "Refresh(all)" : "Refresh(current)");
    if (rows_) loadRows();
}

bool HostTarvik::Locate(std::string_view field, const TaVariant& value) {
    if (!rows_) loadRows();
    return rows_->LocateValue(field, value);
}

bool HostTarvik::SelectValue(int browse, std::string_view field, TaVariant& value, std::string_view caption) {
    return frontEnd_.selectValue(browse, field, value, caption);
}

std::uintptr_t HostTarvik::GetApplicationHandle() {
    return 0;
}

std::uintptr_t HostTarvik::GetApplicationIcon() {
    return 0;
}

void HostTarvik::ShowInfo(std::string_view text) {
    frontEnd_.showInfo(text);
}

void HostTarvik::ShowError(std::string_view text) {
    frontEnd_.showError(text);
}

bool HostTarvik::AskYesNo(std::string_view text) {
    return frontEnd_.askYesNo(text);
}

void HostTarvik::OpenBrowse(int browse, std::string_view condition) {
    frontEnd_.openBrowse(browse, condition);
}

int HostTarvik::GetLockValue() {
    return settings_.lockValue;
}

std::string HostTarvik::GetAttributeCaption(std::string_view attribute) {
    return attributeCaption(attribute);
}

std::string HostTarvik::GetAttributeConversion(std::string_view attribute) {
    return attributeConversion(attribute);
}

std::uint64_t HostTarvik::GetTarvikVersion() {
    return settings_.tarvikVersion;
}

std::uint32_t HostTarvik::GetSQLServerVersion() {
    return settings_.sqlServerVersion;
}

int HostTarvik::GetExtKomID() {
    return state_.extKomId;
}

plugin::TaAnswer HostTarvik::AskYesNoCancel(std::string_view text) {
    return frontEnd_.askYesNoCancel(text);
}

plugin::ITaQuery& HostTarvik::GetBrowseRows() {
    if (!rows_) loadRows();
    return *rows_;
}

std::string HostTarvik::GetBrowseSysName() {
    if (!sysName_) sysName_ = browseSysName(connection_, state_.browse);
    return *sysName_;
}

void HostTarvik::MarkedIDsToTable(std::string_view tableName) {
    checkTemporaryTableName(tableName);
    std::vector<long long> ids = state_.markedIds;
    if (ids.empty()) {
        const auto current = GetCurrentID();
        if (current.kind() == platform::db::ValueKind::Int)
            ids.push_back(current.asInt());
        else if (!current.isNull())
            throw TarvikError("The current row of browse " + std::to_string(state_.browse) +
                              " has no whole-number ID.");
    }
    const std::string name(tableName);
    std::string sql = "IF OBJECT_ID('tempdb.." + name + "') IS NOT NULL DROP TABLE " + name +
                      "\nCREATE TABLE " + name + " (ID INT NOT NULL)\n";
    for (std::size_t first = 0; first < ids.size(); first += kIdsPerInsert) {
        sql += "INSERT INTO " + name + " (ID) VALUES ";
        const auto last = std::min(ids.size(), first + kIdsPerInsert);
        for (auto i = first; i < last; ++i)
            sql += (i == first ? "(" : ", (") + std::to_string(ids[i]) + ")";
        sql += "\n";
    }
    run(sql);
}

plugin::ITarvik* HostTarvik::GetOwner() {
    return nullptr;
}

int HostTarvik::GetInstanceKey() {
    return instanceKey_;
}

bool HostTarvik::SelectFromBrowse(plugin::TaBrowseSelection& selection) {
    return frontEnd_.selectFromBrowse(selection);
}

void HostTarvik::NotifyTables(std::string_view objectIds) {
    hostCalls_.push_back("NotifyTables(" + std::string(objectIds) + ")");
}

void HostTarvik::RunAction(int browse, std::string_view action) {
    hostCalls_.push_back("RunAction(" + std::to_string(browse) + ", " + std::string(action) + ")");
    const bool preprocessing = browse == 265 || browse == 393;
    if (preprocessing && common::EqualsIgnoreCaseAscii(action, "A_ExtorniProc")) {
        run("EXEC dbo.hp_MzPredzpImportUP");
        return;
    }
    throw TarvikError("The host has no action '" + std::string(action) + "' on browse " +
                      std::to_string(browse) + ".");
}

std::string HostTarvik::GetTarvikText(int number) {
    return hostText(number);
}

} // namespace standins::tarvik
