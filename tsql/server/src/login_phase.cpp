// PRELOGIN, encryption and LOGIN7 of a connection.

#include "connection.h"
#include "messages.h"
#include "prelogin.h"
#include "version.h"

#include "collation.h"

#include <algorithm>
#include <sys/socket.h>
#include <sys/time.h>

namespace tsql::server {

namespace {

constexpr std::size_t kMaxPreLoginBytes = 64 * 1024;
constexpr std::size_t kMaxLoginBytes = 128 * 1024;
constexpr const char* kLanguage = "us_english";
constexpr const char* kDefaultDatabase = "master";

void setReceiveTimeout(int fd, int seconds) {
    timeval tv{};
    tv.tv_sec = seconds;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

//! The packet size the client asked for, within what the protocol allows.
std::uint32_t packetSizeFor(std::uint32_t requested) {
    if (requested == 0) return kDefaultPacketSize;
    return std::clamp<std::uint32_t>(requested, kMinPacketSize, kMaxPacketSize);
}

} // namespace

Security ClientConnection::preLogin(const ClientMessage& message) {
    const PreLoginRequest request = parsePreLogin(message.data);
    const EncryptionChoice choice = chooseEncryption(request.encryption, context_.tls != nullptr);
    writer_.begin(PacketType::Reply);
    const Bytes answer = buildPreLoginResponse(choice.answer);
    writer_.buffer().insert(writer_.buffer().end(), answer.begin(), answer.end());
    writer_.end();
    if (choice.security != Security::Plain) {
        tls_ = std::make_unique<TlsChannel>(*context_.tls, socket_);
        tls_->handshake(reader_, spid_);
        reader_.setChannel(*tls_);
        writer_.setChannel(*tls_);
    }
    return choice.security;
}

bool ClientConnection::refuseLogin(Response& response, const std::vector<Message>& errors,
                                   const std::string& why) {
    for (const auto& e : errors)
        response.tokens().message(e);
    response.tokens().done(token::kDone, done::kError, 0, 0);
    response.end();
    log(why);
    return false;
}

void ClientConnection::sendLoginAck(Response& response, std::uint32_t packetSize) {
    TokenWriter& t = response.tokens();
    t.envChange(EnvChange::Database, database_->name(), kDefaultDatabase);
    t.message(serverMessage(5701, {database_->name()}));
    t.envChangeBytes(EnvChange::Collation, Bytes(kDatabaseCollation.begin(), kDatabaseCollation.end()), {});
    t.envChange(EnvChange::Language, kLanguage, "");
    t.message(serverMessage(5703, {kLanguage}));
    t.loginAck(protocol_.version);
    t.envChange(EnvChange::PacketSize, std::to_string(packetSize), std::to_string(kDefaultPacketSize));
    t.done(token::kDone, done::kFinal, 0, 0);
    response.end();
}

bool ClientConnection::logIn() {
    setReceiveTimeout(fd_, context_.loginTimeoutSeconds);
    auto message = reader_.readMessage(kMaxPreLoginBytes);
    if (!message) return false;
    Security security = Security::Plain;
    if (message->type == static_cast<std::uint8_t>(PacketType::PreLogin)) {
        security = preLogin(*message);
        message = reader_.readMessage(kMaxLoginBytes);
        if (!message) return false;
    }
    if (message->type != static_cast<std::uint8_t>(PacketType::Login7))
        throw ProtocolError("the client did not start with a login");
    if (security == Security::LoginOnly) {
        // Only the login travels encrypted; the rest of the connection is plain again.
        reader_.setChannel(socket_);
        writer_.setChannel(socket_);
    }
    LoginRequest login = parseLogin7(message->data);
    std::fill(message->data.begin(), message->data.end(), std::uint8_t{0});
    const std::uint32_t version = negotiateVersion(login.tdsVersion);
    if (version == 0) {
        wipe(login.password);
        log("refused a client speaking an unsupported protocol version");
        return false;
    }
    protocol_.version = version;
    login_ = login.userName;

    Response response(writer_, protocol_, context_.serverName, attention_);
    response.begin();
    if (login.integratedSecurity) {
        wipe(login.password);
        return refuseLogin(response, {serverMessage(18452)}, "refused a Windows (integrated) login");
    }
    const bool accepted = context_.account.accepts(login.userName, login.password);
    wipe(login.password);
    if (!accepted)
        return refuseLogin(response, {serverMessage(18456, {login.userName})},
                           "login failed for user '" + login.userName + "'");

    const std::string name = login.database.empty() ? kDefaultDatabase : login.database;
    try {
        database_ = context_.databases.open(name);
        if (database_) session_ = database_->connect(login.userName);
    } catch (const SqlError& e) {
        log("cannot open the database '" + name + "': " + e.message());
        database_.reset();
    }
    if (!session_)
        return refuseLogin(response, {serverMessage(4060, {name}), serverMessage(18456, {login.userName})},
                           "login of '" + login.userName + "' to the unknown database '" + name +
                               "' refused");

    const std::uint32_t packetSize = packetSizeFor(login.packetSize);
    sendLoginAck(response, packetSize);
    writer_.setPacketSize(packetSize);
    setReceiveTimeout(fd_, 0);
    static constexpr const char* kSecurity[] = {"", ", TLS for the login", ", TLS"};
    log("'" + login.userName + "' logged in to '" + database_->name() + "' from " + peer_ +
        (login.appName.empty() ? "" : " (" + login.appName + ")") + kSecurity[static_cast<int>(security)]);
    return true;
}

} // namespace tsql::server
