#pragma once
//! The about box: the plug-in's name, display version and partner identification.

#include "plugin/core/plg_konfig_base.h"

#include <string>

namespace plugin {

//! The about information as one message text (lines separated by CR, the name emphasised).
std::string TextOPluginu(const TPluginKonfigBase& konfigurace);

//! Shows the about box modally when the host runs a Qt application, else the about information
//! as the host's message.
void ZobrazOPluginu(ITarvik& tarvik, const TPluginKonfigBase& konfigurace);

} // namespace plugin
