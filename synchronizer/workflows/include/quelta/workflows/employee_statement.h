#pragma once
//! The statement that hands one employee received from the Portal to the staging procedure
//! [dbo].[_HP_QUELTA_NovyZamestnanecZPortalu]: one labelled line per parameter.

#include "quelta/portal/registry.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quelta {

//! How a record member is written as a parameter value.
enum class ParamForm : std::uint8_t {
    Number,       //!< decimal digits, unquoted
    NumberOrNull, //!< decimal digits, NULL for 0
    Text,         //!< N-prefixed Unicode literal (N'' for an empty text)
    TextOrNull,   //!< N-prefixed Unicode literal, NULL for an empty text
    Date,         //!< 'yyyymmdd' of the date, NULL without one
    DecimalText,  //!< N-prefixed literal of the number's shortest decimal text with "." as decimal separator
    Binary,       //!< 0x and two upper-case hexadecimal digits per byte (0x alone for none)
};

//! One parameter of the procedure and the EmployeeDto member it takes.
struct ProcedureParam {
    std::string_view name; //!< without "@"
    std::string_view member;
    ParamForm form;
};

//! The 48 parameters in the procedure's order.
std::span<const ProcedureParam> NewEmployeeParams();

//! "@" + name padded with spaces to 19 characters + "= ".
std::string ParamLabel(std::string_view name);

//! The value of one member in a parameter form.
std::string ParamValue(const soap::Record& employee, const ProcedureParam& param);

//! The whole statement for one EmployeeDto: "EXEC [dbo].[_HP_QUELTA_NovyZamestnanecZPortalu]" CR, the
//! labelled values separated by "," CR, then CR "SELECT 1".
std::string NewEmployeeStatement(const soap::Record& employee);

} // namespace quelta
