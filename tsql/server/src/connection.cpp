// The requests of a logged-in connection: SQL batches, RPCs, transaction requests and attentions.

#include "connection.h"

#include "batch_runner.h"
#include "literal.h"
#include "messages.h"
#include "server_statements.h"

#include "tsql/error.h"

#include <unistd.h>

namespace tsql::server {

namespace {

//! Transaction manager request types.
enum TransactionRequest : std::uint16_t {
    kBeginTransaction = 5,
    kCommitTransaction = 7,
    kRollbackTransaction = 8,
    kSaveTransaction = 9,
};
//! fBeginXact of COMMIT and ROLLBACK requests: a new transaction starts right away.
constexpr std::uint8_t kBeginAgain = 0x01;

//! Skips the ALL_HEADERS block that 7.2 and later put in front of requests.
void skipAllHeaders(ByteReader& r, const Protocol& protocol) {
    if (!protocol.atLeast72()) return;
    const std::uint32_t total = r.u32();
    if (total < 4 || total - 4 > r.remaining())
        throw ProtocolError("the request headers announce a wrong length");
    r.skip(total - 4);
}

Bytes descriptor(std::uint64_t n) {
    Bytes out;
    ByteWriter(out).u64(n);
    return out;
}

Message internalError(const std::string& what) {
    Message m;
    m.number = 50000;
    m.severity = 16;
    m.state = 1;
    m.line = 1;
    m.text = "The server could not finish the request: " + what;
    return m;
}

} // namespace

ClientConnection::ClientConnection(int fd, std::uint16_t spid, std::string peer,
                                   const ConnectionContext& context)
    : fd_(fd)
    , spid_(spid)
    , peer_(std::move(peer))
    , context_(context)
    , socket_(fd)
    , reader_(socket_)
    , writer_(socket_, spid)
    , attention_(reader_) {}

void ClientConnection::log(const std::string& text) const {
    if (context_.log) context_.log("connection " + std::to_string(spid_) + ": " + text);
}

void ClientConnection::run() {
    try {
        if (!logIn()) return;
        serve();
        log("closed by the client");
    } catch (const Disconnected& e) {
        log(std::string("client gone: ") + e.what());
    } catch (const ProtocolError& e) {
        log(std::string("closed: ") + e.what());
    } catch (const std::exception& e) {
        log(std::string("closed after an internal error: ") + e.what());
    }
}

void ClientConnection::serve() {
    for (;;) {
        auto request = reader_.readMessage(context_.maxRequestBytes);
        if (!request) return;
        switch (static_cast<PacketType>(request->type)) {
        case PacketType::SqlBatch:
            sqlBatch(*request);
            break;
        case PacketType::Rpc:
            rpc(*request);
            break;
        case PacketType::Transaction:
            transaction(*request);
            break;
        case PacketType::Attention:
            attention();
            break;
        default:
            throw ProtocolError("the client sent a request of unknown type " + std::to_string(request->type));
        }
    }
}

void ClientConnection::attention() {
    Response response(writer_, protocol_, context_.serverName, attention_);
    response.begin();
    response.acknowledgeAttention();
    response.end();
}

void ClientConnection::refuseRequest(const std::string& why) {
    log("refused a request: " + why);
    Response response(writer_, protocol_, context_.serverName, attention_);
    response.begin();
    response.message(serverMessage(4002));
    response.tokens().done(token::kDone, done::kError, 0, 0);
    response.end();
}

void ClientConnection::resetSession(Response& response) {
    session_ = database_->connect(login_);
    prepared_ = PreparedStatements();
    response.tokens().envChangeBytes(EnvChange::ResetConnection, {}, {});
}

bool ClientConnection::useDatabase(const std::string& name, Response& response) {
    std::shared_ptr<Database> next;
    std::unique_ptr<Session> session;
    try {
        next = context_.databases.open(name);
        if (next) session = next->connect(login_);
    } catch (const SqlError& e) {
        log("cannot open the database '" + name + "': " + e.message());
    }
    if (!session) {
        response.message(serverMessage(911, {name}));
        return false;
    }
    const std::string old = database_->name();
    database_ = std::move(next);
    session_ = std::move(session);
    prepared_ = PreparedStatements();
    response.tokens().envChange(EnvChange::Database, database_->name(), old);
    response.message(serverMessage(5701, {database_->name()}));
    return true;
}

bool ClientConnection::serverStatement(const ServerStatement& statement, Response& response) {
    if (statement.kind == ServerStatement::Kind::Use) return useDatabase(statement.name, response);
    try {
        if (!context_.databases.create(statement.name)) {
            response.message(serverMessage(1801, {statement.name}));
            return false;
        }
        log("created the database '" + statement.name + "'");
        return true;
    } catch (const SqlError& e) {
        response.message(Message{e.number(), e.severity(), e.state(), 1, e.message(), {}});
        return false;
    }
}

void ClientConnection::sqlBatch(const ClientMessage& request) {
    std::string text;
    try {
        ByteReader r(request.data);
        skipAllHeaders(r, protocol_);
        if (r.remaining() % 2 != 0) throw ProtocolError("the batch text is not UTF-16");
        text = r.ucs2(r.remaining() / 2);
    } catch (const ProtocolError& e) {
        refuseRequest(e.what());
        return;
    }
    Response response(writer_, protocol_, context_.serverName, attention_);
    response.begin();
    try {
        if (request.resetConnection) resetSession(response);
        BatchSummary summary;
        const ServerStatement statement = leadingServerStatement(text);
        const bool goOn =
            statement.kind == ServerStatement::Kind::None || serverStatement(statement, response);
        const std::string& rest = statement.kind == ServerStatement::Kind::None ? text : statement.rest;
        if (goOn && !isBlankBatch(rest)) summary = runBatch(*session_, rest, response);
        response.finishBatch(summary);
    } catch (const Disconnected&) {
        throw;
    } catch (const ProtocolError&) {
        throw;
    } catch (const std::exception& e) {
        log(std::string("a batch failed inside the server: ") + e.what());
        response.message(internalError(e.what()));
        response.finishBatch({});
    }
    response.end();
}

void ClientConnection::rpc(const ClientMessage& request) {
    RpcMessage parsed;
    try {
        ByteReader r(request.data);
        skipAllHeaders(r, protocol_);
        parsed = parseRpcMessage(r);
    } catch (const ProtocolError& e) {
        refuseRequest(e.what());
        return;
    }
    Response response(writer_, protocol_, context_.serverName, attention_);
    response.begin();
    response.setScope(Response::Scope::Procedure);
    TokenWriter& tokens = response.tokens();
    try {
        if (request.resetConnection) resetSession(response);
        for (std::size_t i = 0; i < parsed.requests.size() && !attention_.seen(); ++i) {
            const bool last = i + 1 == parsed.requests.size() && !parsed.failure;
            RpcPlan plan = planRpc(parsed.requests[i], prepared_);
            response.clearErrors();
            if (plan.error) {
                response.message(*plan.error);
            } else {
                if (plan.captures) response.captureReturnValues();
                BatchSummary summary;
                if (!plan.batch.empty()) summary = runBatch(*session_, plan.batch, response);
                if (summary.cancelled) break;
                const auto& captured = response.captured();
                if (captured && !captured->empty())
                    tokens.returnStatus(static_cast<std::int32_t>(
                        captured->front().isNull() ? 0 : captured->front().asInt()));
                else if (!response.errors())
                    tokens.returnStatus(0);
                if (plan.handleSlot)
                    tokens.returnValue(plan.handleSlot->ordinal, plan.handleSlot->name, Type::integer(),
                                       Value::integer(plan.handle));
                if (captured)
                    for (std::size_t k = 0; k < plan.outputs.size() && k + 1 < captured->size(); ++k)
                        tokens.returnValue(plan.outputs[k].ordinal, plan.outputs[k].name,
                                           plan.outputs[k].type, (*captured)[k + 1]);
            }
            tokens.done(token::kDoneProc,
                        static_cast<std::uint16_t>((last ? done::kFinal : done::kMore) |
                                                   (response.errors() ? done::kError : 0)),
                        0, 0);
            response.flush();
        }
        if (parsed.failure && !attention_.seen()) {
            tokens.message(*parsed.failure);
            tokens.done(token::kDoneProc, done::kError, 0, 0);
        }
    } catch (const Disconnected&) {
        throw;
    } catch (const ProtocolError&) {
        throw;
    } catch (const std::exception& e) {
        log(std::string("an RPC failed inside the server: ") + e.what());
        tokens.message(internalError(e.what()));
        tokens.done(token::kDoneProc, done::kError, 0, 0);
    }
    if (attention_.seen()) response.acknowledgeAttention();
    response.end();
}

void ClientConnection::transaction(const ClientMessage& request) {
    std::string batch;
    std::uint16_t type = 0;
    bool beginAgain = false;
    try {
        ByteReader r(request.data);
        skipAllHeaders(r, protocol_);
        type = r.u16();
        switch (type) {
        case kBeginTransaction:
            r.u8(); // isolation level
            batch = "BEGIN TRANSACTION";
            break;
        case kCommitTransaction:
        case kRollbackTransaction:
            r.bVarChar();
            beginAgain = !r.atEnd() && (r.u8() & kBeginAgain);
            batch = type == kCommitTransaction ? "COMMIT TRANSACTION" : "ROLLBACK TRANSACTION";
            if (beginAgain) batch += "\nBEGIN TRANSACTION";
            break;
        case kSaveTransaction: {
            const std::string name = r.bVarChar();
            batch = "SAVE TRANSACTION " + bracketed(name);
            break;
        }
        default:
            throw ProtocolError("distributed transactions are not supported");
        }
    } catch (const ProtocolError& e) {
        refuseRequest(e.what());
        return;
    }
    Response response(writer_, protocol_, context_.serverName, attention_);
    response.begin();
    const BatchSummary summary = runBatch(*session_, batch, response);
    if (!response.errors() && !summary.cancelled) {
        TokenWriter& t = response.tokens();
        const Bytes current = descriptor(transactions_);
        if (type == kCommitTransaction || type == kRollbackTransaction)
            t.envChangeBytes(type == kCommitTransaction ? EnvChange::CommitTransaction
                                                        : EnvChange::RollbackTransaction,
                             {}, current);
        if (type == kBeginTransaction || beginAgain)
            t.envChangeBytes(EnvChange::BeginTransaction, descriptor(++transactions_), {});
    }
    response.finishBatch(summary);
    response.end();
}

} // namespace tsql::server
