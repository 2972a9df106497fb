#include "batch_runner.h"

namespace tsql::server {

namespace {

//! Rows delivered between two looks for a cancellation.
constexpr std::size_t kRowsBetweenChecks = 64;

} // namespace

BatchSummary runBatch(Session& session, std::string_view text, BatchConsumer& consumer) {
    // The engine hands over a batch's output once the batch has ended; it is delivered from there.
    const BatchOutput output = session.execute(text);
    BatchSummary summary;
    auto count = output.statementCounts.begin();
    const auto countsBefore = [&](std::size_t event) {
        for (; count != output.statementCounts.end() && count->events <= event; ++count)
            consumer.statementCount(count->count);
    };
    for (std::size_t i = 0; i < output.events.size(); ++i) {
        if (consumer.cancelled()) {
            summary.cancelled = true;
            return summary;
        }
        countsBefore(i);
        const BatchEvent& event = output.events[i];
        if (event.kind == BatchEvent::Kind::Message) {
            consumer.message(event.message);
            continue;
        }
        consumer.resultStart(event.rows.columns);
        std::size_t sinceCheck = 0;
        for (const auto& row : event.rows.rows) {
            if (++sinceCheck == kRowsBetweenChecks) {
                sinceCheck = 0;
                if (consumer.cancelled()) {
                    summary.cancelled = true;
                    return summary;
                }
            }
            consumer.resultRow(row);
        }
        consumer.resultEnd(static_cast<long long>(event.rows.rows.size()));
    }
    countsBefore(output.events.size());
    summary.cancelled = consumer.cancelled();
    return summary;
}

} // namespace tsql::server
