#include "plugin/install/skript_zmen.h"

#include "texty.h"

namespace plugin {

int TplgSkript::Pridej(TUmisteni umisteni, std::string text) {
    const TplgPrikaz prikaz{dalsiId_++, std::move(text)};
    const auto pozice = [this](std::size_t index) {
        return prikazy_.begin() + static_cast<std::ptrdiff_t>(index);
    };
    switch (umisteni) {
    case TUmisteni::Stred:
        prikazy_.insert(pozice(prikazy_.size() - static_cast<std::size_t>(indexKonec_)), prikaz);
        break;
    case TUmisteni::KonecZacatku:
        prikazy_.insert(pozice(static_cast<std::size_t>(indexZacatek_)), prikaz);
        break;
    case TUmisteni::Konec:
        prikazy_.push_back(prikaz);
        ++indexKonec_;
        break;
    case TUmisteni::Zacatek:
        prikazy_.insert(prikazy_.begin(), prikaz);
        ++indexZacatek_;
        break;
    }
    return prikaz.Id;
}

TplgVysvetleni& TplgVysvetleni::Dite(std::string_view text) {
    for (auto& dite : Deti)
        if (instalace::StejneBezVelikosti(dite.Text, text)) return dite;
    Deti.push_back(TplgVysvetleni{std::string(text), {}, {}});
    return Deti.back();
}

} // namespace plugin
