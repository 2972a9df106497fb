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
//! STUFF: VARCHAR(8000), or NVARCHAR(4000) when either text is Unicode (MAX for MAX input).
Type stuffType(std::span<const Type> args);
Type charType(std::span<const Type> args);
Type nCharType(std::span<const Type> args);
Type soundexType(std::span<const Type> args);

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
Value patIndexEval(Args a);
Value reverseEval(Args a);
Value stuffEval(Args a);

// Single characters and their codes (character_functions.cpp).
Value asciiEval(Args a);
Value charEval(Args a);
Value nCharEval(Args a);
Value unicodeEval(Args a);
Value soundexEval(Args a);
Value differenceEval(Args a);

} // namespace tsql::detail
