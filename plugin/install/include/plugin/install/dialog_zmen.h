#pragma once
//! Running the statements of a change dialog, and what a change dialog ends with.

#include "plugin/host/tarvik_interface.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace plugin {

//! How a change dialog ended.
enum class TKonecDialogu : std::uint8_t {
    Provedeno, //!< the statements ran
    Zruseno,   //!< the user cancelled; nothing ran
    Chyba,     //!< a statement failed; the ones before it ran
};

struct TplgVysledekDialogu {
    TKonecDialogu Konec = TKonecDialogu::Zruseno;
    std::string Chyba; //!< the server's message of the failing statement
};

//! Hears which statement (from 0, of `pocet`) is about to run.
using TPredPrikazem = std::function<void(std::size_t index, std::size_t pocet, const std::string& prikaz)>;

//! Runs the statements in order through ITarvik::ExecSQL and stops at the first that fails.
//! Returns the failing statement's message (the host's error text), nothing when all ran.
std::optional<std::string> ProvedPrikazy(ITarvik& tarvik, const std::vector<std::string>& prikazy,
                                         const TPredPrikazem& predPrikazem = {});

} // namespace plugin
