#include "standins/tarvik/buffered_query.h"

#include "common/ascii.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace standins::tarvik {

using platform::db::ValueKind;

namespace {

bool isNumber(const plugin::TaVariant& v) {
    return v.kind() == ValueKind::Int || v.kind() == ValueKind::Float || v.kind() == ValueKind::Decimal ||
           v.kind() == ValueKind::Bool;
}

double numberOf(const plugin::TaVariant& v) {
    switch (v.kind()) {
    case ValueKind::Int:
        return double(v.asInt());
    case ValueKind::Float:
        return v.asFloat();
    case ValueKind::Bool:
        return v.asBool() ? 1 : 0;
    default:
        return std::stod(v.asDecimal().text);
    }
}

bool parsesAsNumber(const std::string& s, double& out) {
    try {
        std::size_t used = 0;
        out = std::stod(s, &used);
        return used == s.size();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool sameHostValue(const plugin::TaVariant& a, const plugin::TaVariant& b) {
    if (a.isNull() || b.isNull()) return a.isNull() && b.isNull();
    if (isNumber(a) && isNumber(b)) return numberOf(a) == numberOf(b);
    double n = 0;
    if (isNumber(a) && b.kind() == ValueKind::Text) return parsesAsNumber(b.asText(), n) && n == numberOf(a);
    if (isNumber(b) && a.kind() == ValueKind::Text) return parsesAsNumber(a.asText(), n) && n == numberOf(b);
    if (a.kind() == ValueKind::DateTime && b.kind() == ValueKind::DateTime)
        return a.asDateTime() == b.asDateTime();
    return common::EqualsIgnoreCaseAscii(platform::db::toText(a), platform::db::toText(b));
}

BufferedQuery::BufferedQuery(platform::db::ResultSet rows)
    : rows_(std::move(rows)) {
    eof_ = RecordCount() == 0;
}

plugin::TaVariant BufferedQuery::FieldValue(int column) const {
    // An empty result reads as NULL whatever is asked, also when the batch gave no result set at all.
    if (RecordCount() == 0) return plugin::TaVariant::null();
    if (column < 0 || std::size_t(column) >= rows_.columns().size())
        throw plugin::TarvikError("Column " + std::to_string(column) + " does not exist; the result has " +
                                  std::to_string(rows_.columns().size()) + " columns.");
    return rows_.rows()[std::size_t(position_)][std::size_t(column)];
}

bool BufferedQuery::Eof() const {
    return eof_;
}

bool BufferedQuery::Bof() const {
    return bof_;
}

void BufferedQuery::Next() {
    if (position_ + 1 < RecordCount()) {
        ++position_;
        bof_ = false;
        eof_ = false;
    } else {
        eof_ = true;
    }
}

void BufferedQuery::Prior() {
    if (position_ > 0 && RecordCount() > 0) {
        --position_;
        bof_ = false;
        eof_ = false;
    } else {
        bof_ = true;
    }
}

int BufferedQuery::RecordCount() const {
    return static_cast<int>(rows_.rowCount());
}

bool BufferedQuery::LocateValue(std::string_view column, const plugin::TaVariant& value) {
    const auto index = rows_.columnIndex(column);
    if (!index) throw plugin::TarvikError("Column " + std::string(column) + " does not exist in the result.");
    for (int row = 0; row < RecordCount(); ++row)
        if (sameHostValue(rows_.rows()[std::size_t(row)][*index], value)) {
            moveTo(row);
            return true;
        }
    return false;
}

void BufferedQuery::reset(platform::db::ResultSet rows) {
    rows_ = std::move(rows);
    moveTo(position_);
}

void BufferedQuery::moveTo(int row) {
    position_ = std::clamp(row, 0, std::max(RecordCount() - 1, 0));
    bof_ = RecordCount() == 0;
    eof_ = RecordCount() == 0;
}

} // namespace standins::tarvik
