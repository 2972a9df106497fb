// The payroll components offered to the Portal: groups with a removed component are deleted, every group with
// offered components is replaced by a fresh copy listing exactly those, and the date is stamped.

#include "quelta/workflows/payroll_components.h"

#include "common/sql_text.h"
#include "quelta/portal/endpoint.h"
#include "quelta/workflows/synch_sql.h"
#include "quelta/workflows/workflow_synch.h"

#include <memory>

namespace quelta {

namespace {

constexpr const char* kGroupsList = "Skupiny mzdových složek";
constexpr std::string_view kCode = "payrollcomponents";

constexpr const char* kOfferedGroups = "SELECT DISTINCT groupErpPk, groupClass, groupType, groupName FROM "
                                       "TabQUELTAWSPayrollComponents WHERE deleted <> 1";
constexpr const char* kRemovedGroups = "SELECT DISTINCT groupErpPk, groupClass, groupType, groupName FROM "
                                       "TabQUELTAWSPayrollComponents WHERE deleted = 1";
constexpr const char* kGroupComponents =
    "SELECT typeCode, typeName, typeType FROM TabQUELTAWSPayrollComponents "
    "WHERE deleted <> 1 AND groupErpPk = ";

//! The Portal class of a group class of the host table.
struct GroupClass {
    std::string_view groupClass;
    std::string_view portalType;
};
constexpr GroupClass kGroupClasses[] = {
    {"PayrollComponentsGroupRecord", "PayrollComponentsGroupRecordDto"},
    {"PayrollComponentsGroupCashIncome", "PayrollComponentsGroupCashIncomeDto"},
};

const GroupClass* findGroupClass(std::string_view groupClass) {
    for (const GroupClass& c : kGroupClasses)
        if (c.groupClass == groupClass) return &c;
    return nullptr;
}

//! A component of a group.
constexpr ColumnBinding kComponent[] = {
    {"code", "typeCode", ColumnRead::Lenient},
    {"name", "typeName", ColumnRead::Lenient},
    {"type", "typeType", ColumnRead::Lenient},
};

} // namespace

TQUELTAPayrollComponents::TQUELTAPayrollComponents(RunContext& context, RpcKvaEndpoint& service)
    : context_(context)
    , service_(service)
    , progress_(context) {}

void TQUELTAPayrollComponents::PayrollComponentsUpload() {
    TDBConnector& groups = context_.connector;
    groups.SQLExec(kOfferedGroups);
    if (!progress_.StartOrTellNothing(kGroupsList, groups.RecordCount())) return;

    // Deletion pass: a group with a removed component goes; the replacement pass rebuilds it when it still
    // has offered components. Anything but a time-record group is deleted as a cash-income group.
    const std::unique_ptr<TDBConnector> other = context_.NewConnector();
    other->SQLExec(kRemovedGroups);
    for (; !other->Eof(); other->Next()) {
        const std::string group = other->FieldAsString("groupErpPk");
        const bool record = other->FieldAsString("groupClass") == kGroupClasses[0].groupClass;
        service_.deleteByDto(NewRecord(kGroupClasses[record ? 0 : 1].portalType), group);
    }
    other->Close();

    // Replacement pass: never merged, always deleted and saved again with exactly the offered components.
    for (; !groups.Eof(); groups.Next()) {
        const std::string group = groups.FieldAsString("groupErpPk");
        const std::string groupClass = groups.FieldAsString("groupClass");
        const GroupClass* cls = findGroupClass(groupClass);
        if (!cls)
            throw EQueltaError("Skupina mzdových složek " + group + " má neznámou třídu '" + groupClass +
                               "'; další skupiny nebyly odeslány.");
        soap::Record dto = NewRecord(cls->portalType);
        if (service_.getDtoByErpPk(dto, group)) service_.deleteByDto(dto, group);
        dto.set("groupType", soap::Value(std::string(cls->groupClass)));

        other->SQLExec(kGroupComponents + common::SqlNString(group));
        if (!other->Eof()) {
            soap::Array types(*dto.type().find("types")->type.array);
            types.items().reserve(other->RecordCount());
            for (; !other->Eof(); other->Next()) {
                soap::Record component = NewRecord("PayrollComponentsTypeDto");
                FillFromRow(component, *other, kComponent);
                types.add(soap::Value(std::move(component)));
            }
            dto.set("erpPk", soap::Value(group));
            dto.set("name", soap::Value(groups.FieldAsString("groupName")));
            dto.set("groupType", soap::Value(groups.FieldAsString("groupType")));
            dto.set("types", soap::Value(std::move(types)));
            service_.saveOrUpdateByDto(dto, group);
        }
        other->Close();
        progress_.Step();
    }
    groups.SQLExec(StampDateStatement(kCode));
    groups.Close();
}

void TWorkflowSynch::PayrollComponents() {
    TQUELTAPayrollComponents(Context(), Service()).PayrollComponentsUpload();
}

} // namespace quelta
