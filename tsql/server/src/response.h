#pragma once
//! A reply being written: the tokens of a batch's results and messages as they arrive, with a DONE (or
//! DONEINPROC inside an RPC) after each result set and each error, and an eye on the client's attention.

#include "batch_runner.h"
#include "packet.h"
#include "tokens.h"

#include <optional>
#include <string>
#include <vector>

namespace tsql::server {

//! Notices an attention (cancel) the client sends while the server is busy with its request.
class AttentionWatch {
public:
    explicit AttentionWatch(PacketReader& reader)
        : reader_(reader) {}
    //! True once an attention has arrived; looks at the connection without waiting. Throws ProtocolError
    //! when the client sends another request instead, Disconnected when it is gone.
    bool check();
    bool seen() const { return seen_; }
    void clear() { seen_ = false; }
    //! Records an attention that arrived as a message of its own.
    void set() { seen_ = true; }

private:
    PacketReader& reader_;
    bool seen_ = false;
    Bytes payload_;
};

class Response final : public BatchConsumer {
public:
    //! Inside an RPC, statements end with DONEINPROC; in a batch, with DONE.
    enum class Scope { Batch, Procedure };

    Response(PacketWriter& writer, const Protocol& protocol, const std::string& serverName,
             AttentionWatch& attention)
        : writer_(writer)
        , tokens_(writer.buffer(), protocol, serverName)
        , attention_(attention) {}

    //! Starts the reply message.
    void begin() { writer_.begin(PacketType::Reply); }
    TokenWriter& tokens() { return tokens_; }
    //! Sends the complete packets written so far.
    void flush() { writer_.flushFull(); }
    //! Sends the rest as the message's last packet.
    void end() { writer_.end(); }

    void setScope(Scope scope) { scope_ = scope; }
    //! The result set marked by kCaptureMarker is kept here instead of being sent (the RPC's return status
    //! and OUTPUT values).
    void captureReturnValues() {
        captureWanted_ = true;
        captured_.reset();
    }
    const std::optional<std::vector<Value>>& captured() const { return captured_; }
    //! True when an error was reported since the last clearErrors().
    bool errors() const { return errors_; }
    void clearErrors() { errors_ = false; }

    void resultStart(const std::vector<ResultColumn>& columns) override;
    void resultRow(const std::vector<Value>& row) override;
    void resultEnd(long long rows) override;
    void statementCount(long long rows) override;
    void message(const Message& m) override;
    //! While the whole reply fits one packet nothing is sent before the batch ends, so there is nothing
    //! to cut short: an attention is then answered after the reply, and looking for one costs nothing.
    bool cancelled() override {
        return attention_.seen() || (writer_.packetsSent() > 0 && attention_.check());
    }

    //! The DONE that ends a batch — or the attention's acknowledgement.
    void finishBatch(const BatchSummary& summary);
    //! DONE with the attention bit: the client's cancel is acknowledged, nothing more follows.
    void acknowledgeAttention();

private:
    std::uint8_t statementDoneToken() const {
        return scope_ == Scope::Batch ? token::kDone : token::kDoneInProc;
    }

    PacketWriter& writer_;
    TokenWriter tokens_;
    AttentionWatch& attention_;
    Scope scope_ = Scope::Batch;
    std::vector<WireType> types_;
    bool capturing_ = false;
    bool captureWanted_ = false;
    std::optional<std::vector<Value>> captured_;
    bool errors_ = false;
};

} // namespace tsql::server
