#include "host_fixture.h"

#include "plugin/core/plg_main.h"

#include "common/testing/temp_folder.h"
#include "standins/tarvik/runner.h"
#include "tsql/backend.h"

#include <stdexcept>

namespace plugin::testing {

const std::filesystem::path& hostDatabase() {
    static const common::testing::TempFolder folder("plugin-core-test");
    static const auto file = [] {
        auto path = folder.path() / "host.db";
        standins::tarvik::createHostDatabase(path, false, {});
        tsql::registerEmbeddedBackend();
        auto connection = platform::db::connect(standins::tarvik::hostDatabaseDescription(path));
        exec(*connection, "INSERT INTO TabHGlob (Legislativa, NazevFirmy) VALUES (0, N'Test s.r.o.')");
        exec(*connection, "INSERT INTO TabUziv (LoginName, Jazyk, Jazyk2) VALUES (SUSER_SNAME(), 1, -1)");
        return path;
    }();
    return file;
}

std::unique_ptr<platform::db::Connection> connectHost() {
    tsql::registerEmbeddedBackend();
    return platform::db::connect(standins::tarvik::hostDatabaseDescription(hostDatabase()));
}

void exec(platform::db::Connection& connection, const std::string& sql) {
    connection.execute(sql);
}

CallResult runPlugin(platform::db::Connection& connection, standins::tarvik::BrowseState state,
                     standins::tarvik::HostSettings settings,
                     std::vector<standins::tarvik::ScriptedAnswer> answers) {
    standins::tarvik::ScriptedFrontEnd frontEnd(std::move(answers));
    standins::tarvik::HostTarvik host(connection, frontEnd, std::move(state), std::move(settings));
    CallResult result;
    TPluginObject object;
    try {
        object.Run(host);
    } catch (const std::runtime_error& e) {
        result.failure = e.what();
    }
    result.shown = frontEnd.transcript();
    result.hostCalls = host.hostCalls();
    return result;
}

} // namespace plugin::testing
