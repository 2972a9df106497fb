#include "plugin/install/bez_obrazovky.h"

#include "plugin/messages/hlasky.h"

namespace plugin {

namespace {

constexpr int kTitulekDialogu = 39;
constexpr int kOpravdu = 40;

} // namespace

TplgOknoBezObrazovky::TplgOknoBezObrazovky(ITarvik& tarvik, bool ticha)
    : tarvik_(tarvik)
    , ticha_(ticha) {}

TplgVysledekDialogu TplgOknoBezObrazovky::ZobrazZmeny(TplgObsahDialogu& obsah) {
    tarvik_.ShowInfo(TextHlasky(kTitulekDialogu) + "\r" + obsah.Text());
    if (!ticha_ && !tarvik_.AskYesNo(TextHlasky(kOpravdu))) return {TKonecDialogu::Zruseno, {}};
    if (const auto chyba = ProvedPrikazy(tarvik_, obsah.PrikazyKProvedeni()))
        return {TKonecDialogu::Chyba, *chyba};
    return {TKonecDialogu::Provedeno, {}};
}

} // namespace plugin
