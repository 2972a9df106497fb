#include "convert_detail.h"
#include "tsql/error.h"
#include "utf8.h"

#include <algorithm>
#include <cstdio>

namespace tsql {

namespace {

//! Text layouts of DATETIME for CONVERT styles. Fields: {yyyy} {yy} {mm} {dd} {dd_} (blank-padded day)
//! {mon} {hh} {h12} (blank-padded 12-hour) {mi} {ss} {mmm} {.mmm} (omitted when zero) {AM}.
struct DateStyle {
    int style;
    std::string_view layout;
};
constexpr DateStyle kDateStyles[] = {
    {0, "{mon} {dd_} {yyyy} {h12}:{mi}{AM}"},
    {1, "{mm}/{dd}/{yy}"},
    {2, "{yy}.{mm}.{dd}"},
    {3, "{dd}/{mm}/{yy}"},
    {4, "{dd}.{mm}.{yy}"},
    {5, "{dd}-{mm}-{yy}"},
    {6, "{dd} {mon} {yy}"},
    {7, "{mon} {dd}, {yy}"},
    {8, "{hh}:{mi}:{ss}"},
    {9, "{mon} {dd_} {yyyy} {h12}:{mi}:{ss}:{mmm}{AM}"},
    {10, "{mm}-{dd}-{yy}"},
    {11, "{yy}/{mm}/{dd}"},
    {12, "{yy}{mm}{dd}"},
    {13, "{dd} {mon} {yyyy} {hh}:{mi}:{ss}:{mmm}"},
    {14, "{hh}:{mi}:{ss}:{mmm}"},
    {20, "{yyyy}-{mm}-{dd} {hh}:{mi}:{ss}"},
    {21, "{yyyy}-{mm}-{dd} {hh}:{mi}:{ss}.{mmm}"},
    {23, "{yyyy}-{mm}-{dd}"},
    {100, "{mon} {dd_} {yyyy} {h12}:{mi}{AM}"},
    {101, "{mm}/{dd}/{yyyy}"},
    {102, "{yyyy}.{mm}.{dd}"},
    {103, "{dd}/{mm}/{yyyy}"},
    {104, "{dd}.{mm}.{yyyy}"},
    {105, "{dd}-{mm}-{yyyy}"},
    {106, "{dd} {mon} {yyyy}"},
    {107, "{mon} {dd}, {yyyy}"},
    {108, "{hh}:{mi}:{ss}"},
    {109, "{mon} {dd_} {yyyy} {h12}:{mi}:{ss}:{mmm}{AM}"},
    {110, "{mm}-{dd}-{yyyy}"},
    {111, "{yyyy}/{mm}/{dd}"},
    {112, "{yyyy}{mm}{dd}"},
    {113, "{dd} {mon} {yyyy} {hh}:{mi}:{ss}:{mmm}"},
    {114, "{hh}:{mi}:{ss}:{mmm}"},
    {120, "{yyyy}-{mm}-{dd} {hh}:{mi}:{ss}"},
    {121, "{yyyy}-{mm}-{dd} {hh}:{mi}:{ss}.{mmm}"},
    {126, "{yyyy}-{mm}-{dd}T{hh}:{mi}:{ss}{.mmm}"},
    {127, "{yyyy}-{mm}-{dd}T{hh}:{mi}:{ss}{.mmm}"},
};

const DateStyle* findDateStyle(int style) {
    const auto* it = std::find_if(std::begin(kDateStyles), std::end(kDateStyles),
                                  [&](const DateStyle& s) { return s.style == style; });
    return it == std::end(kDateStyles) ? nullptr : it;
}

std::string pad(int v, int width, char fill = '0') {
    const std::string digits = std::to_string(v);
    const auto w = static_cast<std::size_t>(width);
    return digits.size() < w ? std::string(w - digits.size(), fill) + digits : digits;
}

std::string formatDateTime(const DateTime::Parts& p, std::string_view layout) {
    static constexpr std::string_view months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::string out;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        if (layout[i] != '{') {
            out += layout[i];
            continue;
        }
        const auto close = layout.find('}', i);
        const std::string_view f = layout.substr(i + 1, close - i - 1);
        i = close;
        const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
        if (f == "yyyy")
            out += pad(p.year, 4);
        else if (f == "yy")
            out += pad(p.year % 100, 2);
        else if (f == "mm")
            out += pad(p.month, 2);
        else if (f == "dd")
            out += pad(p.day, 2);
        else if (f == "dd_")
            out += pad(p.day, 2, ' ');
        else if (f == "mon")
            out += months[p.month - 1];
        else if (f == "hh")
            out += pad(p.hour, 2);
        else if (f == "h12")
            out += pad(h12, 2, ' ');
        else if (f == "mi")
            out += pad(p.minute, 2);
        else if (f == "ss")
            out += pad(p.second, 2);
        else if (f == "mmm")
            out += pad(p.millisecond, 3);
        else if (f == ".mmm" && p.millisecond)
            out += '.' + pad(p.millisecond, 3);
        else if (f == "AM")
            out += p.hour < 12 ? "AM" : "PM";
    }
    return out;
}

//! C's %e/%g output with the exponent widened to three digits, as SQL Server writes floats.
std::string widenExponent(std::string s) {
    const auto e = s.find('e');
    if (e == std::string::npos) return s;
    std::string digits = s.substr(e + 2);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return s.substr(0, e + 2) + digits;
}

std::string formatFloat(double d, int style) {
    char buf[64];
    switch (style) {
    case 1:
        std::snprintf(buf, sizeof buf, "%.7e", d);
        break;
    case 2:
        std::snprintf(buf, sizeof buf, "%.15e", d);
        break;
    case 3:
        std::snprintf(buf, sizeof buf, "%.16e", d);
        break;
    default:
        std::snprintf(buf, sizeof buf, "%.6g", d);
        break;
    }
    return widenExponent(buf);
}

std::string withThousands(const std::string& number) {
    const std::size_t start = !number.empty() && number[0] == '-' ? 1 : 0;
    const std::size_t end = std::min(number.find('.'), number.size());
    std::string out = number.substr(0, start);
    for (std::size_t k = start; k < end; ++k) {
        if (k > start && (end - k) % 3 == 0) out += ',';
        out += number[k];
    }
    out.append(number, end, std::string::npos);
    return out;
}

std::string hexText(const Bytes& b, bool prefix) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out = prefix ? "0x" : "";
    for (std::uint8_t x : b) {
        out += hex[x >> 4];
        out += hex[x & 15];
    }
    return out;
}

