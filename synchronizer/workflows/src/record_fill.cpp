#include "quelta/workflows/record_fill.h"

#include "common/datetime.h"
#include "quelta/errors.h"
#include "quelta/portal/datetime.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace quelta {

namespace {

soap::Value columnValue(const soap::MemberInfo& m, const TDBConnector& db, const ColumnBinding& b) {
    const bool isNull = db.FieldIsNull(b.column);
    if (isNull && b.read == ColumnRead::Strict) {
        throw EConvertError("Pole '" + std::string(b.column) + "' je NULL a nelze je přenést do položky " +
                            std::string(b.member) + " na portál");
    }
    switch (m.type.scalar) {
    case soap::Scalar::String:
    case soap::Scalar::SoapString:
        return soap::Value(db.FieldAsString(b.column));
    case soap::Scalar::Int:
        return soap::Value(isNull ? std::int32_t{0} : db.FieldAsInteger(b.column));
    case soap::Scalar::Long:
        return soap::Value(isNull ? std::int64_t{0} : db.FieldAsLargeInt(b.column));
    case soap::Scalar::Double:
        return soap::Value(isNull ? 0.0 : db.FieldAsFloat(b.column));
    case soap::Scalar::DateTime:
        if (isNull) return soap::Value();
        if (b.read == ColumnRead::DateTime) {
            const std::optional<soap::DateTime> value = ToPortalDateTime(db.FieldAsDateTime(b.column));
            return value ? soap::Value(*value) : soap::Value();
        }
        return soap::Value(PortalDate(db.FieldAsDateTime(b.column)));
    default:
        throw std::logic_error("member " + m.name + " cannot be filled from a column");
    }
}

} // namespace

void SetMemberFromColumn(soap::Record& record, const TDBConnector& db, const ColumnBinding& binding) {
    const soap::MemberInfo* m = record.type().find(binding.member);
    if (!m) throw std::logic_error(record.type().name() + " has no member " + std::string(binding.member));
    record.set(binding.member, columnValue(*m, db, binding));
}

void FillFromRow(soap::Record& record, const TDBConnector& db, std::span<const ColumnBinding> bindings) {
    for (const ColumnBinding& b : bindings)
        SetMemberFromColumn(record, db, b);
}

soap::DateTime PortalDate(double hostDateTime) {
    const common::DateTimeFields f = common::DecodeDateTime(std::floor(hostDateTime));
    return soap::DateTime::date(f.year, f.month, f.day);
}

soap::Record FoundOrNew(std::optional<soap::Record> found, std::string_view typeName) {
    if (!found) return NewRecord(typeName);
    if (!found->is(typeName))
        throw EInvalidCast("Invalid class typecast: a " + found->type().name() + " is not a " +
                           std::string(typeName));
    return std::move(*found);
}

} // namespace quelta
