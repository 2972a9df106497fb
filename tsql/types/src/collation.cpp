#include "tsql/collation.h"

#include "utf8.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace tsql {

namespace {

struct CollatorCloser {
    void operator()(UCollator* c) const { ucol_close(c); }
};

//! The database collator: Czech rules, differences of case ignored, of accents kept. One per thread, as
//! a collator is not meant to be shared between threads.
const UCollator* collator() {
    thread_local const std::unique_ptr<UCollator, CollatorCloser> instance = [] {
        UErrorCode status = U_ZERO_ERROR;
        UCollator* c = ucol_open("cs", &status);
        if (U_FAILURE(status))
            throw std::runtime_error(std::string("cannot open the Czech collator: ") + u_errorName(status));
        ucol_setStrength(c, UCOL_SECONDARY);
        return std::unique_ptr<UCollator, CollatorCloser>(c);
    }();
    return instance.get();
}

std::string_view withoutTrailingBlanks(std::string_view s) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

//! One element of a LIKE pattern.
struct PatternItem {
    enum Kind { Literal, AnyOne, AnyRun, Set } kind;
    char32_t c = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges; //!< for Set: single characters are (c, c)
};

char32_t fold(char32_t c) {
    return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(c), U_FOLD_CASE_DEFAULT));
}

int compareChars(char32_t a, char32_t b) {
    const std::string sa = detail::encodeUtf8(std::u32string(1, a)),
                      sb = detail::encodeUtf8(std::u32string(1, b));
    return collateCompare(sa, sb);
}

std::vector<PatternItem> parsePattern(const std::u32string& p, char32_t escape) {
    std::vector<PatternItem> items;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (escape && c == escape && i + 1 < p.size()) {
            items.push_back({PatternItem::Literal, fold(p[++i]), false, {}});
        } else if (c == '%') {
            if (items.empty() || items.back().kind != PatternItem::AnyRun)
                items.push_back({PatternItem::AnyRun, 0, false, {}});
        } else if (c == '_') {
            items.push_back({PatternItem::AnyOne, 0, false, {}});
        } else if (c == '[' && p.find(']', i + 1) != std::u32string::npos) {
            PatternItem set{PatternItem::Set, 0, false, {}};
            std::size_t j = i + 1;
            if (p[j] == '^' && p.find(']', j + 1) != std::u32string::npos) set.negated = true, ++j;
            // A ']' right after '[' or '[^' is a member, not the end.
            bool first = true;
            for (; j < p.size() && (p[j] != ']' || first); ++j) {
                first = false;
                if (j + 2 < p.size() && p[j + 1] == '-' && p[j + 2] != ']') {
                    set.ranges.emplace_back(p[j], p[j + 2]);
                    j += 2;
                } else {
                    set.ranges.emplace_back(p[j], p[j]);
                }
            }
            items.push_back(std::move(set));
            i = j;
        } else {
            items.push_back({PatternItem::Literal, fold(c), false, {}});
        }
    }
    return items;
}

bool matchesOne(const PatternItem& item, char32_t c) {
    switch (item.kind) {
    case PatternItem::Literal:
        return fold(c) == item.c;
    case PatternItem::AnyOne:
        return true;
    case PatternItem::Set: {
        bool in = false;
        for (const auto& [lo, hi] : item.ranges) {
            if (lo == hi ? fold(c) == fold(lo) : compareChars(lo, c) <= 0 && compareChars(c, hi) <= 0) {
                in = true;
                break;
            }
        }
        return in != item.negated;
    }
    default:
        return false;
    }
}

bool matchItems(const std::vector<PatternItem>& items, const std::u32string& text) {
    std::size_t t = 0, p = 0;
    std::size_t starP = std::string::npos, starT = 0;
    while (t < text.size()) {
        if (p < items.size() && items[p].kind == PatternItem::AnyRun) {
            starP = p++;
            starT = t;
        } else if (p < items.size() && matchesOne(items[p], text[t])) {
            ++p;
            ++t;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < items.size() && items[p].kind == PatternItem::AnyRun)
        ++p;
    return p == items.size();
}

} // namespace

int collateCompare(std::string_view a, std::string_view b) {
    a = withoutTrailingBlanks(a);
    b = withoutTrailingBlanks(b);
    if (a == b) return 0;
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(collator(), a.data(), static_cast<int32_t>(a.size()),
                                                b.data(), static_cast<int32_t>(b.size()), &status);
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("text comparison failed: ") + u_errorName(status));
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

std::string collateKey(std::string_view text) {
    text = withoutTrailingBlanks(text);
    const icu::UnicodeString u =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::string key(static_cast<std::size_t>(u.length()) * 4 + 16, '\0');
    for (;;) {
        const int32_t n =
            ucol_getSortKey(collator(), u.getBuffer(), u.length(), reinterpret_cast<uint8_t*>(key.data()),
                            static_cast<int32_t>(key.size()));
        if (n <= static_cast<int32_t>(key.size())) {
            key.resize(n > 0 ? static_cast<std::size_t>(n - 1) : 0); // without the terminating zero
            return key;
        }
        key.resize(static_cast<std::size_t>(n));
    }
}

bool like(std::string_view text, std::string_view pattern, char32_t escape) {
    const auto items = parsePattern(detail::decodeUtf8(pattern), escape);
    const std::u32string t = detail::decodeUtf8(text);
    if (matchItems(items, t)) return true;
    const std::string_view trimmed = withoutTrailingBlanks(text);
    return trimmed.size() != text.size() && matchItems(items, detail::decodeUtf8(trimmed));
}

std::string upper(std::string_view text) {
    std::string out;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())))
        .toUpper(icu::Locale("cs"))
        .toUTF8String(out);
    return out;
}

std::string lower(std::string_view text) {
    std::string out;
    icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())))
        .toLower(icu::Locale("cs"))
        .toUTF8String(out);
    return out;
}

} // namespace tsql
