#include "quelta/portal/datetime.h"

#include "quelta/portal/errors.h"

#include <stdexcept>

namespace quelta {

std::optional<soap::DateTime> ToPortalDateTime(common::TDateTime value) {
    if (value == 0) return std::nullopt;
    const common::DateTimeFields f = common::DecodeDateTime(value);
    return soap::DateTime{f.year, f.month, f.day, f.hour, f.minute, f.second, f.millisecond, true, 0};
}

common::TDateTime ToHostDateTime(const std::optional<soap::DateTime>& value) {
    if (!value) return 0;
    const soap::DateTime& v = *value;
    try {
        return common::EncodeDateTime({v.year, v.month, v.day, v.hour, v.minute, v.second, v.millisecond});
    } catch (const std::invalid_argument&) {
        throw EPortalResponse("The Portal sent the date " + soap::formatDateTime(v) +
                              ", which cannot be stored in the host");
    }
}

common::TDateTime ToHostDate(const std::optional<soap::DateTime>& value) {
    if (!value) return 0;
    soap::DateTime date = *value;
    date.hour = date.minute = date.second = date.millisecond = 0;
    return ToHostDateTime(date);
}

} // namespace quelta
