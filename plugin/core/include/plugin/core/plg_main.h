#pragma once
//! The plug-in object and what Run does: take over the host's window, icon, font and the user's
//! languages, check the host and SQL Server versions and the installation record, then carry out
//! the command the host's browse state names.

#include "plugin/core/plg_konfig_base.h"
#include "plugin/host/plugin_entry.h"

#include <string>
#include <string_view>

namespace plugin {

//! The object the host creates for each command; one Run per object.
class TPluginObject : public ITaPlugin2 {
public:
    //! Runs the command. Every failure leaves as std::runtime_error whose text is what the user
    //! sees (a text that is a message number is translated); the interface is registered in the
    //! registry of live interfaces only while Run runs.
    void Run(ITarvik& tarvik) override;
    //! The configuration's partner identification text.
    std::string PartnerIdentification() override;

private:
    ITarvik* FTarvik = nullptr;
};

//! The steps of Run after the interface is registered, with the given configuration; failures
//! leave as exceptions, untranslated.
void SpustPlugin(ITarvik& tarvik, TPluginKonfigBase& konfigurace);

//! How the installed version compares with the plug-in's own.
enum class TStavInstalace {
    Aktualni = 0,       //!< the same version
    VDatabaziVyssi = 1, //!< the database holds a higher version than the plug-in
    VDatabaziNizsi = 2, //!< the database holds a lower version, or none: the installer must run
};

//! The installation record of the plug-in in the host (TabPluginInfo).
struct TInstalace {
    std::string VerzeVDB; //!< twelve hexadecimal digits; "000000000000" when not installed
    int ZmenyOK = 0;      //!< 1 when the last installation carried out all its changes
    TStavInstalace Stav = TStavInstalace::VDatabaziNizsi;
};

//! Compares an installed version text with the plug-in's own (both twelve hexadecimal digits):
//! equal ignoring case, else by ordinal comparison.
TStavInstalace PorovnejVerze(std::string_view verzeVDB, std::string_view vlastniVerze);

//! Reads the installation record of the configured plug-in through the host.
TInstalace CtiInstalaci(ITarvik& tarvik, const TPluginKonfigBase& konfigurace);

//! The host's legislation (TabHGlob.Legislativa: 1 Slovak, otherwise Czech) as read by the first
//! Run of the loaded library; 0 before that.
int Legislativa();

} // namespace plugin
