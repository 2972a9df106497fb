#pragma once
//! The installation as the plug-in starts it: in the installation window when the host runs a
//! desktop application, otherwise without windows (the change dialogs then print through the
//! host's message output).

#include "plugin/install/instalace.h"

#include <functional>

class QWidget;

namespace plugin {

//! Prepares a plug-in window before it is shown (the host's font, the host's window as owner).
using TPripravOkna = std::function<void(QWidget&)>;

//! Runs the installation modally and returns how it ended.
TplgVysledekInstalace Instaluj(ITarvik& tarvik, const TInstalacniKonfigurace& konfigurace,
                               const TDefiniceInstalace& definice, bool ticha,
                               const TPripravOkna& pripravOkna = {});

} // namespace plugin
