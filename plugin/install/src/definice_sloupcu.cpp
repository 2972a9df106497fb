#include "plugin/install/definice_sloupcu.h"

#include "plugin/messages/hlasky.h"

#include "texty.h"

#include <charconv>

namespace plugin {

namespace {

constexpr char kOddelovacPoli = '\x01';
constexpr char kKonecRadku = '\x02';

std::string Cislo(int hodnota) {
    return std::to_string(hodnota);
}

std::string Priznak(bool hodnota) {
    return hodnota ? "1" : "0";
}

//! The value list with CR LF and then every other CR as U+0002.
std::string ZakodujKonverzi(std::string_view text) {
    std::string vysledek;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            vysledek += text[i];
            continue;
        }
        vysledek += kKonecRadku;
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return vysledek;
}

std::string DekodujKonverzi(std::string_view text) {
    std::string vysledek;
    for (const char znak : text)
        if (znak == kKonecRadku)
            vysledek += "\r\n";
        else
            vysledek += znak;
    return vysledek;
}

int CtiCislo(std::string_view text) {
    int hodnota = 0;
    const auto [konec, chyba] = std::from_chars(text.data(), text.data() + text.size(), hodnota);
    return chyba == std::errc() && konec == text.data() + text.size() ? hodnota : 0;
}

bool KonciNa(std::string_view text, std::string_view konec) {
    return text.size() >= konec.size() &&
           instalace::StejneBezVelikosti(text.substr(text.size() - konec.size()), konec);
}

//! Position (from 1) of a column in a CR-separated list of names, each maybe followed by " ASC" or
//! " DESC"; 0 when the list does not name it. `sestupne` tells whether the entry ended in " DESC".
int Pozice(std::string_view seznam, std::string_view sloupec, bool* sestupne = nullptr) {
    int pozice = 0;
    while (!seznam.empty()) {
        const auto konec = seznam.find('\r');
        auto polozka = seznam.substr(0, konec);
        seznam = konec == std::string_view::npos ? std::string_view() : seznam.substr(konec + 1);
        ++pozice;
        bool dolu = false;
        if (KonciNa(polozka, " DESC")) {
            polozka.remove_suffix(5);
            dolu = true;
        } else if (KonciNa(polozka, " ASC")) {
            polozka.remove_suffix(4);
        }
        if (instalace::StejneBezVelikosti(polozka, sloupec)) {
            if (sestupne) *sestupne = dolu;
            return pozice;
        }
    }
    return 0;
}

bool JeVSeznamu(std::string_view seznam, std::string_view sloupec) {
    for (const auto& cast : instalace::CastiSeznamu(seznam))
        if (instalace::StejneBezVelikosti(cast, sloupec)) return true;
    return false;
}

} // namespace

std::string T_OP_DefiniceAtributu::Zakoduj() const {
    const std::string pole[] = {JmenoSys,
                                VerejnyNazev,
                                VerejnyNazevZkr,
                                Cislo(Sirka),
                                Maska,
                                Priznak(Verejny),
                                Priznak(Sumovat),
                                Priznak(ProTisk),
                                Cislo(ZobrazeniPoradi),
                                Priznak(Klic),
                                Priznak(Vyzadovany),
                                ZakodujKonverzi(Konverze),
                                TarvikAttr,
                                Cislo(SysFiltr),
                                Cislo(TrideniPoradi),
                                Cislo(TrideniTyp),
                                Priznak(JeToObrazek),
                                Priznak(ProcPruh),
                                Priznak(Barva),
                                Priznak(Stav),
                                Skupina};
    std::string text;
    for (const auto& hodnota : pole) {
        if (&hodnota != &pole[0]) text += kOddelovacPoli;
        text += hodnota;
    }
    return text;
}

T_OP_DefiniceAtributu T_OP_DefiniceAtributu::Dekoduj(std::string_view text) {
    std::vector<std::string_view> pole;
    for (std::size_t od = 0;;) {
        const auto konec = text.find(kOddelovacPoli, od);
        pole.push_back(text.substr(od, konec == std::string_view::npos ? konec : konec - od));
        if (konec == std::string_view::npos) break;
        od = konec + 1;
    }
    T_OP_DefiniceAtributu d;
    const auto text_ = [&](std::size_t i, std::string& cil) {
        if (i < pole.size()) cil = pole[i];
    };
    const auto cislo = [&](std::size_t i, int& cil) {
        if (i < pole.size()) cil = CtiCislo(pole[i]);
    };
    const auto priznak = [&](std::size_t i, bool& cil) {
        if (i < pole.size()) cil = pole[i] == "1";
    };
    text_(0, d.JmenoSys);
    text_(1, d.VerejnyNazev);
    text_(2, d.VerejnyNazevZkr);
    cislo(3, d.Sirka);
    text_(4, d.Maska);
    priznak(5, d.Verejny);
    priznak(6, d.Sumovat);
    priznak(7, d.ProTisk);
    cislo(8, d.ZobrazeniPoradi);
    priznak(9, d.Klic);
    priznak(10, d.Vyzadovany);
    if (pole.size() > 11) d.Konverze = DekodujKonverzi(pole[11]);
    text_(12, d.TarvikAttr);
    cislo(13, d.SysFiltr);
    cislo(14, d.TrideniPoradi);
    cislo(15, d.TrideniTyp);
    priznak(16, d.JeToObrazek);
    priznak(17, d.ProcPruh);
    priznak(18, d.Barva);
    priznak(19, d.Stav);
    text_(20, d.Skupina);
    return d;
}

