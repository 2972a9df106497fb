#include "plugin/core/definice_hook.h"

namespace plugin {

// The definitions of the plug-in's tables and browses are not part of this library yet; once
// they are, these two calls are where Run reaches them.

void DokonciDefinice() {}

void PrelozDefinice(ITarvik&) {}

} // namespace plugin
