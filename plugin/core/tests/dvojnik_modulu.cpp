// A test double of every module, built into a library of its own with the plug-in: each action of
// a class tells the host which object ran it on which browse, so that the host runner's tests see
// a command reach the action object of its browse.

#include "plugin/core/moduly.h"
#include "plugin/core/spravce_tarviku.h"

namespace plugin {
namespace {

class TDvojnikModulu : public TplgAkcePrehledu {
public:
    TDvojnikModulu(ITarvik& tarvik, std::string_view trida, std::string_view editor, TplgBrowse browse)
        : TplgAkcePrehledu(tarvik, std::string(trida), std::string(editor), browse) {
        for (const auto& akce : TridaAkci(trida)->Akce)
            PridejAkci(akce, [this, nazev = std::string(akce.NazevSys)] {
                const bool registrovany = SpravceTarviku().VratAkcePrehledu(&Tarvik()) == this;
                Tarvik().ShowInfo(Trida() + "." + nazev + " on browse " +
                                  std::to_string(Tarvik().GetBrowseNumber()) + " (" +
                                  Tarvik().GetBrowseSysName() + ")" +
                                  (registrovany ? "" : ", not the action object of its interface"));
            });
    }
};

const bool kRegistrovano = [] {
    for (const auto& trida : TridyAkci())
        RegistrujModul(trida.Jmeno,
                       [jmeno = trida.Jmeno](ITarvik& tarvik, std::string_view editor, TplgBrowse browse) {
                           return std::make_unique<TDvojnikModulu>(tarvik, jmeno, editor, browse);
                       });
    return true;
}();

} // namespace
} // namespace plugin
