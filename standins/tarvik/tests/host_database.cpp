#include "host_database.h"

#include "standins/tarvik/host_script.h"
#include "standins/tarvik/runner.h"

#include "tsql/backend.h"
#include "tsql/engine.h"

#include <atomic>
#include <stdexcept>
#include <unistd.h>

namespace host_database {

void createHostTables(const std::filesystem::path& file, const std::vector<std::string>& extra) {
    std::vector<std::string> batches;
    for (const auto& script : standins::tarvik::hostScriptFiles())
        if (script.name.starts_with("host-schema"))
            for (auto& batch : standins::tarvik::splitBatches(script.text))
                batches.push_back(std::move(batch));
    batches.insert(batches.end(), extra.begin(), extra.end());

    tsql::DatabaseOptions options;
    options.path = file.string();
    options.name = file.stem().string();
    options.create = true;
    auto database = tsql::Database::open(options);
    auto session = database->connect("tester");
    for (const auto& batch : batches)
        for (const auto& event : session->execute(batch).events)
            if (event.kind == tsql::BatchEvent::Kind::Message && event.message.isError())
                throw std::runtime_error(event.message.text + "\nin the batch:\n" + batch);
}

std::unique_ptr<platform::db::Connection> connectHost(const std::filesystem::path& file) {
    tsql::registerEmbeddedBackend();
    return platform::db::connect(standins::tarvik::hostDatabaseDescription(file));
}

const std::filesystem::path& fixtureDatabase() {
    static const TempFolder folder;
    static const auto file = [] {
        auto path = folder.path() / "fixture.db";
        std::vector<std::string> extra = {
            "CREATE TABLE dbo.TestRadky (ID INT NOT NULL PRIMARY KEY, Nazev NVARCHAR(20) NULL)",
            "INSERT dbo.TestRadky (ID, Nazev) VALUES (3, N'tři')\n"
            "INSERT dbo.TestRadky (ID, Nazev) VALUES (1, N'jedna')\n"
            "INSERT dbo.TestRadky (ID, Nazev) VALUES (2, N'dva')",
            "CREATE VIEW dbo.hvw_TestRadky AS SELECT ID, Nazev FROM dbo.TestRadky",
            "INSERT dbo.TabObecnyPrehled (Cislo, NazevSys, Nazev) VALUES (" +
                std::to_string(kTestBrowse - 100000) + ", N'hvw_TestRadky', N'Test')",
        };
        for (const char* action : kTestActions)
            extra.push_back("INSERT dbo.TabExtKom (IdBrowse, Popis, UP) VALUES (" +
                            std::to_string(kTestBrowse) + ", N'" + action + "', N'TestPlugin.Tester')");
        extra.push_back(
            "INSERT dbo.TabExtKom (IdBrowse, Popis, UP) VALUES (205, N'state', N'TestPlugin.Tester')");
        createHostTables(path, extra);
        return path;
    }();
    return file;
}

} // namespace host_database
