#pragma once
//! Where Run hands over to the shared definitions of the plug-in's tables (plugin/definitions):
//! the effective schema and its captions in the user's languages.

#include "plugin/host/tarvik_interface.h"

namespace plugin {

//! Completes the shared definitions (tables inherit from their parent table and from the
//! attribute templates); called once per loaded library, before the languages are read.
void DokonciDefinice();

//! Re-translates every caption of the definitions that a message number gives, and takes the
//! captions and value lists of host attributes from the host; called whenever the user's
//! languages changed.
void PrelozDefinice(ITarvik& tarvik);

} // namespace plugin
