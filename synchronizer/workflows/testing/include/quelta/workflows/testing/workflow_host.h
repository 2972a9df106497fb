#pragma once
//! Host databases for the workflows' scenario tests, benchmarks and the demo: the host stand-in's demo
//! company with the plug-in installed by its installer.

#include "platform/db/connection.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quelta::testing {

//! What the host database holds.
struct WorkflowHostOptions {
    bool slovak = false;                    //!< Slovak legislation
    int scale = 1;                          //!< multiplies the demo's regular employees
    std::filesystem::path wageSlipFolder{}; //!< where the demo's wage-slip files go (none when empty)
    std::string portalUrl{};                //!< written into TabQUELTAHGlob.URL
};

//! Creates a host database file (its name ends in ".db"; an existing file is an error): the host tables and
//! procedures with the demo company, and the plug-in installed silently by its installer (its tables, views,
//! procedures, triggers and installation data).
void CreateWorkflowHost(const std::filesystem::path& file, const WorkflowHostOptions& options);

//! A connection to a host database file through the embedded engine.
class HostDatabase {
public:
    explicit HostDatabase(const std::filesystem::path& file);
    ~HostDatabase();

    //! Runs a batch; throws std::runtime_error with the server's message.
    platform::db::BatchResult Exec(std::string_view batch);
    //! The rows of the batch's first result set, each value as text ("NULL" for NULL), cells joined by "|".
    std::vector<std::string> Rows(std::string_view batch);
    //! The first value of the batch's first result set as text.
    std::string Value(std::string_view batch);

private:
    std::unique_ptr<platform::db::Connection> connection_;
};

} // namespace quelta::testing
