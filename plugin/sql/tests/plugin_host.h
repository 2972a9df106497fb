#pragma once
// The demo company's host database with the plug-in installed by its installer: its tables,
// procedures, triggers and installation data. Each test gets a fresh copy.

#include "common/testing/temp_folder.h"
#include "platform/db/connection.h"

#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plugin::testing {

//! Installs the plug-in into a host database with its installer, silently, as the host's
//! silent installation does; returns the texts the installation showed. Throws unless it finished.
std::vector<std::string> Instaluj(platform::db::Connection& db);

//! Creates the demo company's host database in a new file and installs the plug-in into it.
void VytvorHostitele(const std::filesystem::path& soubor);

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

private:
    common::testing::TempFolder folder_{"plugin-sql-test"};
    std::unique_ptr<platform::db::Connection> db_;
};

//! A value as the tests compare it: NULL, numbers and texts as written, bytes as 0x + hex digits.
std::string Text(const platform::db::Value& value);

} // namespace plugin::testing
