#pragma once
//! One client connection, served by its own thread: PRELOGIN, TLS, LOGIN7, then requests until the client
//! leaves. Each connection has one engine session.

#include "channel.h"
#include "databases.h"
#include "login.h"
#include "packet.h"
#include "prelogin.h"
#include "response.h"
#include "rpc.h"
#include "tls.h"
#include "version.h"

#include <functional>
#include <memory>
#include <string>

namespace tsql::server {

//! What every connection shares.
struct ConnectionContext {
    DatabaseDirectory& databases;
    const Account& account;
    const TlsContext* tls = nullptr; //!< null: no certificate, no encryption
    std::string serverName;
    std::size_t maxRequestBytes = 0;
    int loginTimeoutSeconds = 30;
    std::function<void(const std::string&)> log;
};

class ClientConnection {
public:
    ClientConnection(int fd, std::uint16_t spid, std::string peer, const ConnectionContext& context);
    //! Serves the client until it leaves or breaks the protocol; never throws.
    void run();

private:
    // Login (login_phase.cpp).
    bool logIn();
    Security preLogin(const ClientMessage& preLogin);
    bool refuseLogin(Response& response, const std::vector<Message>& errors, const std::string& why);
    void sendLoginAck(Response& response, std::uint32_t packetSize);

    // Requests (connection.cpp).
    void serve();
    void sqlBatch(const ClientMessage& request);
    void rpc(const ClientMessage& request);
    void transaction(const ClientMessage& request);
    void attention();
    //! A reply holding only an error: the request could not be read.
    void refuseRequest(const std::string& why);
    //! Runs the server's own statement (USE, CREATE DATABASE); false when the batch is to stop.
    bool serverStatement(const struct ServerStatement& statement, Response& response);
    bool useDatabase(const std::string& name, Response& response);
    void resetSession(Response& response);
    void log(const std::string& text) const;

    int fd_;
    std::uint16_t spid_;
    std::string peer_;
    const ConnectionContext& context_;
    SocketChannel socket_;
    std::unique_ptr<TlsChannel> tls_;
    PacketReader reader_;
    PacketWriter writer_;
    AttentionWatch attention_;
    Protocol protocol_;
    std::string login_;
    std::shared_ptr<Database> database_;
    std::unique_ptr<Session> session_;
    PreparedStatements prepared_;
    std::uint64_t transactions_ = 0; //!< descriptors handed out for transaction requests
};

} // namespace tsql::server
