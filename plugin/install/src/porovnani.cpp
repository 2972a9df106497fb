#include "plugin/install/porovnani.h"

#include "texty.h"

#include <algorithm>
#include <vector>

namespace plugin {

namespace {

using instalace::BezKonce;
using instalace::BezVyskytu;
using instalace::BezZnaku;
using instalace::Najdi;
using instalace::Orizni;
using instalace::StejneBezVelikosti;
using instalace::Velkymi;

constexpr std::string_view kZavorkyAMezery = " ()[]";

//! The text without blanks, parentheses and brackets; from version 9 on first without ",0)".
std::string Normalizovany(std::string_view text, std::uint32_t verzeServeru, bool katalog) {
    const std::string bezStylu =
        katalog && JeVerze9(verzeServeru) ? BezVyskytu(text, ",0)") : std::string(text);
    return BezZnaku(bezStylu, kZavorkyAMezery);
}

//! The text without the parentheses that enclose all of it, and without surrounding blanks.
std::string_view BezVnejsichZavorek(std::string_view text) {
    for (text = Orizni(text); text.size() >= 2 && text.front() == '(' && text.back() == ')';) {
        int hloubka = 0;
        bool obaluje = true;
        for (std::size_t i = 0; i + 1 < text.size(); ++i) {
            hloubka += text[i] == '(' ? 1 : text[i] == ')' ? -1 : 0;
            if (hloubka == 0) {
                obaluje = false;
                break;
            }
        }
        if (!obaluje) break;
        text = Orizni(text.substr(1, text.size() - 2));
    }
    return text;
}

//! The parts of a text between separators that stand outside quotes and parentheses.
std::vector<std::string_view> Rozdel(std::string_view text, std::string_view oddelovac) {
    std::vector<std::string_view> casti;
    bool vUvozovkach = false;
    int hloubka = 0;
    std::size_t zacatek = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char znak = text[i];
        if (znak == '\'') vUvozovkach = !vUvozovkach;
        if (vUvozovkach) continue;
        hloubka += znak == '(' ? 1 : znak == ')' ? -1 : 0;
        if (hloubka == 0 && text.substr(i, oddelovac.size()) == oddelovac) {
            casti.push_back(text.substr(zacatek, i - zacatek));
            i += oddelovac.size() - 1;
            zacatek = i + 1;
        }
    }
    casti.push_back(text.substr(zacatek));
    return casti;
}

//! The values of "column IN (v1, v2, ...)", each without enclosing parentheses; nothing when the
//! list has no parentheses.
std::vector<std::string> HodnotyIn(std::string_view definice) {
    auto in = Najdi(definice, " IN ");
    if (in == std::string_view::npos) in = Najdi(definice, " IN(");
    const auto zavorka = definice.find('(', in);
    if (zavorka == std::string_view::npos) return {};
    const auto seznam = BezVnejsichZavorek(definice.substr(zavorka));
    std::vector<std::string> hodnoty;
    for (const auto hodnota : Rozdel(seznam, ","))
        hodnoty.emplace_back(BezVnejsichZavorek(hodnota));
    return hodnoty;
}

bool StejnyIn(const std::string& katalog, const std::string& definice, const std::string& sloupec,
              std::uint32_t verzeServeru) {
    auto ocekavane = HodnotyIn(definice);
    const std::string predpona = "[" + sloupec + (JeVerze9(verzeServeru) ? "]=" : "] = ");
    std::vector<std::string> nalezene;
    for (const auto clen : Rozdel(BezVnejsichZavorek(katalog), " OR ")) {
        const auto text = BezVnejsichZavorek(clen);
        if (text.substr(0, predpona.size()) != predpona) return false;
        nalezene.emplace_back(BezVnejsichZavorek(text.substr(predpona.size())));
    }
    std::sort(ocekavane.begin(), ocekavane.end());
    std::sort(nalezene.begin(), nalezene.end());
    return !nalezene.empty() && ocekavane == nalezene;
}

bool StejnyBetween(const std::string& katalog, const std::string& definice, const std::string& sloupec,
                   std::uint32_t verzeServeru) {
    const auto mezi = definice.substr(definice.find(" BETWEEN ") + 9);
    const auto a = mezi.find(" AND ");
    if (a == std::string::npos) return false;
    const std::string ocekavany = "([" + sloupec + "] >= " + std::string(Orizni(mezi.substr(0, a))) +
                                  " AND [" + sloupec + "] <= " + std::string(Orizni(mezi.substr(a + 5))) +
                                  ")";
    return Normalizovany(katalog, verzeServeru, true) == Normalizovany(ocekavany, verzeServeru, false);
}

bool JeZnakJmena(char znak) {
    return znak == '_' || znak == '.' || znak == '[' || znak == ']' || znak == '#' || znak == '@' ||
           (znak >= '0' && znak <= '9') || (znak >= 'A' && znak <= 'Z') || (znak >= 'a' && znak <= 'z') ||
           static_cast<unsigned char>(znak) >= 0x80;
}

//! Position right after the keyword `slovo` standing as a word of its own (from `od`); npos when
//! there is none.
std::size_t ZaSlovem(std::string_view text, std::string_view slovo, std::size_t od = 0) {
    for (auto i = Najdi(text, slovo, od); i != std::string_view::npos; i = Najdi(text, slovo, i + 1)) {
        const bool predNim = i == 0 || !JeZnakJmena(text[i - 1]);
        const auto konec = i + slovo.size();
        if (predNim && (konec == text.size() || !JeZnakJmena(text[konec]))) return konec;
    }
    return std::string_view::npos;
}

//! The name starting at `od` after blanks: up to a blank or "(", as [begin, end) of the text.
std::pair<std::size_t, std::size_t> Jmeno(std::string_view text, std::size_t od) {
    while (od < text.size() && (text[od] == ' ' || text[od] == '\t' || text[od] == '\r' || text[od] == '\n'))
        ++od;
    auto konec = od;
    while (konec < text.size() && JeZnakJmena(text[konec]))
        ++konec;
    return {od, konec};
}

std::string BezHranatych(std::string_view jmeno) {
    return BezZnaku(jmeno, "[]");
}

} // namespace

