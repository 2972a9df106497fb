#pragma once
//! Date-time values between the host's day numbers and the Portal's dateTime records.

#include "common/datetime.h"
#include "quelta/portal/registry.h"

#include <optional>

namespace quelta {

//! A host date-time as the Portal receives it: its calendar fields with zero offset (a date without a time is
//! midnight with zero offset); zero, the host's "no date", gives none (the member is left out).
std::optional<soap::DateTime> ToPortalDateTime(common::TDateTime value);

//! A Portal date-time as a host day number, with the calendar fields as the sender wrote them (never shifted
//! to another zone); none gives zero. Throws EPortalResponse for fields the host cannot hold.
common::TDateTime ToHostDateTime(const std::optional<soap::DateTime>& value);

//! The calendar date of a Portal date-time as the sender wrote it (time of day dropped); none gives zero.
common::TDateTime ToHostDate(const std::optional<soap::DateTime>& value);

} // namespace quelta
