#pragma once
//! TSynch: the workflow entry points of one run and the table that dispatches to them.

#include "quelta/db_connector.h"
#include "quelta/portal_settings.h"
#include "quelta/user_interface.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quelta {

//! The six positional arguments; a missing one reads as "".
struct CommandLine {
    std::string method;   //!< 1: method name
    std::string server;   //!< 2: SQL Server instance
    std::string database; //!< 3: host database
    std::string list;     //!< 4: code-list code or label for the journal
    std::string showFlag; //!< 5: "0" selects interactive mode
    std::string entityId; //!< 6: entity id(s) for save, sendwageslip, travelorderupload

    static CommandLine FromArguments(int argc, const char* const* argv);
    bool Interactive() const { return showFlag == "0"; }
};

//! Everything a workflow may use during a run.
struct RunContext {
    CommandLine arguments;
    TDBConnector& connector;                 //!< the shared connector
    std::shared_ptr<RpcKvaEndpoint> service; //!< the Portal service reference (may be null until built)
    UserInterface& ui;
    PortalSettings portalSettings;
    std::unique_ptr<ProgressPane> progressPane; //!< created by Progress()

    bool Interactive() const { return arguments.Interactive(); }
    //! The run's progress pane, created at the first use (at most one per run; it stays until the end).
    ProgressPane& Progress() {
        if (!progressPane) progressPane = ui.CreateProgressPane();
        return *progressPane;
    }
    //! A further connector with the same server and database (for a second result set).
    std::unique_ptr<TDBConnector> NewConnector() const {
        return std::make_unique<TDBConnector>(arguments.server, arguments.database, connector.Environment());
    }
};

//! How argument 6 must look for a method.
enum class EntityIdFormat {
    None,        //!< ignored
    Integer,     //!< one integer
    IntegerList, //!< comma-separated integers
};

class TSynch;

//! One row of the dispatch table.
struct SynchMethod {
    std::string_view name;      //!< argument 1, compared exactly
    std::string_view operation; //!< TSynch operation it runs
    EntityIdFormat entityId;
    void (*invoke)(TSynch&, const CommandLine&);
};

//! The workflows of one run. Every operation of this base raises EQueltaError saying that the
//! method is not available; the workflow library derives from it and overrides them.
class TSynch {
public:
    explicit TSynch(RunContext& context);
    virtual ~TSynch() = default;

    const std::string& FLegislation() const { return legislation_; }
    RunContext& Context() const { return context_; }
    //! The Portal service reference; EQueltaError when this build has no Portal client.
    RpcKvaEndpoint& Service() const;

    virtual void UploadToPortal(const std::string& list);
    virtual void DownloadEmployeesFromPortal();
    virtual void SaveEmployeeToPortal(const std::string& entityId);
    virtual void CheckIfEmployeesAreDownloaded();
    virtual void SendWageSlip(const std::string& entityIds);
    virtual void LockUnlockCurrentPeriod();
    virtual void PayrollComponents();
    virtual void Preprocess();
    virtual void Records();
    virtual void CashIncome();
    virtual void PayrollCalendar();
    virtual void TravelOrderUpload(const std::string& entityId);
    virtual void TravelOrderDownload();

protected:
    //! Raises the error of an operation that this build does not provide.
    [[noreturn]] void NotAvailable(std::string_view operation) const;

private:
    RunContext& context_;
    std::string legislation_;
};

//! The dispatch table, in the order the names are compared.
extern const std::array<SynchMethod, 13> kSynchMethods;

//! The row whose name equals `method` exactly, or nullptr.
const SynchMethod* FindSynchMethod(std::string_view method);

//! Checks argument 6 for the format; throws EQueltaError with a clear text when it does not fit.
void ValidateEntityId(EntityIdFormat format, std::string_view value);

//! Validates argument 6 for the method and runs it; an unknown name runs nothing.
void Dispatch(TSynch& synch, const CommandLine& arguments);

//! Creates the TSynch of a run (the workflow library supplies one with its workflows).
using SynchFactory = std::function<std::unique_ptr<TSynch>(RunContext&)>;

} // namespace quelta
