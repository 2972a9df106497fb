#include "connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace standins::portal {

namespace {

int portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

} // namespace

int findConnection(int remotePort, int localPort) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        int fd = -1;
        try {
            fd = std::stoi(entry.path().filename().string());
        } catch (const std::exception&) {
            continue;
        }
        sockaddr_storage peer{}, local{};
        socklen_t peerLength = sizeof peer, localLength = sizeof local;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLength) != 0) continue;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength) != 0) continue;
        if (portOf(peer) == remotePort && portOf(local) == localPort) return fd;
    }
    return -1;
}

void resetOnClose(int socket) {
    linger hard{1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
}

bool peerClosed(int socket, std::chrono::milliseconds wait) {
    pollfd probe{socket, POLLRDHUP, 0};
    if (::poll(&probe, 1, static_cast<int>(wait.count())) <= 0) return false;
    return (probe.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

} // namespace standins::portal