std::string ZakodujSloupce(const std::vector<T_OP_DefiniceAtributu>& sloupce) {
    std::string text;
    for (const auto& sloupec : sloupce) {
        if (&sloupec != &sloupce.front()) text += '\r';
        text += sloupec.Zakoduj();
    }
    return text;
}

std::vector<T_OP_DefiniceAtributu> DekodujSloupce(std::string_view text) {
    std::vector<T_OP_DefiniceAtributu> sloupce;
    while (!text.empty()) {
        const auto konec = text.find('\r');
        sloupce.push_back(T_OP_DefiniceAtributu::Dekoduj(text.substr(0, konec)));
        text = konec == std::string_view::npos ? std::string_view() : text.substr(konec + 1);
    }
    return sloupce;
}

std::vector<T_OP_DefiniceAtributu> SloupcePrehledu(const TplgVychoziNastaveniBrowse& prehled,
                                                   const TplgTabulkaDef& tabulka,
                                                   const TplgPopisTabulky* popisky) {
    const std::string_view klice = tabulka.PrimarniKlic.empty() ? "ID" : tabulka.PrimarniKlic;
    std::vector<T_OP_DefiniceAtributu> sloupce;
    for (std::size_t i = 0; i < tabulka.Atributy.size(); ++i) {
        const auto& atribut = tabulka.Atributy[i];
        const auto* popis = popisky && i < popisky->Atributy.size() ? &popisky->Atributy[i] : nullptr;
        // A caption given by a message is written as its key; a plain text (which may be a message
        // key itself) as it is; otherwise the text the host gave for the source attribute.
        const auto klic = [](int index, std::string_view text, const std::string* prelozeny) {
            if (index != 0 || !text.empty() || !prelozeny) return KlicPopisku(index, text);
            return *prelozeny;
        };
        T_OP_DefiniceAtributu d;
        d.JmenoSys = atribut.JmenoSys;
        d.VerejnyNazev =
            klic(atribut.JmenoVerejneTxt, atribut.JmenoVerejne, popis ? &popis->JmenoVerejne : nullptr);
        d.VerejnyNazevZkr = klic(atribut.JmenoVerejneZkrTxt, atribut.JmenoVerejneZkr,
                                 popis ? &popis->JmenoVerejneZkr : nullptr);
        d.Sirka = atribut.SirkaSloupce;
        d.Maska = atribut.MaskaDisplay;
        d.Sumovat = atribut.Sumovat;
        d.ProTisk = true;
        d.JeToObrazek = (atribut.DalsiVlastnosti & advObrazek) != 0;
        d.ProcPruh = (atribut.DalsiVlastnosti & advProcPruh) != 0;
        d.Barva = (atribut.DalsiVlastnosti & advBarva) != 0;
        d.ZobrazeniPoradi = Pozice(prehled.SELECT, atribut.JmenoSys);
        bool sestupne = false;
        d.TrideniPoradi = Pozice(prehled.ORDERBY, atribut.JmenoSys, &sestupne);
        d.TrideniTyp = d.TrideniPoradi != 0 && sestupne ? 1 : 0;
        d.Verejny = atribut.Verejny == vTrue || d.ZobrazeniPoradi != 0 || d.TrideniPoradi != 0;
        d.Klic = JeVSeznamu(klice, atribut.JmenoSys);
        d.Vyzadovany = d.Klic || atribut.Vyzadovany == vTrue;
        d.TarvikAttr = atribut.TarvikAttr;
        d.Konverze = klic(atribut.KonverzeTxt, atribut.Konverze, popis ? &popis->Konverze : nullptr);
        for (int filtr = 0; filtr < kPocetSystemovychFiltru; ++filtr) {
            const auto& nazev = prehled.AttrFor_sql[static_cast<std::size_t>(filtr)];
            if (!nazev.empty() && instalace::StejneBezVelikosti(nazev, atribut.JmenoSys)) {
                d.SysFiltr = filtr + 1;
                break;
            }
        }
        d.Stav = false;
        sloupce.push_back(std::move(d));
    }
    return sloupce;
}

} // namespace plugin
