#include "hodnoty.h"

#include <charconv>
#include <cmath>

namespace plugin::instalace {

std::string Text(const TaVariant& hodnota) {
    using platform::db::ValueKind;
    switch (hodnota.kind()) {
    case ValueKind::Null:
        return {};
    case ValueKind::Text:
        return hodnota.asText();
    case ValueKind::Int:
        return std::to_string(hodnota.asInt());
    case ValueKind::Bool:
        return hodnota.asBool() ? "1" : "0";
    case ValueKind::Decimal:
        return hodnota.asDecimal().text;
    default:
        return std::to_string(Cislo(hodnota));
    }
}

int Cislo(const TaVariant& hodnota) {
    using platform::db::ValueKind;
    switch (hodnota.kind()) {
    case ValueKind::Int:
        return static_cast<int>(hodnota.asInt());
    case ValueKind::Bool:
        return hodnota.asBool() ? 1 : 0;
    case ValueKind::Float:
        return static_cast<int>(std::lround(hodnota.asFloat()));
    case ValueKind::Text:
    case ValueKind::Decimal: {
        const auto text = hodnota.kind() == ValueKind::Text ? hodnota.asText() : hodnota.asDecimal().text;
        int cislo = 0;
        std::from_chars(text.data(), text.data() + text.size(), cislo);
        return cislo;
    }
    default:
        return 0;
    }
}

std::string CastTextu(const TaVariant& hodnota) {
    auto text = Text(hodnota);
    if (!text.empty() && text.back() == '|') text.pop_back();
    return text;
}

} // namespace plugin::instalace
