#include "texty.h"

#include <algorithm>

namespace plugin::instalace {

namespace {

char Velke(char znak) {
    return znak >= 'a' && znak <= 'z' ? static_cast<char>(znak - 'a' + 'A') : znak;
}

bool JeMezera(char znak) {
    return znak == ' ' || znak == '\t' || znak == '\r' || znak == '\n';
}

} // namespace

std::string Velkymi(std::string_view text) {
    std::string vysledek(text);
    std::transform(vysledek.begin(), vysledek.end(), vysledek.begin(), Velke);
    return vysledek;
}

bool StejneBezVelikosti(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Velke(x) == Velke(y); });
}

bool MensiBezVelikosti(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Velke(x) < Velke(y); });
}

std::size_t Najdi(std::string_view text, std::string_view co, std::size_t od) {
    if (co.empty()) return od <= text.size() ? od : std::string_view::npos;
    for (std::size_t i = od; i + co.size() <= text.size(); ++i)
        if (StejneBezVelikosti(text.substr(i, co.size()), co)) return i;
    return std::string_view::npos;
}

std::string_view Orizni(std::string_view text) {
    while (!text.empty() && JeMezera(text.front()))
        text.remove_prefix(1);
    return BezKonce(text);
}

std::string_view BezKonce(std::string_view text) {
    while (!text.empty() && JeMezera(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string BezZnaku(std::string_view text, std::string_view znaky) {
    std::string vysledek;
    vysledek.reserve(text.size());
    for (const char znak : text)
        if (znaky.find(znak) == std::string_view::npos) vysledek += znak;
    return vysledek;
}

std::string BezVyskytu(std::string_view text, std::string_view co) {
    std::string vysledek;
    if (co.empty()) return std::string(text);
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, co.size()) == co) {
            i += co.size();
            continue;
        }
        vysledek += text[i++];
    }
    return vysledek;
}

std::vector<std::string> CastiSeznamu(std::string_view seznam) {
    std::vector<std::string> casti;
    while (!seznam.empty()) {
        const auto carka = seznam.find(',');
        const auto cast = Orizni(seznam.substr(0, carka));
        if (!cast.empty()) casti.emplace_back(cast);
        if (carka == std::string_view::npos) break;
        seznam.remove_prefix(carka + 1);
    }
    return casti;
}

} // namespace plugin::instalace
