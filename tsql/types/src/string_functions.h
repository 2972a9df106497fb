#pragma once
//! String built-ins (private to the library; reached through the function table).

#include "tsql/functions.h"

namespace tsql::detail {

//! VARCHAR/NVARCHAR (VARBINARY for binary input) of the first argument's length.
Type sameTextType(std::span<const Type> args);
Type replaceType(std::span<const Type> args);
Type replicateType(std::span<const Type> args);
Type spaceType(std::span<const Type> args);
Type strType(std::span<const Type> args);
Type quoteNameType(std::span<const Type> args);

Value lenEval(Args a);
Value dataLengthEval(Args a);
Value substringEval(Args a);
Value leftEval(Args a);
Value rightEval(Args a);
Value ltrimEval(Args a);
Value rtrimEval(Args a);
Value upperEval(Args a);
Value lowerEval(Args a);
Value replaceEval(Args a);
Value charIndexEval(Args a);
Value replicateEval(Args a);
Value spaceEval(Args a);
Value strEval(Args a);
Value quoteNameEval(Args a);

} // namespace tsql::detail
