#include "fake_database.h"

#include "platform/db/errors.h"

#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace quelta::test {

namespace db = platform::db;

namespace {

db::BatchResult single(std::vector<std::string> names, std::vector<db::Value> row) {
    std::vector<db::Column> columns;
    for (auto& n : names)
        columns.push_back({n, ""});
    db::BatchResult r;
    r.resultSets.emplace_back(std::move(columns), std::vector<std::vector<db::Value>>{std::move(row)});
    return r;
}

const std::regex kJournal("^DECLARE @IDZurnal INT\rEXECUTE dbo\\.hp_ZapisDoZurnalu (-?[0-9]+), -1, "
                          "N'((?:[^']|'')*)' SELECT @IDZurnal$");

class FakeConnection : public db::Connection {
public:
    db::BatchResult execute(std::string_view batch) override {
        auto& d = FakeDatabase::Instance();
        d.batches.emplace_back(batch);
        const std::string text(batch);
        if (text.rfind("SELECT TOP 1 Legislativa FROM TabHGlob", 0) == 0)
            return single({"Legislativa"}, {d.legislativa});
        if (text.rfind("SELECT TOP 1 CertStoreLocation", 0) == 0)
            return single({"CertStoreLocation", "CertStoreName", "CertByName", "CertSN", "URL"}, d.portalRow);
        std::smatch m;
        if (std::regex_match(text, m, kJournal)) {
            if (d.journalError && std::stoi(m[1]) == d.failingJournalCode)
                throw db::DbError(2812, 16, *d.journalError);
            d.journal.emplace_back(std::stoi(m[1]), std::regex_replace(m[2].str(), std::regex("''"), "'"));
            return single({""}, {db::Value::integer(static_cast<std::int64_t>(d.batches.size()))});
        }
        for (const auto& [prefix, results] : d.batchAnswers)
            if (text.rfind(prefix, 0) == 0) {
                db::BatchResult r;
                r.resultSets = results;
                return r;
            }
        for (const auto& [prefix, result] : d.answers)
            if (text.rfind(prefix, 0) == 0) {
                db::BatchResult r;
                r.resultSets.push_back(result);
                return r;
            }
        return {};
    }
    std::string serverName() const override { return "fake"; }
};

} // namespace

FakeDatabase& FakeDatabase::Instance() {
    static FakeDatabase instance;
    return instance;
}

void FakeDatabase::Reset() {
    Instance() = FakeDatabase();
    db::registerBackend("embedded",
                        [](const db::ConnectionDescription& description) -> std::unique_ptr<db::Connection> {
                            auto& d = Instance();
                            d.connections.push_back(description);
                            if (d.connectError) throw db::ConnectionError(*d.connectError);
                            return std::make_unique<FakeConnection>();
                        });
}

void WriteTextFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace quelta::test
