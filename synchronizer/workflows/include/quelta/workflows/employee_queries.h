#pragma once
//! The host queries of the employee mapper: the upload query over the host's staff and payroll tables and the
//! save query over the staged Portal employees.

#include <cstdint>
#include <string>

namespace quelta {

//! The employees flagged for the Portal with their data of the current payroll period; "SK" selects the
//! Slovak columns, any other legislation the Czech ones.
std::string EmployeeUploadQuery(const std::string& legislation);

//! The number of rows of the upload query (column "Pocet"): the same tables, joins and condition.
std::string EmployeeUploadCountQuery();

//! One staged employee of TabQUELTAZamPortal by the variable @ID, with the columns the mapper reads.
std::string EmployeeSaveQuery();

//! The extras sent with each uploaded employee, one batch of two result sets: the employee's family members
//! of the current period, then the employee's calendar assignment.
std::string EmployeeExtrasBatch(std::int32_t employeeId);

} // namespace quelta
