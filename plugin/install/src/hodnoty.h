#pragma once
// Reading the fields of the host's query results the way the installer needs them.

#include "plugin/host/tarvik_interface.h"

#include <string>

namespace plugin::instalace {

//! A field as text: empty for NULL, numbers in decimal.
std::string Text(const TaVariant& hodnota);

//! A field as a whole number: 0 for NULL, true as 1; a text or decimal is read as a number.
int Cislo(const TaVariant& hodnota);

//! A catalog text part read with a "|" appended (so that the host keeps its trailing blanks),
//! without that "|".
std::string CastTextu(const TaVariant& hodnota);

} // namespace plugin::instalace
