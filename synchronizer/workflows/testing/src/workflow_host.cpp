#include "quelta/workflows/testing/workflow_host.h"

#include "common/sql_text.h"
#include "plugin_host.h"
#include "quelta/db_connector.h"
#include "standins/tarvik/runner.h"
#include "tsql/backend.h"

#include <stdexcept>

namespace quelta::testing {

namespace {

platform::db::ConnectionDescription description(const std::filesystem::path& file) {
    tsql::registerEmbeddedBackend();
    return standins::tarvik::hostDatabaseDescription(file);
}

} // namespace

void CreateWorkflowHost(const std::filesystem::path& file, const WorkflowHostOptions& options) {
    standins::tarvik::DemoOptions demo;
    demo.slovak = options.slovak;
    demo.scale = options.scale;
    standins::tarvik::createHostDatabase(file, true, demo, options.wageSlipFolder);

    plugin::testing::Instaluj(*plugin::testing::PripojHostitele(file));
    HostDatabase(file).Exec("UPDATE TabQUELTAHGlob SET URL = " + common::SqlNString(options.portalUrl));
}

HostDatabase::HostDatabase(const std::filesystem::path& file)
    : connection_(platform::db::connect(description(file))) {}

HostDatabase::~HostDatabase() = default;

platform::db::BatchResult HostDatabase::Exec(std::string_view batch) {
    try {
        return connection_->execute(batch);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string(e.what()) + "\nin:\n" + std::string(batch));
    }
}

std::vector<std::string> HostDatabase::Rows(std::string_view batch) {
    const auto result = Exec(batch);
    std::vector<std::string> rows;
    if (result.resultSets.empty()) return rows;
    for (const auto& row : result.resultSets.front().rows()) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) line += "|";
            line += row[i].isNull() ? "NULL" : quelta::ValueAsText(row[i]);
        }
        rows.push_back(line);
    }
    return rows;
}

std::string HostDatabase::Value(std::string_view batch) {
    const auto result = Exec(batch);
    if (result.resultSets.empty() || result.resultSets.front().rowCount() == 0)
        throw std::runtime_error("no value from:\n" + std::string(batch));
    const auto& v = result.resultSets.front().rows().front().front();
    return v.isNull() ? "NULL" : quelta::ValueAsText(v);
}

} // namespace quelta::testing
