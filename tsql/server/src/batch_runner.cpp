#include "batch_runner.h"

namespace tsql::server {

namespace {

//! Rows delivered between two looks for a cancellation.
constexpr long long kRowsBetweenChecks = 64;

//! Thrown from the sink to stop the engine at a client's attention.
struct Cancelled {};

//! Hands the engine's output to the consumer as the engine produces it.
class Sink final : public BatchSink {
public:
    explicit Sink(BatchConsumer& consumer)
        : consumer_(consumer) {}

    void onColumns(const std::vector<ResultColumn>& columns) override {
        checkCancel();
        consumer_.resultStart(columns);
        rows_ = 0;
    }
    void onRow(const std::vector<Value>& row) override {
        if (++rows_ % kRowsBetweenChecks == 0) checkCancel();
        consumer_.resultRow(row);
    }
    void onDone(long long rows) override { consumer_.resultEnd(rows); }
    void onMessage(const Message& message) override {
        checkCancel();
        consumer_.message(message);
    }
    void onRowsAffected(long long rows) override { consumer_.statementCount(rows); }

private:
    void checkCancel() {
        if (consumer_.cancelled()) throw Cancelled{};
    }
    BatchConsumer& consumer_;
    long long rows_ = 0;
};

} // namespace

BatchSummary runBatch(Session& session, std::string_view text, BatchConsumer& consumer) {
    BatchSummary summary;
    Sink sink(consumer);
    try {
        // The engine stops where the sink throws and rolls back the statement it was running.
        session.execute(text, sink);
    } catch (const Cancelled&) {
        summary.cancelled = true;
        return summary;
    }
    summary.cancelled = consumer.cancelled();
    return summary;
}

} // namespace tsql::server
