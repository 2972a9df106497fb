#pragma once
// Host databases on disk for the runner's tests.

#include "common/testing/temp_folder.h"
#include "platform/db/connection.h"

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace host_database {

using common::testing::TempFolder;

//! Creates `file` with the host's tables (no procedures), then runs `extra` batches on it;
//! throws std::runtime_error with the server's message and the failing batch.
void createHostTables(const std::filesystem::path& file, const std::vector<std::string>& extra = {});

//! A connection to a host database file through the embedded backend.
std::unique_ptr<platform::db::Connection> connectHost(const std::filesystem::path& file);

//! Descriptions (TabExtKom.Popis) of the test plug-in's actions, registered on the user browse
//! kTestBrowse with IDs 1, 2, ... in this order; one more "state" action follows on browse 205.
inline constexpr const char* kTestActions[] = {"state",  "ask",  "ask3", "select",
                                               "marked", "rows", "fail", "sql-error"};
inline constexpr int kForeignAction = static_cast<int>(std::size(kTestActions)) + 1;
//! The user browse showing the view hvw_TestRadky (rows with IDs 1, 2 and 3).
inline constexpr int kTestBrowse = 100007;

//! A host database with the tables, the test browse and the test actions, made once per process
//! (tests only read it; their temporary tables stay on their own connections).
const std::filesystem::path& fixtureDatabase();

} // namespace host_database
