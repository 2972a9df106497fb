#include "texty.h"

#include "common/ascii.h"

namespace plugin::texty {

std::string_view Orizni(std::string_view text) {
    constexpr std::string_view kBile = " \t\r\n";
    const auto zacatek = text.find_first_not_of(kBile);
    if (zacatek == std::string_view::npos) return {};
    return text.substr(zacatek, text.find_last_not_of(kBile) - zacatek + 1);
}

std::vector<std::string_view> Rozdel(std::string_view text, std::string_view oddelovace) {
    std::vector<std::string_view> casti;
    std::size_t zacatek = 0;
    while (zacatek <= text.size()) {
        auto konec = text.find_first_of(oddelovace, zacatek);
        if (konec == std::string_view::npos) konec = text.size();
        const auto cast = Orizni(text.substr(zacatek, konec - zacatek));
        if (!cast.empty()) casti.push_back(cast);
        zacatek = konec + 1;
    }
    return casti;
}

bool ZacinaBezVelikosti(std::string_view text, std::string_view zacatek) {
    return text.size() >= zacatek.size() &&
           common::EqualsIgnoreCaseAscii(text.substr(0, zacatek.size()), zacatek);
}

std::string NahradBezVelikosti(std::string_view text, std::string_view co, std::string_view cim) {
    if (co.empty()) return std::string(text);
    const auto maly = common::ToLowerAscii(text);
    const auto hledany = common::ToLowerAscii(co);
    std::string vysledek;
    std::size_t od = 0;
    for (auto pozice = maly.find(hledany); pozice != std::string::npos; pozice = maly.find(hledany, od)) {
        vysledek.append(text.substr(od, pozice - od)).append(cim);
        od = pozice + co.size();
    }
    return vysledek.append(text.substr(od));
}

} // namespace plugin::texty
