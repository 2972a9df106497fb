#pragma once
// A host database for the plug-in's tests, and one plug-in call on it through the host
// stand-in with a scripted user.

#include "standins/tarvik/host_tarvik.h"
#include "standins/tarvik/scripted_front_end.h"

#include "platform/db/connection.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace plugin::testing {

//! A host database with the host's tables and procedures, the company settings row and the
//! current login as a Czech user; created once per test process (tests undo their changes).
const std::filesystem::path& hostDatabase();

//! A connection to that database.
std::unique_ptr<platform::db::Connection> connectHost();

//! Runs a batch on a connection; throws with the server's message when it fails.
void exec(platform::db::Connection& connection, const std::string& sql);

//! What one plug-in call showed and how it ended.
struct CallResult {
    std::string failure;                              //!< text of the error that left Run, empty on success
    std::vector<standins::tarvik::Interaction> shown; //!< messages, questions and browses opened
    std::vector<std::string> hostCalls;
};

//! Calls Run of a new plug-in object with that browse state and host settings.
CallResult runPlugin(platform::db::Connection& connection, standins::tarvik::BrowseState state,
                     standins::tarvik::HostSettings settings = {},
                     std::vector<standins::tarvik::ScriptedAnswer> answers = {});

} // namespace plugin::testing
