#include "response.h"

#include "rpc.h"

namespace tsql::server {

bool AttentionWatch::check() {
    if (seen_) return true;
    while (reader_.channel().readable(0)) {
        const auto header = reader_.readPacket(payload_);
        if (!header) throw Disconnected("the client closed the connection during a reply");
        if (header->type != static_cast<std::uint8_t>(PacketType::Attention))
            throw ProtocolError("the client sent a request before the previous one was answered");
        seen_ = true;
        return true;
    }
    return false;
}

void Response::resultStart(const std::vector<ResultColumn>& columns) {
    capturing_ = captureWanted_ && !columns.empty() && columns.front().name == kCaptureMarker;
    if (capturing_) return;
    types_ = tokens_.columns(columns);
    flush();
}

void Response::resultRow(const std::vector<Value>& row) {
    if (capturing_) {
        captured_ = row;
        return;
    }
    tokens_.row(types_, row);
    flush();
}

void Response::resultEnd(long long rows) {
    if (capturing_) {
        capturing_ = false;
        return;
    }
    tokens_.done(statementDoneToken(), done::kMore | done::kCount, done::kSelectCommand, rows);
    flush();
}

void Response::statementCount(long long rows) {
    tokens_.done(statementDoneToken(), done::kMore | done::kCount, 0, rows);
    flush();
}

void Response::message(const Message& m) {
    tokens_.message(m);
    if (m.isError()) {
        errors_ = true;
        std::uint16_t status = done::kMore | done::kError;
        if (m.severity >= 20) status |= done::kServerError;
        tokens_.done(statementDoneToken(), status, 0, 0);
    }
    flush();
}

void Response::finishBatch(const BatchSummary& summary) {
    if (summary.cancelled || attention_.seen()) {
        acknowledgeAttention();
        return;
    }
    tokens_.done(token::kDone, done::kFinal, 0, 0);
}

void Response::acknowledgeAttention() {
    tokens_.done(token::kDone, done::kAttention, 0, 0);
    attention_.clear();
}

} // namespace tsql::server
