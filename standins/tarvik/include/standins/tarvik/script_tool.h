#pragma once
//! The `tarvik-sql` tool: writes the host database script, optionally followed by the demo
//! company, as one T-SQL script with GO lines, for the embedded engine's shell or a real
//! SQL Server's command-line client.

#include "standins/tarvik/demo_company.h"

#include <ostream>
#include <string>
#include <vector>

namespace standins::tarvik {

//! What the tool was asked to do.
struct ScriptToolOptions {
    bool help = false;
    bool demo = false;          //!< add the demo company
    DemoOptions demoOptions;    //!< --seed, --sk, --scale
    std::string wageSlipFolder; //!< --wage-slips: where to write the demo's wage slips, or empty
};

//! Reads the tool's arguments (without the program name): --demo, --sk, --scale N, --seed N,
//! --wage-slips DIR, --help. Throws std::invalid_argument with a message for the user.
ScriptToolOptions parseScriptToolArguments(const std::vector<std::string>& args);

//! Usage text of the tool.
std::string scriptToolUsage();

//! Writes the script: every batch followed by a line "GO".
void writeHostDatabaseScript(std::ostream& out, const ScriptToolOptions& options);

} // namespace standins::tarvik
