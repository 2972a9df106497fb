#include "plugin/core/spravce_tarviku.h"

namespace plugin {

void TSpravceTarviku::PridejTarvik(ITarvik* tarvik) {
    if (tarvik) FSeznam.push_back({tarvik});
}

void TSpravceTarviku::OdeberTarvik(ITarvik* tarvik) noexcept {
    const int i = NajdiPodleRozhrani(tarvik);
    if (i >= 0) FSeznam.erase(FSeznam.begin() + i);
}

void TSpravceTarviku::NastavAkce(ITarvik* tarvik, TplgAkcePrehledu* akce) {
    const int i = NajdiPodleRozhrani(tarvik);
    if (i >= 0) FSeznam[static_cast<std::size_t>(i)].FAkce = akce;
}

ITarvik* TSpravceTarviku::VratVlastnika(ITarvik* tarvik) {
    if (!tarvik) return nullptr;
    ITarvik* vlastnik = tarvik->GetOwner();
    const int i = NajdiPodleKlice(vlastnik);
    return i >= 0 ? FSeznam[static_cast<std::size_t>(i)].FTarvik : vlastnik;
}

TplgAkcePrehledu* TSpravceTarviku::VratAkcePrehledu(ITarvik* tarvik) {
    const int i = NajdiPodleKlice(tarvik);
    return i >= 0 ? FSeznam[static_cast<std::size_t>(i)].FAkce : nullptr;
}

ITarvik* TSpravceTarviku::AktualniTarvik() const {
    return FSeznam.empty() ? nullptr : FSeznam.back().FTarvik;
}

int TSpravceTarviku::NajdiPodleRozhrani(const ITarvik* tarvik) const {
    if (!tarvik) return -1;
    for (int i = static_cast<int>(FSeznam.size()) - 1; i >= 0; --i)
        if (FSeznam[static_cast<std::size_t>(i)].FTarvik == tarvik) return i;
    return -1;
}

int TSpravceTarviku::NajdiPodleKlice(ITarvik* tarvik) const {
    if (!tarvik) return -1;
    const int klic = tarvik->GetInstanceKey();
    for (int i = static_cast<int>(FSeznam.size()) - 1; i >= 0; --i)
        if (FSeznam[static_cast<std::size_t>(i)].FTarvik->GetInstanceKey() == klic) return i;
    return -1;
}

TSpravceTarviku& SpravceTarviku() {
    static TSpravceTarviku instance;
    return instance;
}

} // namespace plugin
