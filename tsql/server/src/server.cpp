// The listener: accepts connections and serves each in a thread of its own.

#include "tsql/server/server.h"

#include "connection.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <list>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace tsql::server {

namespace {

//! How often the listener looks for finished connection threads while nobody connects.
constexpr int kReapIntervalMs = 1000;

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || !name[0]) return "localhost";
    return name;
}

std::string numericAddress(const sockaddr* address, socklen_t length, int* port) {
    char host[NI_MAXHOST] = {};
    char service[NI_MAXSERV] = {};
    if (::getnameinfo(address, length, host, sizeof host, service, sizeof service,
                      NI_NUMERICHOST | NI_NUMERICSERV) != 0)
        return "?";
    if (port) *port = std::atoi(service);
    const std::string h = host;
    return (h.find(':') != std::string::npos ? "[" + h + "]" : h) + ":" + service;
}

} // namespace

std::pair<std::string, int> parseListenAddress(const std::string& text) {
    std::string host;
    std::string port;
    if (!text.empty() && text.front() == '[') {
        const auto close = text.find("]:");
        if (close == std::string::npos)
            throw std::invalid_argument("expected [HOST]:PORT, got '" + text + "'");
        host = text.substr(1, close - 1);
        port = text.substr(close + 2);
    } else {
        const auto colon = text.rfind(':');
        if (colon == std::string::npos || text.find(':') != colon)
            throw std::invalid_argument("expected HOST:PORT, got '" + text + "'");
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
    }
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(port) > 65535)
        throw std::invalid_argument("the port in '" + text + "' is not a number from 0 to 65535");
    return {host, std::stoi(port)};
}

bool isWildcardAddress(const std::string& host) {
    return host.empty() || host == "*" || host == "0.0.0.0" || host == "::" || host == "0:0:0:0:0:0:0:0";
}

struct Server::Impl {
    struct Client {
        int fd = -1;
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    explicit Impl(ServerOptions o)
        : options(std::move(o)) {}

    void log(const std::string& text) const {
        if (options.log) options.log(text);
    }

    void listen();
    void acceptLoop();
    //! Joins the threads of connections that have ended and closes their sockets.
    void reap(bool all);

    ServerOptions options;
    Account account;
    std::unique_ptr<TlsContext> tls;
    std::unique_ptr<DatabaseDirectory> databases;
    std::unique_ptr<ConnectionContext> context;
    int listener = -1;
    int wake[2] = {-1, -1};
    std::string address;
    int port = 0;
    std::thread acceptor;
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::list<Client> clients;
    std::uint16_t nextSpid = 51;
};

void Server::Impl::listen() {
    std::string host = options.host == "*" ? "0.0.0.0" : options.host;
    if (host.empty()) host = "0.0.0.0";
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), std::to_string(options.port).c_str(), &hints, &found);
    if (rc != 0) throw std::runtime_error("cannot resolve '" + host + "': " + ::gai_strerror(rc));
    std::string failure = "no address";
    for (addrinfo* a = found; a && listener < 0; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        const int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 64) == 0) {
            listener = fd;
        } else {
            failure = std::strerror(errno);
            ::close(fd);
        }
    }
    ::freeaddrinfo(found);
    if (listener < 0)
        throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(options.port) + ": " +
                                 failure);
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&bound), &length);
    address = numericAddress(reinterpret_cast<sockaddr*>(&bound), length, &port);
}

void Server::Impl::reap(bool all) {
    std::list<Client> ended;
    {
        std::lock_guard lock(mutex);
        for (auto it = clients.begin(); it != clients.end();) {
            if (all || *it->finished) {
                auto next = std::next(it);
                ended.splice(ended.end(), clients, it);
                it = next;
            } else {
                ++it;
            }
        }
    }
    for (auto& c : ended) {
        c.thread.join();
        ::close(c.fd);
    }
}

void Server::Impl::acceptLoop() {
    while (!stopping) {
        pollfd p[2] = {{listener, POLLIN, 0}, {wake[0], POLLIN, 0}};
        const int ready = ::poll(p, 2, kReapIntervalMs);
        reap(false);
        if (ready <= 0 || !(p[0].revents & POLLIN) || stopping) continue;
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const std::string from = numericAddress(reinterpret_cast<sockaddr*>(&peer), length, nullptr);
        std::lock_guard lock(mutex);
        if (static_cast<int>(clients.size()) >= options.maxConnections) {
            log("refused a connection from " + from + ": " + std::to_string(options.maxConnections) +
                " connections are open");
            ::close(fd);
            continue;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        const std::uint16_t spid = nextSpid++;
        if (nextSpid == 0) nextSpid = 51;
        auto finished = std::make_shared<std::atomic<bool>>(false);
        Client client;
        client.fd = fd;
        client.finished = finished;
        client.thread = std::thread([this, fd, spid, from, finished] {
            // Named for top and perf: "tds 51" serves the connection of SPID 51.
            ::pthread_setname_np(::pthread_self(), ("tds " + std::to_string(spid)).c_str());
            ClientConnection(fd, spid, from, *context).run();
            // The client learns of the end at once; the descriptor is closed when the thread is joined.
            ::shutdown(fd, SHUT_RDWR);
            *finished = true;
        });
        clients.push_back(std::move(client));
    }
}

Server::Server(ServerOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {}

Server::~Server() {
    stop();
}

void Server::start() {
    Impl& s = *impl_;
    if (isWildcardAddress(s.options.host) && !s.options.allowRemote)
        throw std::runtime_error("listening on every interface ('" + s.options.host +
                                 "') lets other machines connect; give --allow-remote to do that");
    std::error_code ec;
    if (s.options.dataDir.empty() || !std::filesystem::is_directory(s.options.dataDir, ec))
        throw std::runtime_error("the data folder '" + s.options.dataDir + "' does not exist");
    if (s.options.tlsCertificate.empty() != s.options.tlsKey.empty())
        throw std::runtime_error("TLS needs both a certificate and a key");
    if (!s.options.tlsCertificate.empty())
        s.tls = std::make_unique<TlsContext>(s.options.tlsCertificate, s.options.tlsKey);
    const std::string serverName = s.options.serverName.empty() ? hostName() : s.options.serverName;
    s.account = Account{s.options.login, s.options.password};
    s.databases = std::make_unique<DatabaseDirectory>(s.options.dataDir, serverName);
    s.context = std::make_unique<ConnectionContext>(ConnectionContext{
        *s.databases, s.account, s.tls.get(), serverName, s.options.maxRequestBytes,
        s.options.loginTimeoutSeconds, [this](const std::string& text) { impl_->log(text); }});
    s.listen();
    if (::pipe2(s.wake, O_CLOEXEC) != 0) throw std::runtime_error("cannot create a pipe");
    s.acceptor = std::thread([&s] { s.acceptLoop(); });
    s.log("listening on " + s.address + ", databases in " + s.options.dataDir +
          (s.tls ? ", TLS available" : ", without TLS"));
}

std::string Server::address() const {
    return impl_->address;
}

int Server::port() const {
    return impl_->port;
}

void Server::stop() {
    Impl& s = *impl_;
    if (!s.acceptor.joinable()) return;
    s.stopping = true;
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(s.wake[1], &byte, 1);
    s.acceptor.join();
    {
        std::lock_guard lock(s.mutex);
        for (auto& c : s.clients)
            ::shutdown(c.fd, SHUT_RDWR);
    }
    s.reap(true);
    ::close(s.listener);
    ::close(s.wake[0]);
    ::close(s.wake[1]);
    s.listener = -1;
    s.log("stopped");
}

} // namespace tsql::server
