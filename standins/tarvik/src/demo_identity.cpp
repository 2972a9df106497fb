// Personal identifiers of the demo company's people: birth numbers, accounts, photos, e-mail names.

#include "demo_internal.h"

#include "standins/tarvik/wage_slip_pdf.h"

#include <cctype>
#include <cstdio>

namespace standins::tarvik::demo {

std::string digits(Rng& rng, int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += char('0' + rng.below(10));
    return s;
}

std::string birthNumber(Rng& rng, int year, int month, int day, bool female, std::set<std::string>& used) {
    const long long head = (year % 100) * 10000LL + (month + (female ? 50 : 0)) * 100LL + day;
    for (;;) {
        int suffix = rng.below(9990);
        suffix += static_cast<int>((11 - (head * 10000 + suffix) % 11) % 11);
        char text[40];
        std::snprintf(text, sizeof text, "%06lld/%04d", head, suffix);
        if (used.insert(text).second) return text;
    }
}

std::string iban(const std::string& country, const std::string& bank, const std::string& prefix,
                 const std::string& number) {
    const auto bban =
        bank + std::string(6 - prefix.size(), '0') + prefix + std::string(10 - number.size(), '0') + number;
    std::string numeric = bban;
    for (char c : country)
        numeric += std::to_string(c - 'A' + 10);
    numeric += "00";
    int remainder = 0;
    for (char c : numeric)
        remainder = (remainder * 10 + (c - '0')) % 97;
    char check[16];
    std::snprintf(check, sizeof check, "%02d", 98 - remainder);
    return country + check + bban;
}

platform::db::Bytes photo(Rng& rng) {
    platform::db::Bytes b = {'B', 'M'};
    auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](std::uint16_t v) {
        b.push_back(static_cast<std::uint8_t>(v));
        b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put32(54 + 8 * 8 * 3);
    put32(0);
    put32(54);
    put32(40);
    put32(8);
    put32(8);
    put16(1);
    put16(24);
    put32(0);
    put32(8 * 8 * 3);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    const int r = rng.below(256), g = rng.below(256), bl = rng.below(256);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool face = (x - 3.5) * (x - 3.5) + (y - 4.5) * (y - 4.5) < 8;
            b.push_back(static_cast<std::uint8_t>(face ? 150 : bl));
            b.push_back(static_cast<std::uint8_t>(face ? 190 : g));
            b.push_back(static_cast<std::uint8_t>(face ? 230 : r));
        }
    return b;
}

std::string mailName(const std::string& s) {
    std::string out;
    for (char c : toAscii(s))
        if (c != ' ' && c != '.') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace standins::tarvik::demo
