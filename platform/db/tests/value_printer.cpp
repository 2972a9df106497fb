#include "value_printer.h"

namespace platform::db {

void PrintTo(const Value& value, std::ostream* out) {
    *out << kindName(value.kind());
    switch (value.kind()) {
    case ValueKind::Null:
        break;
    case ValueKind::Bool:
        *out << " " << value.asBool();
        break;
    case ValueKind::Int:
        *out << " " << value.asInt();
        break;
    case ValueKind::Float:
        *out << " " << value.asFloat();
        break;
    case ValueKind::Decimal:
        *out << " " << value.asDecimal().text;
        break;
    case ValueKind::Text:
        *out << " \"" << value.asText().substr(0, 80) << "\" (" << value.asText().size() << " bytes)";
        break;
    case ValueKind::DateTime:
        *out << " " << value.asDateTime();
        break;
    case ValueKind::Bytes:
        *out << " of " << value.asBytes().size() << " bytes";
        break;
    }
}

} // namespace platform::db
