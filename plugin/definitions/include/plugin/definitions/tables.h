#pragma once
//! The plug-in's static definitions: its sixteen tables and the common-column templates, as
//! written (before inheritance, template merging and constraint derivation; see schema.h).

#include "plugin/definitions/model.h"

#include <span>

namespace plugin {

//! The table registry, indexed by TplgTabulka: entry 0 (tZadna) is null, entries 1 to 16 the
//! plug-in's tables in enumerator order.
std::span<const TplgTabulkaDef* const> RegistrTabulek();

//! The common-column templates, indexed by TplgUzivatelskyTypAtributu (entry 0 is empty).
std::span<const TplgUzivatelskeAtributyDef> SablonyAtributu();

} // namespace plugin
