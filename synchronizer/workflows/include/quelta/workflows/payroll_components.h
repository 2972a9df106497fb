#pragma once
//! The payroll side of the Portal: the payroll components the host offers, and the preprocessing records
//! (cash incomes and time records) exchanged in both directions.

#include "quelta/portal/registry.h"
#include "quelta/synch.h"
#include "quelta/workflows/workflow_progress.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quelta {

//! Publishes the offer of TabQUELTAWSPayrollComponents and exchanges the records of TabQUELTAWSPreprocess.
class TQUELTAPayrollComponents {
public:
    TQUELTAPayrollComponents(RunContext& context, RpcKvaEndpoint& service);

    //! Deletes on the Portal every group with a removed component, replaces every group that has offered
    //! components by a fresh copy with exactly those, and stamps the date of "payrollcomponents".
    void PayrollComponentsUpload();
    //! Sends the cash incomes changed here, receives the agreed ones changed on the Portal, keeps the commit.
    void PreprocessCashIncome();
    //! The same for time records.
    void PreprocessRecord();
    //! The cash income pass, then the record pass.
    void Preprocess();

private:
    RunContext& context_;
    RpcKvaEndpoint& service_;
    WorkflowProgress progress_;
};

//! The kind of a preprocessing pass.
enum class PreprocessKind : std::uint8_t { CashIncome, Record };

//! The statement that stores one record received from the Portal in TabQUELTAWSPreprocess: an update of the
//! row with the record's Portal id, else an insert. Throws EConvertError when a key the statement takes as a
//! number (employee, payroll component, period) is not an integer.
std::string PreprocessReceiptStatement(PreprocessKind kind, const soap::Record& received);

} // namespace quelta
