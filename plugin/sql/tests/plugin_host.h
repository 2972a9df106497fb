#pragma once
// The demo company's host database with the plug-in installed: its tables (from the definitions),
// its stored procedures and its triggers. Each test gets a fresh copy.

#include "common/testing/temp_folder.h"
#include "platform/db/connection.h"

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plugin::testing {

//! Creates the plug-in's stored procedures and triggers on a host database, as the installer does:
//! each text as it ships, rights on every procedure. Returns the objects that failed, each as
//! "name: the server's message".
std::vector<std::string> InstalujProceduryATriggery(platform::db::Connection& db);

//! Creates the demo company's host database in a new file with the plug-in's tables, procedures
//! and triggers; returns the objects the engine did not take, as InstalujProceduryATriggery.
std::vector<std::string> VytvorHostitele(const std::filesystem::path& soubor);

//! A connection to such a database.
std::unique_ptr<platform::db::Connection> PripojHostitele(const std::filesystem::path& soubor);

//! A copy of the demo host database with the plug-in installed, and one connection to it.
class TPluginHost {
public:
    TPluginHost();

    platform::db::Connection& db() { return *db_; }
    //! Runs a batch; a failure throws with the server's message and the batch.
    platform::db::BatchResult exec(std::string_view batch);
    //! The first column of the first row as text ("NULL" for NULL); throws without a row.
    std::string value(std::string_view batch);
    //! The first column of the first row as a number.
    long long number(std::string_view batch);
    //! Every row of the first result set, its columns as text joined by "|".
    std::vector<std::string> rows(std::string_view batch);

    //! Which of these objects of the plug-in the database lacks because the engine did not take
    //! them, with the engine's reason; empty when it has them all.
    std::string Chybi(std::initializer_list<std::string_view> objekty);

private:
    common::testing::TempFolder folder_{"plugin-sql-test"};
    std::unique_ptr<platform::db::Connection> db_;
};

//! A value as the tests compare it: NULL, numbers and texts as written, bytes as 0x + hex digits.
std::string Text(const platform::db::Value& value);

} // namespace plugin::testing
