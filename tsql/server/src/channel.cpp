#include "channel.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>

namespace tsql::server {

std::size_t SocketChannel::read(std::uint8_t* data, std::size_t n) {
    for (;;) {
        const ssize_t got = ::recv(fd_, data, n, 0);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno == EINTR) continue;
        throw Disconnected(std::string("cannot read from the client: ") + std::strerror(errno));
    }
}

void SocketChannel::write(const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
        const ssize_t sent = ::send(fd_, data, n, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR) continue;
            throw Disconnected(std::string("cannot write to the client: ") + std::strerror(errno));
        }
        data += sent;
        n -= static_cast<std::size_t>(sent);
    }
}

bool SocketChannel::readable(int timeoutMs) {
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
        const int rc = ::poll(&p, 1, timeoutMs);
        if (rc >= 0) return rc > 0;
        if (errno != EINTR) return true; // let the read report the failure
    }
}

} // namespace tsql::server
