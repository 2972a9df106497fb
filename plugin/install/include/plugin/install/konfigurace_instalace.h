#pragma once
//! What the installer needs to know about the plug-in it installs.

#include "plugin/host/tarvik_interface.h"
#include "plugin/install/zaznam_instalace.h"
#include "plugin/messages/hlasky.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plugin {

struct TInstalacniKonfigurace {
    TplgIdentitaPluginu Identita;
    std::string Verze;                     //!< the plug-in's version, twelve hexadecimal digits
    std::string ZobrazovanaVerze;          //!< the version shown to people ("2.0.2012.0719")
    std::string PrefixTabulek;             //!< prefix of the plug-in's table names
    std::vector<std::uint8_t> Logo;        //!< image file bytes; empty = no logo
    std::uint32_t BarvaPrubehu = 0xFFFFFF; //!< 0xBBGGRR; white = the window's own colour
    std::string VlastniInstalacniSkript;   //!< the plug-in's installation data script
    //! The plug-in's own installation step, run after the checks; false ends the installation.
    std::function<bool(ITarvik&)> VlastniInstalacniProcedura;
    //! Finds the language library of a language (the messages are registered in every language
    //! that has texts); empty: only the built-in Czech and Slovak texts.
    TNactiJazykovouKnihovnu JazykoveKnihovny;
    //! Imports the forms, filters and print layouts the plug-in ships; may be empty.
    std::function<void(ITarvik&)> ImportFormularu;
};

} // namespace plugin
