#include "quelta/workflows/workflow_synch.h"

#include "quelta/errors.h"
#include "quelta/workflows/synch_sql.h"

namespace quelta {

TWorkflowSynch::TWorkflowSynch(RunContext& context)
    : TSynch(context)
    , progress_(context) {}

TWorkflowSynch::~TWorkflowSynch() = default;

TDBConnector& TWorkflowSynch::ExtraConnector() {
    if (!extra_) extra_ = Context().NewConnector();
    return *extra_;
}

void TWorkflowSynch::ShowMessage(const std::string& text) {
    Context().ui.ShowMessage(text);
}

std::int64_t TWorkflowSynch::EmployeeCommitNumber() {
    TDBConnector& db = Context().connector;
    db.SQLExec(CommitNumberQuery(kEmployeeCode));
    if (db.Eof()) throw MissingSettingsRow(kEmployeeCode);
    const std::int64_t commitNumber = db.FieldAsLargeInt("CommitNumber");
    db.Close();
    return commitNumber;
}

std::unique_ptr<TList> TWorkflowSynch::CreateMapper(const CodeListDef& def, EmployeeMode employeeMode) {
    switch (def.kind) {
    case MapperKind::Columns:
        return std::make_unique<TCodeList>(def, FLegislation());
    case MapperKind::Period:
        return std::make_unique<TPeriod>(def, FLegislation(), Service());
    case MapperKind::Employee:
        return std::make_unique<TEmployee>(employeeMode, FLegislation(), Service(),
                                           [this]() -> TDBConnector& { return ExtraConnector(); });
    }
    throw std::logic_error("unknown mapper kind");
}

SynchFactory WorkflowSynchFactory() {
    return [](RunContext& context) { return std::make_unique<TWorkflowSynch>(context); };
}

} // namespace quelta
