#pragma once
//! The payroll calendars of the year of the current payroll period, each with all its days.

#include "quelta/synch.h"
#include "quelta/workflows/workflow_progress.h"

namespace quelta {

//! Sends the payroll calendars to the Portal.
class TQUELTAPayrollCalendar {
public:
    TQUELTAPayrollCalendar(RunContext& context, RpcKvaEndpoint& service);

    //! Every calendar of the current period's year with its days, then the date of "payrollcalendar".
    void Upload();

private:
    RunContext& context_;
    RpcKvaEndpoint& service_;
    WorkflowProgress progress_;
};

} // namespace quelta
