#include "quelta/portal/operations.h"

namespace quelta {

namespace {

constexpr OperationDef kOperations[] = {
    {"echo", {{{"in", "string"}}}, "string"},
    {"findChangedEntities",
     {{{"entity", "SynchronizeModel"}, {"lastCommitNumber", "long"}}},
     "ArrayOf_tns1_SynchronizeModel"},
    {"findChangedAgreedCashIncomeDtos", {{{"lastCommitNumber", "long"}}}, "ArrayOf_tns1_CashIncomeDto"},
    {"findChangedAgreedRecordDtos", {{{"lastCommitNumber", "long"}}}, "ArrayOf_tns1_RecordDto"},
    {"saveCashIncomeDtos", {{{"cashIncomeDto", "CashIncomeDto"}}}, ""},
    {"saveRecordDtos", {{{"recordDto", "RecordDto"}}}, ""},
    {"saveEmployeeCalendarDto", {{{"employeeCalendarDto", "EmployeeCalendarDto"}}}, ""},
    {"getEntityByPortalId", {{{"entity", "SynchronizeModel"}, {"portalId", "int"}}}, "SynchronizeModel"},
    {"getEntityByErpPk", {{{"entity", "SynchronizeModel"}, {"erpPk", "string"}}}, "SynchronizeModel"},
    {"saveOrUpdateByErpPk", {{{"entity", "SynchronizeModel"}, {"erpPk", "string"}}}, ""},
    {"saveOrUpdateByPortalId", {{{"entity", "SynchronizeModel"}, {"portalId", "int"}}}, ""},
    {"deleteByErpPk", {{{"entity", "SynchronizeModel"}, {"erpPk", "string"}}}, ""},
    {"deleteByPortalId", {{{"entity", "SynchronizeModel"}, {"portalId", "int"}}}, ""},
    {"getDtoByErpPk", {{{"dto", "BaseExtendedDto"}, {"erpPk", "string"}}}, "BaseExtendedDto"},
    {"saveOrUpdateByDto", {{{"dto", "BaseExtendedDto"}, {"erpPk", "string"}}}, ""},
    {"deleteByDto", {{{"dto", "BaseExtendedDto"}, {"erpPk", "string"}}}, ""},
    {"findChangedDtos",
     {{{"dto", "BaseExtendedDto"}, {"lastCommitNumber", "long"}}},
     "ArrayOf_tns1_BaseExtendedDto"},
    {"saveOrUpdateDtoByPortalId", {{{"dto", "BaseExtendedDto"}}}, ""},
    {"getDtoByPortalId", {{{"dto", "BaseExtendedDto"}, {"portalId", "int"}}}, "BaseExtendedDto"},
    {"dummyMethod", {{{"day", "PayrollCalendarDay"}}}, "PayrollCalendarDay"},
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
