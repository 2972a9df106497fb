#pragma once
// The parts of Run, each in its own file.

#include "plugin/core/plg_konfig_base.h"
#include "plugin/messages/hlasky.h"

#include <filesystem>
#include <string_view>

namespace plugin {

//! Takes over the host's window, icon and font for the plug-in's windows.
void PrevezmiProstredi(ITarvik& tarvik);

//! Completes the shared definitions once per library, reads the user's languages and, when
//! they changed since the last Run, sets up the texts and re-translates the definitions.
void NastavJazyky(ITarvik& tarvik, const TPluginKonfigBase& konfigurace);

//! The language library of a language, when one lies beside the plug-in; one that is there but
//! cannot be read is reported through the host.
TNactiJazykovouKnihovnu JazykoveKnihovny(ITarvik& tarvik, const TPluginKonfigBase& konfigurace);

//! Runs the action of a browse chosen by its TabExtKom ID: the action object of the browse (a
//! plug-in browse by its view, a host browse by its number) runs the action's GUID; nothing happens
//! when the plug-in has no action object there or the object no such action.
void SpustAkciPrehledu(ITarvik& tarvik, int prehled, int extKomID);

//! Fails with the error that this build does not carry a function (message 9).
[[noreturn]] void NeniKDispozici(std::string_view funkce);

//! The folder the plug-in library was loaded from.
std::filesystem::path SlozkaPluginu();

} // namespace plugin
