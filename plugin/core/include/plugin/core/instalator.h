#pragma once
//! Where Run hands over to the installer (plugin/install): the installer's view of the
//! configuration, and the installation itself.

#include "plugin/core/plg_konfig_base.h"
#include "plugin/install/konfigurace_instalace.h"

namespace plugin {

//! What the installer needs of a configuration: identity, versions, logo and progress colour,
//! the installation data script and the own installation step.
TInstalacniKonfigurace KonfiguraceInstalace(TPluginKonfigBase& konfigurace);

//! Runs the installer in its window (or without one when the host has no display); silent when
//! asked or when the host's command line asks for it. Throws std::runtime_error with the failure
//! and the server's message when the installation did not finish; a cancelled installation
//! returns quietly (the record keeps ZmenyOK 0).
void SpustInstalator(ITarvik& tarvik, TPluginKonfigBase& konfigurace, bool ticha);

} // namespace plugin