bool StejnyVyraz(std::string_view katalog, std::string_view definice, std::uint32_t verzeServeru) {
    if (!JeVerze9(verzeServeru)) return StejneBezVelikosti(katalog, definice);
    return StejneBezVelikosti(Normalizovany(katalog, verzeServeru, true),
                              Normalizovany(definice, verzeServeru, false));
}

bool StejnyDefault(std::string_view katalog, std::string_view definice, std::uint32_t verzeServeru) {
    const auto vnitrek = katalog.size() >= 2 ? katalog.substr(1, katalog.size() - 2) : std::string_view{};
    return StejnyVyraz(vnitrek, definice, verzeServeru);
}

bool StejnyCheck(std::string_view katalog, std::string_view definice, std::string_view sloupec,
                 std::uint32_t verzeServeru) {
    const auto k = Velkymi(katalog);
    const auto d = Velkymi(definice);
    const auto s = Velkymi(sloupec);
    if (d.find(" IN ") != std::string::npos || d.find(" IN(") != std::string::npos)
        return StejnyIn(k, d, s, verzeServeru);
    if (d.find(" BETWEEN ") != std::string::npos) return StejnyBetween(k, d, s, verzeServeru);
    const auto kn = BezZnaku(k, kZavorkyAMezery);
    const auto dn = BezZnaku(d, kZavorkyAMezery);
    return kn == dn || (!s.empty() && BezVyskytu(kn, s) == BezVyskytu(dn, s));
}

std::string_view OdCreate(std::string_view text) {
    const auto create = Najdi(text, "CREATE");
    return create == std::string_view::npos ? text : text.substr(create);
}

bool StejnyText(std::string_view a, std::string_view b) {
    return BezKonce(a) == BezKonce(b);
}

TplgJmenoTriggeru JmenoTriggeru(std::string_view text) {
    TplgJmenoTriggeru jmeno;
    const auto trigger = ZaSlovem(text, "TRIGGER");
    if (trigger == std::string_view::npos) return jmeno;
    const auto [zacatek, konec] = Jmeno(text, trigger);
    jmeno.Jmeno = BezHranatych(text.substr(zacatek, konec - zacatek));
    if (const auto on = ZaSlovem(text, "ON", konec); on != std::string_view::npos) {
        const auto [od, do_] = Jmeno(text, on);
        jmeno.Tabulka = BezHranatych(text.substr(od, do_ - od));
    }
    return jmeno;
}

TplgJmenoModulu JmenoModulu(std::string_view celyText, bool funkce) {
    TplgJmenoModulu modul;
    const auto text = OdCreate(celyText);
    modul.Text = std::string(text);
    std::size_t za = std::string_view::npos;
    if (funkce) {
        za = ZaSlovem(text, "FUNCTION");
    } else {
        za = Najdi(text, "PROC");
        while (za != std::string_view::npos && za < text.size() && JeZnakJmena(text[za]))
            ++za;
    }
    if (za == std::string_view::npos) return modul;
    const auto [zacatek, konec] = Jmeno(text, za);
    auto jmeno = BezHranatych(text.substr(zacatek, konec - zacatek));
    if (jmeno.empty()) return modul;
    if (!StejneBezVelikosti(std::string_view(jmeno).substr(0, 4), "dbo.")) {
        modul.Text.insert(zacatek, "dbo.");
        jmeno = "dbo." + jmeno;
    }
    modul.Objekt = jmeno.substr(4);
    modul.Jmeno = Velkymi(jmeno);
    return modul;
}

} // namespace plugin
