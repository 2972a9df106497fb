// The user's languages and the texts of the messages in them.

#include "plg_run.h"

#include "plugin/core/definice_hook.h"
#include "plugin/messages/hlasky.h"

#include <dlfcn.h>

#include <optional>
#include <utility>

namespace plugin {

namespace {

//! The languages the texts were set up for by the previous Run of the loaded library.
std::optional<std::pair<int, int>>& predchoziJazyky() {
    static std::optional<std::pair<int, int>> jazyky;
    return jazyky;
}

int cislo(const TaVariant& hodnota, int vychozi) {
    return hodnota.isNull() ? vychozi : static_cast<int>(hodnota.asInt());
}

} // namespace

// Reading language libraries is not part of this build: a library that is there is reported, and
// the language then takes its texts from the built-in ones.
TNactiJazykovouKnihovnu JazykoveKnihovny(ITarvik& tarvik, const TPluginKonfigBase& konfigurace) {
    return [&tarvik, &konfigurace](int jazyk) -> std::unique_ptr<TplgAktivniJazyk> {
        const auto cesta = SlozkaPluginu() / konfigurace.PluginJazykoveDLL_Ext(jazyk);
        std::error_code chyba;
        if (!std::filesystem::is_regular_file(cesta, chyba)) return nullptr;
        tarvik.ShowError("\001" + TextHlasky(167) + "\001\r" + cesta.string() + "\r\r" +
                         Format(TextHlasky(9), {TextHlasky(119)}));
        return nullptr;
    };
}

std::filesystem::path SlozkaPluginu() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&SlozkaPluginu), &info) == 0 || !info.dli_fname) return {};
    return std::filesystem::absolute(info.dli_fname).parent_path();
}

void NastavJazyky(ITarvik& tarvik, const TPluginKonfigBase& konfigurace) {
    static bool definiceDokonceny = false;
    if (!definiceDokonceny) {
        DokonciDefinice();
        definiceDokonceny = true;
    }
    std::pair<int, int> jazyky{1, -1};
    auto radky = tarvik.OpenSQL("SELECT Jazyk, Jazyk2 FROM TabUziv WHERE LoginName = SUSER_SNAME()");
    if (radky->RecordCount() > 0) jazyky = {cislo(radky->FieldValue(0), 1), cislo(radky->FieldValue(1), -1)};
    auto& predchozi = predchoziJazyky();
    if (predchozi == jazyky) return;
    PrepniJazyky(jazyky.first, jazyky.second, JazykoveKnihovny(tarvik, konfigurace));
    predchozi = jazyky;
    PrelozDefinice(tarvik);
}

} // namespace plugin
