// Connecting through the SQL Server driver FreeTDS to servers on loopback that refuse or never answer.

#include "common/testing/loopback.h"
#include "platform/db/connection.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace platform::db {
namespace {

//! A TCP server on loopback that accepts connections and never says a word.
class SilentServer {
public:
    SilentServer() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            listen(listener_, 8) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("cannot listen on loopback");
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            while (!stop_) {
                pollfd p{listener_, POLLIN, 0};
                if (poll(&p, 1, 50) > 0) {
                    const int client = accept(listener_, nullptr, nullptr);
                    if (client >= 0) clients_.push_back(client);
                }
            }
        });
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    ~SilentServer() {
        stop_ = true;
        thread_.join();
        for (int c : clients_)
            close(c);
        close(listener_);
    }
    int port() const { return port_; }

private:
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::vector<int> clients_;
    std::thread thread_;
};

ConnectionDescription freetds(int port, int loginTimeoutSeconds) {
    ConnectionDescription d;
    d.driver = "FreeTDS";
    d.server = "127.0.0.1";
    d.database = "Tarvik";
    d.login = "sa";
    d.password = "heslo";
    d.extra = "Port=" + std::to_string(port) + ";";
    d.loginTimeoutSeconds = loginTimeoutSeconds;
    return d;
}

std::string connectionFailure(const ConnectionDescription& d) {
    try {
        connect(d);
    } catch (const ConnectionError& e) {
        return e.what();
    }
    return "connected";
}

TEST(FreeTdsOdbc, RefusedConnectionCarriesTheDriversReason) {
    // A refused connection fails at once; the generous timeout only keeps a loaded machine from
    // giving up on the driver before it has said why.
    const std::string text = connectionFailure(freetds(common::testing::ClosedLoopbackPort(), 30));
    EXPECT_EQ(text.rfind("Cannot connect to the database 'Tarvik' on server '127.0.0.1': [FreeTDS]", 0), 0u)
        << text;
}

TEST(FreeTdsOdbc, ServerThatNeverAnswersEndsInTime) {
    SilentServer server;
    const std::string text = connectionFailure(freetds(server.port(), 1));
    EXPECT_EQ(text.rfind("Cannot connect to the database 'Tarvik' on server '127.0.0.1': ", 0), 0u) << text;
}

} // namespace
} // namespace platform::db
