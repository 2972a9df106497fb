#pragma once
//! One run of Quelta: start-up checks, journal entries, one method, error handling.

#include "quelta/synch.h"

#include <string>

namespace quelta {

//! What a run is wired to.
struct RunEnvironment {
    UserInterface* ui = nullptr;     //!< message boxes, progress pane, login form
    std::filesystem::path iniPath;   //!< Quelta's INI file
    EndpointFactory endpointFactory; //!< creates the Portal service reference (may be empty)
    SynchFactory synchFactory;       //!< creates the synchronizer (empty: the base TSynch)
};

//! Message boxes of the start-up checks.
inline constexpr const char* kBadParameters = "Bad parameters! Check documentation";
inline constexpr const char* kUnsupportedLegislation = "Unsupported legislation!";
//! The line break between the headline and the message of an error box: a line feed, since a lone
//! carriage return would send a terminal's cursor back over the headline.
inline constexpr const char* kMessageLineBreak = "\n";

//! The query of the Portal settings row.
inline constexpr const char* kPortalSettingsQuery =
    "SELECT TOP 1 CertStoreLocation, CertStoreName, CertByName, CertSN, URL\rFROM TabQUELTAHGlob";

//! "QUELTA - Spustená synchronizácia - method: <method> | list : <list>".
std::string StartJournalText(const CommandLine& arguments);
//! "QUELTA - <kind> error raised with message : <message>".
std::string ErrorJournalText(const std::string& kind, const std::string& message);
//! "<kind> error raised, with message : " line break "<message>".
std::string ErrorBoxText(const std::string& kind, const std::string& message);

//! Reads the first TabQUELTAHGlob row; NULL texts read as "", NULL numbers are conversion errors.
PortalSettings ReadPortalSettings(TDBConnector& connector);

//! Runs Quelta once; always returns 0 (outcomes are in the database and the journal).
int Run(const CommandLine& arguments, const RunEnvironment& environment);

} // namespace quelta
