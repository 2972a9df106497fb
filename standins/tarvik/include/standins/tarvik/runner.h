#pragma once
//! The `tarvik` runner: creates host databases and runs a plug-in library's commands with a
//! browse state and user answers given on the command line.

#include "standins/tarvik/browse_state.h"
#include "standins/tarvik/demo_company.h"
#include "standins/tarvik/host_tarvik.h"
#include "standins/tarvik/scripted_front_end.h"

#include "platform/db/connection.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace standins::tarvik {

//! What the runner was asked to do.
struct RunnerOptions {
    enum class Command { Help, Create, Run, Install };
    Command command = Command::Help;
    std::filesystem::path database;       //!< --db: the database file (name ending in ".db")
    std::filesystem::path pluginLibrary;  //!< --plugin
    bool demo = false;                    //!< create: add the demo company
    DemoOptions demoOptions;              //!< create: --sk, --scale, --seed
    std::filesystem::path wageSlipFolder; //!< create: --wage-slips, where the demo's wage slips go
    BrowseState browse;                   //!< run: --browse, --extkom, --current, --marked, --period
    bool browseGiven = false;
    HostSettings settings;               //!< --tarvik-version, --sql-server-version
    std::vector<ScriptedAnswer> answers; //!< --answer, in order
};

//! Reads the runner's arguments (without the program name); throws std::invalid_argument with a
//! message for the user.
RunnerOptions parseRunnerArguments(const std::vector<std::string>& args);

//! Usage text of the runner.
std::string runnerUsage();

//! How the embedded backend reaches a database file: its folder and its name without ".db".
//! Throws std::invalid_argument for a file name that does not end in ".db".
platform::db::ConnectionDescription hostDatabaseDescription(const std::filesystem::path& file);

//! Hears what is being created and how far it got, in percent.
using CreationProgress = std::function<void(std::string_view what, int percent)>;

//! Creates a host database file: the host tables and procedures, then the demo company when
//! asked. The file appears only when everything succeeded; an existing file is never touched.
//! Throws std::runtime_error with the server's message and the failing statement.
void createHostDatabase(const std::filesystem::path& file, bool demo, const DemoOptions& demoOptions,
                        const std::filesystem::path& wageSlipFolder = {},
                        const CreationProgress& progress = {});

//! Runs the runner: messages the host showed go to `out` as they appear, errors to `err`.
//! Returns the exit status: 0 success, 1 failure, 2 wrong arguments.
int runTarvik(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace standins::tarvik
