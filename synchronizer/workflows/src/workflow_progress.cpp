#include "quelta/workflows/workflow_progress.h"

#include <climits>

namespace quelta {

void WorkflowProgress::SetList(const std::string& name) {
    if (Interactive()) context_.Progress().SetCiselnik(name);
}

void WorkflowProgress::SetRowcount(std::size_t rows) {
    if (Interactive()) context_.Progress().SetRowcount(rows > INT_MAX ? INT_MAX : static_cast<int>(rows));
}

void WorkflowProgress::SetCaption(const std::string& caption, const std::string& label1) {
    if (!Interactive()) return;
    context_.Progress().SetCaption(caption);
    context_.Progress().SetLabel1(label1);
}

void WorkflowProgress::Show() {
    if (Interactive()) context_.Progress().Show();
}

bool WorkflowProgress::StartOrTellNothing(const std::string& list, std::size_t rows) {
    SetList(list);
    SetRowcount(rows);
    if (!Interactive()) return true;
    if (rows == 0) {
        context_.ui.ShowMessage(kNoRecordsToSynchronize);
        return false;
    }
    Show();
    return true;
}

void WorkflowProgress::Step() {
    if (Interactive()) context_.Progress().inc();
}

} // namespace quelta
