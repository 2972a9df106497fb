#pragma once
//! The progress pane of a workflow: shown in interactive mode only; in silent mode every call does nothing.

#include "quelta/synch.h"

#include <cstddef>
#include <string>

namespace quelta {

//! Shown in interactive mode when a payroll workflow finds nothing to send.
inline constexpr const char* kNoRecordsToSynchronize = "Žádné záznamy pro synchronizaci!";

//! The run's progress pane as a workflow drives it. The pane is created at the first call in interactive mode
//! and stays on screen until the process ends.
class WorkflowProgress {
public:
    explicit WorkflowProgress(RunContext& context)
        : context_(context) {}

    bool Interactive() const { return context_.Interactive(); }
    //! Name of the list being synchronized (shown in bold).
    void SetList(const std::string& name);
    //! Number of records the workflow will process.
    void SetRowcount(std::size_t rows);
    //! Window caption and first label, for workflows that are not a code list.
    void SetCaption(const std::string& caption, const std::string& label1);
    void Show();
    //! Sets the list name and the row count and, in interactive mode, shows the pane; with no rows it shows
    //! the message kNoRecordsToSynchronize instead and returns false: the workflow then ends doing nothing.
    bool StartOrTellNothing(const std::string& list, std::size_t rows);
    //! One record done.
    void Step();

private:
    RunContext& context_;
};

} // namespace quelta