//! Number text that does not fit a character type: '*' for integers into CHAR/VARCHAR, else 8115.
[[noreturn]] void numberTooLong(const Type& from, const Type& to, ConversionKind kind) {
    if (kind == ConversionKind::Store) raise(8152);
    raise(8115,
          {isIntegerType(from.id) ? "expression" : std::string(from.baseName()), std::string(to.baseName())});
}

} // namespace

namespace detail {

void checkStyle(const Type& from, const Type& to, int style) {
    const bool fromText = isCharacterType(from.id), toText = isCharacterType(to.id);
    const auto bad = [&](std::string_view fromName, std::string_view toName) {
        raise(281, {std::to_string(style), std::string(fromName), std::string(toName)});
    };
    if (isDateOrTimeType(from.id) && toText && !findDateStyle(style))
        bad(from.baseName(), "character string");
    if (fromText && isDateOrTimeType(to.id) && !findDateStyle(style)) bad("character string", to.baseName());
    if ((from.id == TypeId::Float || from.id == TypeId::Real) && toText && (style < 0 || style > 3) &&
        style != 126 && style != 128 && style != 129)
        bad(from.baseName(), "character string");
    if (from.id == TypeId::Money && toText && (style < 0 || style > 2) && style != 126)
        bad("money", "character string");
    if (((isBinaryType(from.id) && toText) || (fromText && isBinaryType(to.id))) && (style < 0 || style > 2))
        bad(from.baseName(), to.baseName());
}

Value textFromValue(const Value& v, const Type& to, ConversionKind kind, int style) {
    const Type& from = v.type();
    const bool unicode = isUnicodeType(to.id);
    const auto fitNumber = [&](std::string s) {
        if (to.length != Type::kMax && !isLargeObjectType(to.id) && textLength(s, unicode) > to.length) {
            if (isIntegerType(from.id) && !unicode && kind != ConversionKind::Store)
                return fitText("*", to, kind);
            numberTooLong(from, to, kind);
        }
        return fitText(std::move(s), to, kind);
    };
    if (isCharacterType(from.id)) return fitText(v.asString(), to, kind);
    if (isIntegerType(from.id)) return fitNumber(std::to_string(v.asInt()));
    if (from.id == TypeId::Money) {
        const Decimal& d = v.asDecimal();
        if (style == 2 || style == 126) return fitNumber(d.toString());
        const std::string two = d.rescale(2)->toString();
        return fitNumber(style == 1 ? withThousands(two) : two);
    }
    if (isDecimalType(from.id)) return fitNumber(v.asDecimal().toString());
    if (from.id == TypeId::Float || from.id == TypeId::Real)
        return fitNumber(formatFloat(v.asDouble(), style));
    if (from.id == TypeId::DateTime) {
        const DateStyle* ds = findDateStyle(style);
        if (!ds) ds = findDateStyle(0);
        return fitText(formatDateTime(v.asDateTime().parts(), ds->layout), to,
                       kind == ConversionKind::Store ? kind : ConversionKind::Explicit);
    }
    if (from.id == TypeId::Date || from.id == TypeId::Time) {
        // The default style writes DATE as yyyy-mm-dd and TIME with all its fraction digits; the others
        // lay the value out as they do a DATETIME.
        const DateTime::Parts parts = from.id == TypeId::Date ? v.asDate().parts() : v.asTime().parts();
        const DateStyle* ds = findDateStyle(style);
        std::string text = style == 0 || !ds ? (from.id == TypeId::Date ? v.asDate().toString()
                                                                        : v.asTime().toString(from.scale))
                                             : formatDateTime(parts, ds->layout);
        return fitText(std::move(text), to, kind == ConversionKind::Store ? kind : ConversionKind::Explicit);
    }
    if (from.id == TypeId::UniqueIdentifier) {
        if (to.length != Type::kMax && !isLargeObjectType(to.id) && to.length < 36) raise(8170);
        return fitText(guidToString(v.asGuid()), to, kind);
    }
    if (isBinaryType(from.id)) {
        if (style == 1 || style == 2) return fitText(hexText(v.asBytes(), style == 1), to, kind);
        return fitText(unicode ? fromUtf16Le(v.asBytes()) : fromLatin1(v.asBytes()), to, kind);
    }
    unsupported(from, to);
}

} // namespace detail

std::string toText(const Value& v) {
    if (v.isNull()) return {};
    return detail::convertWithStyle(v, Type::nVarChar(Type::kMax), ConversionKind::Explicit, 0).asString();
}

} // namespace tsql
