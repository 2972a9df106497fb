#include "string_functions.h"

#include "tsql/collation.h"
#include "tsql/convert.h"
#include "tsql/error.h"
#include "utf8.h"

#include <unicode/uchar.h>

#include <algorithm>

namespace tsql::detail {

namespace {

//! Text of an argument: character values as they are, anything else as CAST to NVARCHAR gives it.
std::string textOf(const Value& v) {
    return isCharacterType(v.type().id) ? v.asString() : toText(v);
}

bool unicodeArg(const Type& t) {
    return isUnicodeType(t.id);
}

std::int64_t intArg(const Value& v) {
    return convert(v, Type::bigInt(), ConversionKind::Implicit).asInt();
}

Value textResult(std::string s, const Type& t) {
    return Value::text(std::move(s), t);
}

char32_t fold(char32_t c) {
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

std::u32string folded(std::u32string s) {
    for (char32_t& c : s)
        c = fold(c);
    return s;
}

std::string stripRight(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::int64_t lengthOf(std::string_view s, bool unicode) {
    return textLength(s, unicode);
}

Type textTypeFor(const Type& t, std::int32_t length) {
    return Type{unicodeArg(t) ? TypeId::NVarChar : TypeId::VarChar, length, 0, 0};
}

} // namespace

Type sameTextType(std::span<const Type> args) {
    const Type& t = args[0];
    if (isBinaryType(t.id)) return Type::varBinary(t.id == TypeId::Image ? Type::kMax : t.length);
    if (isLargeObjectType(t.id)) return textTypeFor(t, Type::kMax);
    if (isCharacterType(t.id)) return textTypeFor(t, t.length);
    return Type::varChar(8000);
}

Type replaceType(std::span<const Type> args) {
    const bool unicode =
        std::any_of(args.begin(), args.end(), [](const Type& t) { return isUnicodeType(t.id); });
    const bool max = args[0].length == Type::kMax || isLargeObjectType(args[0].id);
    return unicode ? Type::nVarChar(max ? Type::kMax : 4000) : Type::varChar(max ? Type::kMax : 8000);
}

Type replicateType(std::span<const Type> args) {
    const bool max = args[0].length == Type::kMax || isLargeObjectType(args[0].id);
    return unicodeArg(args[0]) ? Type::nVarChar(max ? Type::kMax : 4000)
                               : Type::varChar(max ? Type::kMax : 8000);
}

Type spaceType(std::span<const Type>) {
    return Type::varChar(8000);
}

Type strType(std::span<const Type>) {
    return Type::varChar(8000);
}

Value lenEval(Args a) {
    if (a[0].isNull()) return Value::null(Type::integer());
    if (isBinaryType(a[0].type().id)) return Value::integer(static_cast<std::int64_t>(a[0].asBytes().size()));
    return Value::integer(lengthOf(stripRight(textOf(a[0])), unicodeArg(a[0].type())));
}

Value dataLengthEval(Args a) {
    const Value& v = a[0];
    if (v.isNull()) return Value::null(Type::integer());
    const Type& t = v.type();
    if (isCharacterType(t.id))
        return Value::integer(unicodeArg(t) ? 2 * lengthOf(v.asString(), true)
                                            : lengthOf(v.asString(), false));
    if (isBinaryType(t.id)) return Value::integer(static_cast<std::int64_t>(v.asBytes().size()));
    return Value::integer(typeFacts(t).length);
}

Value substringEval(Args a) {
    const Type t = sameTextType(std::array{a[0].type()});
    if (a[0].isNull() || a[1].isNull() || a[2].isNull()) return Value::null(t);
    const std::int64_t start = intArg(a[1]), length = intArg(a[2]);
    if (length < 0) raise(536, {"substring"});
    // Positions start at 1; characters before position 1 are counted but do not exist.
    const std::int64_t from = std::max<std::int64_t>(start, 1), to = std::max(start + length, from);
    if (isBinaryType(a[0].type().id)) {
        const Bytes& b = a[0].asBytes();
        const auto n = static_cast<std::int64_t>(b.size());
        const auto lo = std::min(from - 1, n), hi = std::min(to - 1, n);
        return Value::bytes(Bytes(b.begin() + lo, b.begin() + hi), t);
    }
    const std::u32string s = decodeUtf8(textOf(a[0]));
    const auto n = static_cast<std::int64_t>(s.size());
    const auto lo = std::min(from - 1, n), hi = std::min(to - 1, n);
    return textResult(encodeUtf8(std::u32string_view(s).substr(static_cast<std::size_t>(lo),
                                                               static_cast<std::size_t>(hi - lo))),
                      t);
}

namespace {

Value sideEval(Args a, bool left) {
    const Type t = sameTextType(std::array{a[0].type()});
    if (a[0].isNull() || a[1].isNull()) return Value::null(t);
    const std::int64_t count = intArg(a[1]);
    if (count < 0) raise(536, {left ? "left" : "right"});
    if (isBinaryType(a[0].type().id)) {
        const Bytes& b = a[0].asBytes();
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), b.size());
        return Value::bytes(left ? Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n))
                                 : Bytes(b.end() - static_cast<std::ptrdiff_t>(n), b.end()),
                            t);
    }
    const std::u32string s = decodeUtf8(textOf(a[0]));
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), s.size());
    return textResult(encodeUtf8(left ? s.substr(0, n) : s.substr(s.size() - n)), t);
}

} // namespace

