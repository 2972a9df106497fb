#pragma once
//! Runs a batch on an engine session and hands what it produces to a consumer, in order and as the engine
//! produces it; a client's cancel stops the engine at the next result, row or message.

#include "tsql/engine.h"

#include <string_view>
#include <vector>

namespace tsql::server {

//! What the server hears of a running batch.
class BatchConsumer {
public:
    virtual ~BatchConsumer() = default;
    virtual void resultStart(const std::vector<ResultColumn>& columns) = 0;
    virtual void resultRow(const std::vector<Value>& row) = 0;
    virtual void resultEnd(long long rows) = 0;
    //! A statement changed `rows` rows (INSERT, UPDATE, DELETE).
    virtual void statementCount(long long rows) = 0;
    virtual void message(const Message& message) = 0;
    //! Asked between results, rows and messages: true when the client cancelled, which stops the batch.
    virtual bool cancelled() = 0;
};

struct BatchSummary {
    bool cancelled = false; //!< the client cancelled before everything was delivered
};

//! Runs `text` on `session` and delivers its results and messages.
BatchSummary runBatch(Session& session, std::string_view text, BatchConsumer& consumer);

} // namespace tsql::server
