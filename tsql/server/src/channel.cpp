#include "channel.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>

namespace tsql::server {

std::size_t SocketChannel::read(std::uint8_t* data, std::size_t n) {
    while (begin_ == end_) {
        const ssize_t got = ::recv(fd_, buffer_.data(), buffer_.size(), 0);
        if (got == 0) return 0;
        if (got > 0) {
            begin_ = 0;
            end_ = static_cast<std::size_t>(got);
            break;
        }
        if (errno != EINTR)
            throw Disconnected(std::string("cannot read from the client: ") + std::strerror(errno));
    }
    const std::size_t taken = std::min(n, end_ - begin_);
    std::memcpy(data, buffer_.data() + begin_, taken);
    begin_ += taken;
    return taken;
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
    if (begin_ < end_) return true;
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
        const int rc = ::poll(&p, 1, timeoutMs);
        if (rc >= 0) return rc > 0;
        if (errno != EINTR) return true; // let the read report the failure
    }
}

} // namespace tsql::server
