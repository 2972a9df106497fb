#pragma once
//! Date built-ins (private to the library; reached through the function table).

#include "tsql/functions.h"

namespace tsql::detail {

Value yearEval(Args a);
Value monthEval(Args a);
Value dayEval(Args a);
Value dateAddEval(Args a);
//! DATEADD keeps a DATE or TIME argument's type; others become DATETIME.
Type dateAddType(std::span<const Type> args);
Value dateDiffEval(Args a);
Value datePartEval(Args a);
//! DATENAME: the part as NVARCHAR text, month and weekday by their (us_english) names.
Value dateNameEval(Args a);
Type dateNameType(std::span<const Type> args);

} // namespace tsql::detail