Value leftEval(Args a) {
    return sideEval(a, true);
}
Value rightEval(Args a) {
    return sideEval(a, false);
}

Value ltrimEval(Args a) {
    const Type t = sameTextType(std::array{a[0].type()});
    if (a[0].isNull()) return Value::null(t);
    std::string s = textOf(a[0]);
    s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
    return textResult(std::move(s), t);
}

Value rtrimEval(Args a) {
    const Type t = sameTextType(std::array{a[0].type()});
    if (a[0].isNull()) return Value::null(t);
    return textResult(stripRight(textOf(a[0])), t);
}

Value upperEval(Args a) {
    const Type t = sameTextType(std::array{a[0].type()});
    if (a[0].isNull()) return Value::null(t);
    return textResult(upper(textOf(a[0])), t);
}

Value lowerEval(Args a) {
    const Type t = sameTextType(std::array{a[0].type()});
    if (a[0].isNull()) return Value::null(t);
    return textResult(lower(textOf(a[0])), t);
}

Value replaceEval(Args a) {
    const Type t = replaceType(std::array{a[0].type(), a[1].type(), a[2].type()});
    if (a[0].isNull() || a[1].isNull() || a[2].isNull()) return Value::null(t);
    const std::u32string s = decodeUtf8(textOf(a[0]));
    const std::u32string find = folded(decodeUtf8(textOf(a[1])));
    const std::u32string with = decodeUtf8(textOf(a[2]));
    if (find.empty()) return convert(Value::text(textOf(a[0]), t), t, ConversionKind::Assignment);
    const std::u32string hay = folded(s);
    const std::string withText = encodeUtf8(with);
    // The result is measured before it is built: past the limit of large values it is refused; past
    // the length of a type without MAX only what the type keeps is built.
    auto utf8Bytes = [](char32_t c) -> std::uint64_t {
        return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    };
    const bool max = t.length == Type::kMax;
    const std::uint64_t cap = max ? kMaxValueBytes : static_cast<std::uint64_t>(t.length) * 4;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < s.size() && bytes <= cap;) {
        if (hay.compare(i, find.size(), find) == 0) {
            bytes += withText.size();
            i += find.size();
        } else {
            bytes += utf8Bytes(s[i++]);
        }
    }
    if (max) checkValueSize(bytes);
    std::string out;
    out.reserve(static_cast<std::size_t>(std::min(bytes, cap + 4)));
    std::size_t run = 0; // start of the characters copied as they are
    std::size_t i = 0;
    while (i < s.size() && out.size() <= cap) {
        if (hay.compare(i, find.size(), find) == 0) {
            out += encodeUtf8(std::u32string_view(s).substr(run, i - run));
            out += withText;
            i += find.size();
            run = i;
        } else {
            ++i;
        }
    }
    if (out.size() <= cap) out += encodeUtf8(std::u32string_view(s).substr(run, i - run));
    return convert(Value::text(std::move(out), Type{t.id, Type::kMax, 0, 0}), t, ConversionKind::Assignment);
}

Type quoteNameType(std::span<const Type>) {
    return Type::nVarChar(258);
}

//! Delimits a name as an identifier: [name] with ] doubled (or '...' / "..." with the quote doubled);
//! NULL for an unknown quote character or a name longer than 128 characters, as the server does.
Value quoteNameEval(Args a) {
    const Type t = Type::nVarChar(258);
    if (a[0].isNull() || (a.size() > 1 && a[1].isNull())) return Value::null(t);
    const std::string name = textOf(a[0]);
    if (textLength(name, true) > 128) return Value::null(t);
    const std::string quote = a.size() > 1 ? textOf(a[1]) : "[";
    char open = 0;
    char close = 0;
    if (quote == "[" || quote == "]") {
        open = '[';
        close = ']';
    } else if (quote == "'" || quote == "\"") {
        open = close = quote[0];
    } else {
        return Value::null(t);
    }
    std::string out(1, open);
    for (char c : name) {
        out += c;
        if (c == close) out += c;
    }
    out += close;
    return textResult(std::move(out), t);
}

Value charIndexEval(Args a) {
    if (a[0].isNull() || a[1].isNull() || (a.size() > 2 && a[2].isNull()))
        return Value::null(Type::integer());
    const std::u32string find = folded(decodeUtf8(textOf(a[0])));
    const std::u32string hay = folded(decodeUtf8(textOf(a[1])));
    const std::int64_t start = a.size() > 2 ? std::max<std::int64_t>(intArg(a[2]), 1) : 1;
    if (find.empty() || start > static_cast<std::int64_t>(hay.size())) return Value::integer(0);
    const auto pos = hay.find(find, static_cast<std::size_t>(start - 1));
    return Value::integer(pos == std::u32string::npos ? 0 : static_cast<std::int64_t>(pos) + 1);
}

