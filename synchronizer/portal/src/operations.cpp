#include "quelta/portal/operations.h"

namespace quelta {

namespace {

constexpr OperationDef kOperations[] = {
    {"echo", {{{"in", "string"}}}, 1, "string"},
    {"findChangedEntities",
     {{{"entity", "SynchronizeModel"}, {"lastCommitNumber", "long"}}},
     2,
     "ArrayOf_tns1_SynchronizeModel"},
    {"findChangedAgreedCashIncomeDtos", {{{"lastCommitNumber", "long"}}}, 1, "ArrayOf_tns1_CashIncomeDto"},
    {"findChangedAgreedRecordDtos", {{{"lastCommitNumber", "long"}}}, 1, "ArrayOf_tns1_RecordDto"},
    {"saveCashIncomeDtos", {{{"cashIncomeDto", "CashIncomeDto"}}}, 1, ""},
    {"saveRecordDtos", {{{"recordDto", "RecordDto"}}}, 1, ""},
    {"saveEmployeeCalendarDto", {{{"employeeCalendarDto", "EmployeeCalendarDto"}}}, 1, ""},
    {"getEntityByPortalId", {{{"entity", "SynchronizeModel"}, {"portalId", "int"}}}, 2, "SynchronizeModel"},
    {"getEntityByErpPk", {{{"entity", "SynchronizeModel"}, {"erpPk", "string"}}}, 2, "SynchronizeModel"},
    {"saveOrUpdateByErpPk", {{{"entity", "SynchronizeModel"}, {"erpPk", "string"}}}, 2, ""},
    {"saveOrUpdateByPortalId", {{{"entity", "SynchronizeModel"}, {"portalId", "int"}}}, 2, ""},
    {"deleteByErpPk", {{{"entity", "SynchronizeModel"}, {"erpPk", "string"}}}, 2, ""},
    {"deleteByPortalId", {{{"entity", "SynchronizeModel"}, {"portalId", "int"}}}, 2, ""},
    {"getDtoByErpPk", {{{"dto", "BaseExtendedDto"}, {"erpPk", "string"}}}, 2, "BaseExtendedDto"},
    {"saveOrUpdateByDto", {{{"dto", "BaseExtendedDto"}, {"erpPk", "string"}}}, 2, ""},
    {"deleteByDto", {{{"dto", "BaseExtendedDto"}, {"erpPk", "string"}}}, 2, ""},
    {"findChangedDtos",
     {{{"dto", "BaseExtendedDto"}, {"lastCommitNumber", "long"}}},
     2,
     "ArrayOf_tns1_BaseExtendedDto"},
    {"saveOrUpdateDtoByPortalId", {{{"dto", "BaseExtendedDto"}}}, 1, ""},
    {"getDtoByPortalId", {{{"dto", "BaseExtendedDto"}, {"portalId", "int"}}}, 2, "BaseExtendedDto"},
    {"dummyMethod", {{{"day", "PayrollCalendarDay"}}}, 1, "PayrollCalendarDay"},
};

} // namespace

std::span<const OperationDef> PortalOperations() {
    return kOperations;
}

const OperationDef* FindPortalOperation(std::string_view name) {
    for (const auto& op : kOperations)
        if (op.name == name) return &op;
    return nullptr;
}

} // namespace quelta
