#pragma once
//! The host as a plug-in sees it during one call: ITarvik over one database connection, the
//! browse the call came from, and a front end for everything shown or asked.

#include "standins/tarvik/browse_state.h"
#include "standins/tarvik/buffered_query.h"
#include "standins/tarvik/front_end.h"
#include "standins/tarvik/host_catalog.h"

#include "platform/db/connection.h"
#include "plugin/host/tarvik_interface.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace standins::tarvik {

//! What the host reports about itself.
struct HostSettings {
    std::uint64_t tarvikVersion = kDefaultTarvikVersion;
    std::uint32_t sqlServerVersion = kDefaultSqlServerVersion;
    std::string fontName = "Tahoma";
    int fontHeight = 8;
    int fontCharset = 238; //!< Central European
    int lockValue = 1;     //!< stored in BlokovaniEditoru by records this user edits
};

//! ITarvik over one connection. Every SQL call runs on that connection, so temporary tables of
//! one call are visible to the next; each batch commits on its own. A failing call throws
//! plugin::TarvikError with the server's or the host's message; a batch that leaves a transaction
//! open is rolled back and fails, so that no lock outlives the call.
class HostTarvik : public plugin::ITarvik {
public:
    //! The connection and the front end must outlive the object.
    HostTarvik(platform::db::Connection& connection, FrontEnd& frontEnd, BrowseState state,
               HostSettings settings = {});

    plugin::TaVariant GetCurrentID() override;
    std::string GetMarkedIDs() override;
    int GetBrowseNumber() override;
    int GetPeriodID() override;
    std::string GetFontName() override;
    int GetFontHeight() override;
    int GetFontCharset() override;
    void ExecSQL(std::string_view sql) override;
    std::unique_ptr<plugin::ITaQuery> OpenSQL(std::string_view sql) override;
    void Refresh(bool allRows) override;
    bool Locate(std::string_view field, const plugin::TaVariant& value) override;
    bool SelectValue(int browse, std::string_view field, plugin::TaVariant& value,
                     std::string_view caption) override;
    std::uintptr_t GetApplicationHandle() override;
    std::uintptr_t GetApplicationIcon() override;
    void ShowInfo(std::string_view text) override;
    void ShowError(std::string_view text) override;
    bool AskYesNo(std::string_view text) override;
    void OpenBrowse(int browse, std::string_view condition) override;
    int GetLockValue() override;
    std::string GetAttributeCaption(std::string_view attribute) override;
    std::string GetAttributeConversion(std::string_view attribute) override;
    std::uint64_t GetTarvikVersion() override;
    std::uint32_t GetSQLServerVersion() override;
    int GetExtKomID() override;
    plugin::TaAnswer AskYesNoCancel(std::string_view text) override;
    plugin::ITaQuery& GetBrowseRows() override;
    std::string GetBrowseSysName() override;
    void MarkedIDsToTable(std::string_view tableName) override;
    plugin::ITarvik* GetOwner() override;
    int GetInstanceKey() override;
    bool SelectFromBrowse(plugin::TaBrowseSelection& selection) override;
    void NotifyTables(std::string_view objectIds) override;
    void RunAction(int browse, std::string_view action) override;
    std::string GetTarvikText(int number) override;

    //! Calls that change nothing the plug-in can see (Refresh, NotifyTables, RunAction), one
    //! line each, e.g. "Refresh(all)".
    const std::vector<std::string>& hostCalls() const { return hostCalls_; }

private:
    //! Runs a batch of the plug-in; a transaction it leaves open is rolled back and reported.
    platform::db::BatchResult run(std::string_view sql);
    //! True when a transaction was open (and is now rolled back).
    bool rollBackOpenTransaction();
    void loadRows();

    platform::db::Connection& connection_;
    FrontEnd& frontEnd_;
    BrowseState state_;
    HostSettings settings_;
    int instanceKey_;
    std::optional<std::string> sysName_;
    std::optional<BufferedQuery> rows_;
    std::vector<std::string> hostCalls_;
};

//! The system name of a browse: the table of a host browse, the view (TabObecnyPrehled.NazevSys)
//! of a user browse, read through `connection`. Throws plugin::TarvikError for a browse the host
//! does not know.
std::string browseSysName(platform::db::Connection& connection, int browse);

//! The query of a browse's rows: every column of its table or view, filtered by the condition
//! when there is one.
std::string browseQuery(std::string_view sysName, std::string_view condition);

//! The rows in ID order when they have an ID column, so that a browse reads the same every time.
platform::db::ResultSet orderedById(platform::db::ResultSet rows);

//! The check that a name is a temporary table name the host accepts ("#" and letters, digits
//! or "_"); throws plugin::TarvikError otherwise.
void checkTemporaryTableName(std::string_view name);

} // namespace standins::tarvik
