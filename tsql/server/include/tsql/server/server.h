#pragma once
//! tsql-server: the embedded engine behind SQL Server's wire protocol (TDS 7.1 to 7.4), so that SQL Server
//! clients (ODBC drivers, command-line tools, client libraries) work with the databases of a data folder.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace tsql::server {

struct ServerOptions {
    std::string host = "127.0.0.1"; //!< the address to listen on
    int port = 0;                   //!< 0 picks a free port
    std::string dataDir;            //!< `<dataDir>/<database>.db` are the databases
    std::string login = "sa";       //!< the one SQL login accepted
    std::string password;
    std::string tlsCertificate; //!< PEM files; both given: TLS as clients ask for it
    std::string tlsKey;
    bool allowRemote = false; //!< a wildcard address is refused without it
    //! The name in messages and @@SERVERNAME; empty: the machine's host name.
    std::string serverName;
    //! The largest request (a batch or an RPC with its parameters) a client may send.
    std::size_t maxRequestBytes = 64u << 20;
    int maxConnections = 256;
    //! How long a new connection may take to log in.
    int loginTimeoutSeconds = 30;
    //! Where the server says what happens (connections, failed logins, refused requests); passwords never
    //! appear in it.
    std::function<void(const std::string&)> log;
};

class Server {
public:
    explicit Server(ServerOptions options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    //! Starts listening and serving in threads of its own. Throws std::runtime_error when the options
    //! are unusable (a wildcard address without allowRemote, a missing data folder, an unreadable
    //! certificate) or the address cannot be bound.
    void start();
    //! "HOST:PORT" as it listens (IPv6 hosts in brackets).
    std::string address() const;
    int port() const;
    //! Stops accepting, closes every connection and waits for their threads. Uncommitted work of open
    //! connections is rolled back, as when their clients go away.
    void stop();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

//! Splits "HOST:PORT" ("[::1]:1433" for IPv6); throws std::invalid_argument for anything else.
std::pair<std::string, int> parseListenAddress(const std::string& text);

//! True for an address that listens on every interface ("0.0.0.0", "::", "*", "").
bool isWildcardAddress(const std::string& host);

} // namespace tsql::server
