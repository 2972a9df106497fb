#pragma once
//! Building Portal records from the current row of a connector: members filled from columns by the member's
//! declared type, dates with or without their time of day, and records looked up on the Portal.

#include "quelta/db_connector.h"
#include "quelta/portal/registry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quelta {

//! How a column is read into a member.
enum class ColumnRead : std::uint8_t {
    Strict,   //!< NULL is a conversion error
    Lenient,  //!< NULL gives the member's empty value ("" for texts, 0 for numbers, false)
    DateOnly, //!< a date-time member gets the date without time of day and offset; NULL clears the member
    DateTime, //!< a date-time member gets the date and time of day with zero offset; NULL clears the member
};

//! One member filled from one column of the current row.
struct ColumnBinding {
    std::string_view member; //!< wire name of the record's member
    std::string_view column; //!< column of the open result
    ColumnRead read = ColumnRead::Strict;
};

//! Sets `member` from the column: a text member takes the column's text, an integer or floating-point member
//! its number, a date-time member its date (with the time of day when read as DateTime). Throws EConvertError
//! for a NULL read strictly or a value that does not convert, EDatabaseError for a missing column.
void SetMemberFromColumn(soap::Record& record, const TDBConnector& db, const ColumnBinding& binding);

//! Sets every member of the bindings, in their order.
void FillFromRow(soap::Record& record, const TDBConnector& db, std::span<const ColumnBinding> bindings);

//! The date of a host date-time as the Portal receives dates: midnight with zero offset.
soap::DateTime PortalDate(double hostDateTime);

//! The record the Portal returned, checked to be of `typeName` (EInvalidCast otherwise), or a new empty
//! record of that type when it returned none.
soap::Record FoundOrNew(std::optional<soap::Record> found, std::string_view typeName);

} // namespace quelta
