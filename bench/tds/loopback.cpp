#include "loopback.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace bench {

namespace {

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

//! A socket descriptor closed when it goes out of scope.
class Socket {
public:
    explicit Socket(int fd)
        : fd_(fd) {
        if (fd_ < 0) throw std::runtime_error(std::string("loopback socket: ") + std::strerror(errno));
    }
    ~Socket() { ::close(fd_); }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }
    void noDelay() const {
        const int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }

private:
    int fd_;
};

//! Reads exactly `n` bytes; false when the peer closed the connection first.
bool readAll(int fd, char* data, int n) {
    for (int got = 0; got < n;) {
        const ssize_t r = ::recv(fd, data + got, static_cast<std::size_t>(n - got), 0);
        if (r <= 0) return false;
        got += static_cast<int>(r);
    }
    return true;
}

void sendAll(int fd, const char* data, int n) {
    if (::send(fd, data, static_cast<std::size_t>(n), MSG_NOSIGNAL) != n)
        throw std::runtime_error("loopback send failed");
}

} // namespace

LoopbackCost measureLoopback(int count, int requestBytes, int replyBytes) {
    Socket listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener.fd(), 1) != 0 ||
        ::getsockname(listener.fd(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error(std::string("loopback listener: ") + std::strerror(errno));

    double serverCpu = 0;
    std::thread server([&] {
        const int fd = ::accept(listener.fd(), nullptr, nullptr);
        if (fd < 0) return;
        Socket s(fd);
        s.noDelay();
        std::vector<char> buffer(static_cast<std::size_t>(std::max(requestBytes, replyBytes)));
        const double start = threadCpuSeconds();
        try {
            while (readAll(s.fd(), buffer.data(), requestBytes))
                sendAll(s.fd(), buffer.data(), replyBytes);
        } catch (const std::exception&) {
            // The client sees the failure.
        }
        serverCpu = threadCpuSeconds() - start;
    });

    LoopbackCost cost;
    {
        Socket client(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (::connect(client.fd(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::shutdown(listener.fd(), SHUT_RDWR);
            server.join();
            throw std::runtime_error(std::string("loopback connect: ") + std::strerror(errno));
        }
        client.noDelay();
        std::vector<char> buffer(static_cast<std::size_t>(std::max(requestBytes, replyBytes)));
        const auto wall = std::chrono::steady_clock::now();
        const double cpu = threadCpuSeconds();
        for (int k = 0; k < count; ++k) {
            sendAll(client.fd(), buffer.data(), requestBytes);
            if (!readAll(client.fd(), buffer.data(), replyBytes)) throw std::runtime_error("loopback closed");
        }
        cost.clientMicroseconds = (threadCpuSeconds() - cpu) / count * 1e6;
        cost.wallMicroseconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count() / count * 1e6;
        ::shutdown(client.fd(), SHUT_WR);
    }
    server.join();
    cost.serverMicroseconds = serverCpu / count * 1e6;
    return cost;
}

} // namespace bench
