#include "plugin/install/dialog_zmen.h"

namespace plugin {

std::optional<std::string> ProvedPrikazy(ITarvik& tarvik, const std::vector<std::string>& prikazy,
                                         const TPredPrikazem& predPrikazem) {
    for (std::size_t i = 0; i < prikazy.size(); ++i) {
        if (predPrikazem) predPrikazem(i, prikazy.size(), prikazy[i]);
        try {
            tarvik.ExecSQL(prikazy[i]);
        } catch (const TarvikError& chyba) {
            return std::string(chyba.what());
        }
    }
    return std::nullopt;
}

} // namespace plugin
