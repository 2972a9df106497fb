#pragma once
//! The workflows of Quelta: TWorkflowSynch overrides the operations of TSynch that this build provides and
//! offers the pieces every workflow shares (the extra connector, the progress pane, messages, mappers).

#include "quelta/synch.h"
#include "quelta/workflows/code_list_mappers.h"
#include "quelta/workflows/employee_mapper.h"
#include "quelta/workflows/workflow_progress.h"

#include <memory>
#include <string>

namespace quelta {

//! Messages of the employee workflows, shown as message boxes.
inline constexpr const char* kUndownloadedBeforeUpload =
    "Na portále se nachází nestažené záznamy, synchronizaci nelze provést.";
inline constexpr const char* kNothingToDownload = "Nebyl nalezen žádný záznam pro stažení z portálu!";
inline constexpr const char* kNewerOnPortal = "Na portále se nachází novější verze označeného záznamu!";
inline constexpr const char* kAllDownloaded = "Všechny záznamy jsou staženy.";
inline constexpr const char* kUndownloaded = "Na portále se nachází nestažené záznamy.";

//! Code of the employees' settings row, which holds the employee commit number.
inline constexpr const char* kEmployeeCode = "employee";

//! The workflows of one run.
class TWorkflowSynch : public TSynch {
public:
    explicit TWorkflowSynch(RunContext& context);
    ~TWorkflowSynch() override;

    //! Sends one code list (deletions of the delete log first) and stamps its synchronization date.
    void UploadToPortal(const std::string& list) override;
    //! Hands every employee changed on the Portal to the staging procedure and keeps the commit number.
    void DownloadEmployeesFromPortal() override;
    //! Sends one staged employee back unless the Portal holds a newer version.
    void SaveEmployeeToPortal(const std::string& entityId) override;
    //! Tells whether the Portal holds employee changes that were not downloaded.
    void CheckIfEmployeesAreDownloaded() override;

    //! Publishes the offered payroll components (TQUELTAPayrollComponents).
    void PayrollComponents() override;
    //! The cash income pass, then the record pass.
    void Preprocess() override;
    void CashIncome() override;
    void Records() override;
    //! The payroll calendars of the current period's year with their days (TQUELTAPayrollCalendar).
    void PayrollCalendar() override;
    //! The wage-slip files of the payroll results in the list, into the employees' yearly records.
    void SendWageSlip(const std::string& entityIds) override;
    //! "Locked" when payment orders exist for the current period, "Unlocked" otherwise.
    void LockUnlockCurrentPeriod() override;
    //! Travel orders changed on the Portal into host travel documents (TTravelOrder).
    void TravelOrderDownload() override;
    //! One host travel document back to the Portal (TTravelOrder).
    void TravelOrderUpload(const std::string& entityId) override;

protected:
    //! The connector for a second result set while the shared one iterates: opened at the first use and kept
    //! for the rest of the run (one per run, not one per record).
    TDBConnector& ExtraConnector();
    //! The run's progress pane (interactive mode only).
    WorkflowProgress& Progress() { return progress_; }
    //! A message box, shown in both modes.
    void ShowMessage(const std::string& text);
    //! The employee commit number of the settings row (NULL reads as 0).
    std::int64_t EmployeeCommitNumber();
    //! The mapper of a code list.
    std::unique_ptr<TList> CreateMapper(const CodeListDef& def, EmployeeMode employeeMode);

    //! Deletes on the Portal what the delete log holds for the code and marks the log rows that were read.
    void DeleteFromPortal(const std::string& keyColumn, const std::string& code, const std::string& table);

private:
    //! Sends the family members and the calendar assignment of the employee from the batch the extra
    //! connector holds (`EmployeeExtrasBatch`, run while the Portal stored the employee).
    void sendEmployeeExtras(const std::string& employeeNumber);

    std::unique_ptr<TDBConnector> extra_;
    WorkflowProgress progress_;
};

//! Creates the TWorkflowSynch of a run (for RunEnvironment::synchFactory).
SynchFactory WorkflowSynchFactory();

} // namespace quelta
