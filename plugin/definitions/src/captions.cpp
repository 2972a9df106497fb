#include "plugin/definitions/captions.h"

#include <mutex>

namespace plugin {
namespace {

bool JeHex(char znak) {
    return (znak >= '0' && znak <= '9') || (znak >= 'a' && znak <= 'f') || (znak >= 'A' && znak <= 'F');
}

std::string_view BezZavorek(std::string_view text) {
    if (text.size() >= 2 && text.front() == '{' && text.back() == '}') return text.substr(1, text.size() - 2);
    return text;
}

// A message index when set, else the plain text or the message it is the key of.
std::string Text(IZdrojPopisku& zdroj, std::uint16_t hlaska, std::string_view text) {
    if (hlaska != 0) return zdroj.TextHlasky(hlaska);
    if (JeKlicHlasky(text)) return zdroj.TextKlice(BezZavorek(text));
    return std::string(text);
}

// A source that knows only plain texts: what shows before the first translation.
class TplgJenProstyText : public IZdrojPopisku {
public:
    std::string TextHlasky(int) override { return {}; }
    std::string TextKlice(std::string_view) override { return {}; }
    std::string PopisAtributu(std::string_view) override { return {}; }
    std::string KonverzeAtributu(std::string_view) override { return {}; }
};

std::mutex& ZamekPopisku() {
    static std::mutex zamek;
    return zamek;
}

std::shared_ptr<const TplgPopisky>& AktualniPopisky() {
    static std::shared_ptr<const TplgPopisky> popisky;
    return popisky;
}

} // namespace

bool JeKlicHlasky(std::string_view text) {
    const auto guid = BezZavorek(text);
    if (guid.size() != 36) return false;
    for (std::size_t i = 0; i < guid.size(); ++i) {
        const bool pomlcka = i == 8 || i == 13 || i == 18 || i == 23;
        if (pomlcka ? guid[i] != '-' : !JeHex(guid[i])) return false;
    }
    return true;
}

const TplgPopisAtributu* TplgPopisky::Atribut(const TplgSchema& schema, TplgTabulka tabulka,
                                              std::string_view jmeno) const {
    const auto* definice = schema.Tabulka(tabulka);
    const auto* atribut = schema.Atribut(tabulka, jmeno);
    if (!definice || !atribut || tabulka >= Tabulky.size()) return nullptr;
    const auto index = static_cast<std::size_t>(atribut - definice->Atributy.data());
    const auto& popisy = Tabulky[tabulka].Atributy;
    return index < popisy.size() ? &popisy[index] : nullptr;
}

TplgPopisky PrelozPopisky(const TplgSchema& schema, IZdrojPopisku& zdroj) {
    TplgPopisky popisky;
    popisky.Tabulky.resize(static_cast<std::size_t>(schema.PosledniTabulka() + 1));
    for (int i = schema.PrvniTabulka(); i <= schema.PosledniTabulka(); ++i) {
        const auto* tabulka = schema.Tabulka(static_cast<TplgTabulka>(i));
        if (!tabulka) continue;
        auto& popis = popisky.Tabulky[i];
        popis.Jmeno = Text(zdroj, tabulka->JmenoTxt, tabulka->Jmeno);
        for (const auto& atribut : tabulka->Atributy) {
            const bool zHostitele = !atribut.TarvikAttr.empty();
            TplgPopisAtributu a;
            a.JmenoVerejne = atribut.JmenoVerejneTxt == 0 && zHostitele
                                 ? zdroj.PopisAtributu(atribut.TarvikAttr)
                                 : Text(zdroj, atribut.JmenoVerejneTxt, atribut.JmenoVerejne);
            a.JmenoVerejneZkr = Text(zdroj, atribut.JmenoVerejneZkrTxt, atribut.JmenoVerejneZkr);
            a.Konverze = atribut.KonverzeTxt == 0 && zHostitele
                             ? zdroj.KonverzeAtributu(atribut.TarvikAttr)
                             : Text(zdroj, atribut.KonverzeTxt, atribut.Konverze);
            a.Hint = Text(zdroj, atribut.HintTxt, atribut.Hint);
            popis.Atributy.push_back(std::move(a));
        }
    }
    return popisky;
}

void PrelozPopiskyTabulek(IZdrojPopisku& zdroj) {
    auto popisky = std::make_shared<const TplgPopisky>(PrelozPopisky(EfektivniSchema(), zdroj));
    const std::lock_guard zamek(ZamekPopisku());
    AktualniPopisky() = std::move(popisky);
}

std::shared_ptr<const TplgPopisky> PopiskyTabulek() {
    const std::lock_guard zamek(ZamekPopisku());
    auto& popisky = AktualniPopisky();
    if (!popisky) {
        TplgJenProstyText zdroj;
        popisky = std::make_shared<const TplgPopisky>(PrelozPopisky(EfektivniSchema(), zdroj));
    }
    return popisky;
}

} // namespace plugin