Value replicateEval(Args a) {
    const Type t = replicateType(std::array{a[0].type(), a[1].type()});
    if (a[0].isNull() || a[1].isNull()) return Value::null(t);
    const std::int64_t n = intArg(a[1]);
    if (n < 0) return Value::null(t);
    const std::string unit = textOf(a[0]);
    // Measured before it is built: a MAX result past the limit of large values is refused; a shorter
    // type keeps only its length, so only that much is built.
    std::uint64_t copies = static_cast<std::uint64_t>(n);
    if (t.length == Type::kMax) {
        if (!unit.empty())
            checkValueSize(copies > kMaxValueBytes ? kMaxValueBytes + 1 : copies * unit.size());
    } else if (!unit.empty()) {
        copies = std::min<std::uint64_t>(copies, static_cast<std::uint64_t>(t.length) * 4 / unit.size() + 1);
    }
    std::string out;
    if (!unit.empty()) out.reserve(static_cast<std::size_t>(copies * unit.size()));
    for (std::uint64_t i = 0; i < copies && !unit.empty(); ++i)
        out += unit;
    return convert(Value::text(std::move(out), Type{t.id, Type::kMax, 0, 0}), t, ConversionKind::Assignment);
}

Value spaceEval(Args a) {
    if (a[0].isNull()) return Value::null(Type::varChar(8000));
    const std::int64_t n = intArg(a[0]);
    if (n < 0) return Value::null(Type::varChar(8000));
    return Value::text(std::string(static_cast<std::size_t>(std::min<std::int64_t>(n, 8000)), ' '),
                       Type::varChar(8000));
}

Value strEval(Args a) {
    const Type t = Type::varChar(8000);
    for (const Value& v : a)
        if (v.isNull()) return Value::null(t);
    const double x = convert(a[0], Type::floating(), ConversionKind::Implicit).asDouble();
    const std::int64_t length = a.size() > 1 ? intArg(a[1]) : 10;
    std::int64_t decimals = a.size() > 2 ? std::min<std::int64_t>(intArg(a[2]), 16) : 0;
    if (length <= 0 || length > 8000 || decimals < 0) return Value::null(t);
    for (;; --decimals) {
        const auto d = Decimal::fromDouble(x, static_cast<int>(decimals));
        std::string s = d ? d->toString() : std::string();
        if (d && static_cast<std::int64_t>(s.size()) <= length) {
            s.insert(0, static_cast<std::size_t>(length) - s.size(), ' ');
            return Value::text(std::move(s), t);
        }
        if (decimals == 0) break;
    }
    return Value::text(std::string(static_cast<std::size_t>(length), '*'), t);
}

//! Position of the first match of a LIKE pattern: a pattern starting with % is looked for anywhere, any
//! other one must match from the first character.
Value patIndexEval(Args a) {
    if (a[0].isNull() || a[1].isNull()) return Value::null(Type::integer());
    const std::u32string pattern = decodeUtf8(textOf(a[0]));
    const std::string text = textOf(a[1]);
    std::size_t skip = 0;
    while (skip < pattern.size() && pattern[skip] == U'%')
        ++skip;
    if (skip == 0) return Value::integer(like(text, textOf(a[0])) ? 1 : 0);
    const std::string rest = encodeUtf8(std::u32string_view(pattern).substr(skip));
    const std::u32string s = decodeUtf8(text);
    for (std::size_t i = 0; i < s.size(); ++i)
        if (like(encodeUtf8(std::u32string_view(s).substr(i)), rest))
            return Value::integer(static_cast<std::int64_t>(i) + 1);
    return Value::integer(0);
}

Value reverseEval(Args a) {
    const Type t = sameTextType(std::array{a[0].type()});
    if (a[0].isNull()) return Value::null(t);
    std::u32string s = decodeUtf8(textOf(a[0]));
    std::reverse(s.begin(), s.end());
    return textResult(encodeUtf8(s), t);
}

Type stuffType(std::span<const Type> args) {
    return replaceType(std::array{args[0], args[3]});
}

//! STUFF(text, start, length, with): `length` characters from `start` replaced by `with` (NULL deletes);
//! NULL when start lies outside the text or length is negative.
Value stuffEval(Args a) {
    const Type t = stuffType(std::array{a[0].type(), a[1].type(), a[2].type(), a[3].type()});
    if (a[0].isNull() || a[1].isNull() || a[2].isNull()) return Value::null(t);
    const std::u32string s = decodeUtf8(textOf(a[0]));
    const std::int64_t start = intArg(a[1]), length = intArg(a[2]);
    const auto n = static_cast<std::int64_t>(s.size());
    if (start < 1 || start > n || length < 0) return Value::null(t);
    const std::u32string with = a[3].isNull() ? std::u32string() : decodeUtf8(textOf(a[3]));
    const auto from = static_cast<std::size_t>(start - 1);
    const auto removed = static_cast<std::size_t>(std::min(length, n - start + 1));
    std::u32string out = s.substr(0, from) + with + s.substr(from + removed);
    return convert(Value::text(encodeUtf8(out), Type{t.id, Type::kMax, 0, 0}), t, ConversionKind::Assignment);
}

} // namespace tsql::detail
