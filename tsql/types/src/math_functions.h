#pragma once
//! Mathematical built-ins (private to the library; reached through the function table).

#include "tsql/functions.h"

namespace tsql::detail {

Type absType(std::span<const Type> args);
Type floorType(std::span<const Type> args);
Type roundType(std::span<const Type> args);
Type powerType(std::span<const Type> args);
//! FLOAT, whatever the (numeric) argument types (SQRT, SIN, LOG, PI, RAND, ...).
Type floatType(std::span<const Type> args);
//! The argument's own type (DEGREES and RADIANS keep it; small integers and BIT become INT).
Type angleType(std::span<const Type> args);

Value absEval(Args a);
Value signEval(Args a);
Value floorEval(Args a);
Value ceilingEval(Args a);
Value roundEval(Args a);
Value powerEval(Args a);
Value squareEval(Args a);
Value sqrtEval(Args a);
Value expEval(Args a);
Value logEval(Args a);
Value log10Eval(Args a);
Value sinEval(Args a);
Value cosEval(Args a);
Value tanEval(Args a);
Value cotEval(Args a);
Value asinEval(Args a);
Value acosEval(Args a);
Value atanEval(Args a);
Value atn2Eval(Args a);
Value degreesEval(Args a);
Value radiansEval(Args a);
Value piEval(Args a);
//! RAND([seed]): a float in [0, 1); a seed restarts the session's sequence, so the same seed gives the
//! same value.
Value randEval(Args a);

} // namespace tsql::detail
