#include "plugin/install/obsah_dialogu.h"

#include "texty.h"

#include <algorithm>
#include <set>
#include <utility>

namespace plugin {

namespace {

constexpr std::string_view kTrigger = "$TRIGGER$";
constexpr std::string_view kPrava = "$PRAVA$";
constexpr std::string_view kSekce = "$INFO$";

//! Registration item suffixes and the kinds they give.
struct TPripona {
    std::string_view Text;
    TDruhUzlu Druh;
};
constexpr TPripona kPripony[] = {
    {"$VIEW$", TDruhUzlu::Prehled},     {"$AKCE$", TDruhUzlu::Akce},     {"$VZTAH$", TDruhUzlu::Vztah},
    {"$EXATR$", TDruhUzlu::ExtAtribut}, {"$SOUDEK$", TDruhUzlu::Soudek}, {"$HLASKY$", TDruhUzlu::Hlasky},
    {"$VLASTNI$", TDruhUzlu::Vlastni},
};

bool ZacinaNa(std::string_view text, std::string_view zacatek) {
    return text.substr(0, zacatek.size()) == zacatek;
}

bool KonciNa(std::string_view text, std::string_view konec) {
    return text.size() >= konec.size() && text.substr(text.size() - konec.size()) == konec;
}

TplgUzelDialogu Uzel(TDruhUzlu druh, std::string text) {
    TplgUzelDialogu uzel;
    uzel.Druh = druh;
    uzel.Text = std::move(text);
    return uzel;
}

TplgUzelDialogu Zprava(const TplgVysvetleni& vysvetleni) {
    const bool prava = ZacinaNa(vysvetleni.Text, kPrava);
    auto uzel = Uzel(prava ? TDruhUzlu::Prava : TDruhUzlu::Zprava,
                     prava ? vysvetleni.Text.substr(kPrava.size()) : vysvetleni.Text);
    uzel.Prikazy = vysvetleni.Prikazy;
    uzel.Tucne = vysvetleni.Varovani;
    return uzel;
}

void OdznacVse(TplgUzelDialogu& uzel) {
    if (uzel.MaPrikazy()) uzel.Zaskrtnuty = false;
    for (auto& dite : uzel.Deti)
        OdznacVse(dite);
}

void Vynechane(const TplgUzelDialogu& uzel, std::set<int>& id) {
    if (!uzel.Zaskrtnuty) id.insert(uzel.Prikazy.begin(), uzel.Prikazy.end());
    for (const auto& dite : uzel.Deti)
        Vynechane(dite, id);
}

void TextUzlu(const TplgUzelDialogu& uzel, int uroven, std::string& text) {
    text.append(static_cast<std::size_t>(uroven) * 2, ' ');
    if (!uzel.Zaskrtnuty) text += "[ ] ";
    if (uzel.Tucne) text += "! ";
    text += uzel.Text;
    text += '\r';
    for (const auto& dite : uzel.Deti)
        TextUzlu(dite, uroven + 1, text);
}

TplgUzelDialogu Koren(std::string_view systemoveJmeno) {
    auto koren = Uzel(TDruhUzlu::Koren, std::string(systemoveJmeno));
    koren.Tucne = true;
    koren.Rozbaleny = true;
    return koren;
}

} // namespace

void TplgObsahDialogu::OdznacVse() {
    plugin::OdznacVse(Koren);
}

std::vector<std::string> TplgObsahDialogu::PrikazyKProvedeni() const {
    std::set<int> vynechane;
    Vynechane(Koren, vynechane);
    std::vector<std::string> vysledek;
    for (const auto& prikaz : Prikazy)
        if (!vynechane.contains(prikaz.Id)) vysledek.push_back(prikaz.Text);
    return vysledek;
}

std::string TplgObsahDialogu::PrikazyUzlu(const TplgUzelDialogu& uzel) const {
    std::string text;
    for (const auto& prikaz : Prikazy)
        if (std::find(uzel.Prikazy.begin(), uzel.Prikazy.end(), prikaz.Id) != uzel.Prikazy.end()) {
            if (!text.empty()) text += "\r\r";
            text += prikaz.Text;
        }
    return text;
}

std::string TplgObsahDialogu::Text() const {
    std::string text = Nadpis + "\r" + Verze + "\r\r";
    TextUzlu(Koren, 0, text);
    const auto prikazy = PrikazyKProvedeni();
    for (std::size_t i = 0; i < prikazy.size(); ++i)
        text += "\r-- " + std::to_string(i + 1) + "\r" + prikazy[i] + "\r";
    return text;
}

TplgObsahDialogu ObsahZKontroly(std::string nadpis, std::string verze, std::string_view systemoveJmeno,
                                const TplgVysvetleni& tabulky, const TplgVysvetleni& procedury,
                                const std::vector<TplgPrikaz>& prikazy) {
    TplgObsahDialogu obsah{std::move(nadpis), std::move(verze), Koren(systemoveJmeno), prikazy};
    for (const auto& tabulka : tabulky.Deti) {
        auto uzelTabulky = Uzel(TDruhUzlu::Tabulka, tabulka.Text);
        for (const auto& objekt : tabulka.Deti) {
            const bool trigger = ZacinaNa(objekt.Text, kTrigger);
            auto uzelObjektu = Uzel(trigger ? TDruhUzlu::Trigger : TDruhUzlu::Objekt,
                                    trigger ? objekt.Text.substr(kTrigger.size()) : objekt.Text);
            for (const auto& zprava : objekt.Deti)
                uzelObjektu.Deti.push_back(Zprava(zprava));
            uzelTabulky.Deti.push_back(std::move(uzelObjektu));
        }
        obsah.Koren.Deti.push_back(std::move(uzelTabulky));
    }
    for (const auto& procedura : procedury.Deti) {
        auto uzel = Uzel(TDruhUzlu::Procedura, procedura.Text);
        for (const auto& zprava : procedura.Deti)
            uzel.Deti.push_back(Zprava(zprava));
        obsah.Koren.Deti.push_back(std::move(uzel));
    }
    return obsah;
}

TplgObsahDialogu ObsahZRegistrace(std::string nadpis, std::string verze, std::string_view systemoveJmeno,
                                  const std::vector<TplgRegistracniPolozka>& polozky) {
    TplgObsahDialogu obsah{std::move(nadpis), std::move(verze), Koren(systemoveJmeno), {}};
    TplgUzelDialogu* sekce = nullptr;
    for (const auto& polozka : polozky) {
        const int id = static_cast<int>(obsah.Prikazy.size()) + 1;
        obsah.Prikazy.push_back({id, polozka.Prikaz});
        std::string_view text = polozka.Text;
        if (KonciNa(text, kSekce)) {
            auto uzel = Uzel(TDruhUzlu::Sekce, std::string(text.substr(0, text.size() - kSekce.size())));
            uzel.Rozbaleny = true;
            uzel.Prikazy.push_back(id);
            obsah.Koren.Deti.push_back(std::move(uzel));
            sekce = &obsah.Koren.Deti.back();
            continue;
        }
        auto druh = TDruhUzlu::Polozka;
        for (const auto& pripona : kPripony)
            if (KonciNa(text, pripona.Text)) {
                druh = pripona.Druh;
                text.remove_suffix(pripona.Text.size());
                break;
            }
        auto uzel = Uzel(druh, std::string(text));
        uzel.Prikazy.push_back(id);
        for (const auto& zprava : polozka.Zpravy)
            uzel.Deti.push_back(Zprava(TplgVysvetleni{zprava, {}, {}}));
        (sekce ? sekce->Deti : obsah.Koren.Deti).push_back(std::move(uzel));
    }
    return obsah;
}

} // namespace plugin
