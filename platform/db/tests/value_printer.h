#pragma once
//! Readable database values in test failures.

#include "platform/db/value.h"

#include <ostream>

namespace platform::db {

void PrintTo(const Value& value, std::ostream* out);

} // namespace platform::db
