// Any bytes as a script on a fresh in-memory database: split at GO lines, each batch lexed, parsed,
// bound and run. Nothing may crash; the output is counted and dropped, and the work each input may
// cause is bounded by cancelling its batches after a fixed number of statements and SQLite steps.
#include "tsql/engine.h"
#include "tsql/shell.h"

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

namespace {

class Budget : public tsql::BatchSink {
public:
    void onColumns(const std::vector<tsql::ResultColumn>&) override { ++events_; }
    void onRow(const std::vector<tsql::Value>&) override { ++events_; }
    void onDone(long long) override { ++events_; }
    void onMessage(const tsql::Message&) override { ++events_; }
    //! Asked per statement and per thousand SQLite steps: a few million steps per input at most.
    bool cancelled() override { return ++asked_ > 3000 || events_ > 100000; }

private:
    long long asked_ = 0;
    long long events_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto database = tsql::Database::open({});
    auto session = database->connect("sa");
    Budget budget;
    std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
    tsql::forEachBatch(script, [&](const std::string& batch) { session->execute(batch, budget); });
    return 0;
}
