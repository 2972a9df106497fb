#pragma once
//! The byte stream to one client: a TCP socket, or TLS over it once encryption is negotiated.

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace tsql::server {

//! The client went away or the socket failed; the connection ends without another word.
class Disconnected : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Channel {
public:
    virtual ~Channel() = default;
    //! Reads up to `n` bytes, waiting for at least one; 0 when the client closed the connection.
    virtual std::size_t read(std::uint8_t* data, std::size_t n) = 0;
    //! Writes all `n` bytes; throws Disconnected when the client is gone.
    virtual void write(const std::uint8_t* data, std::size_t n) = 0;
    //! True when a read would not wait, after waiting at most `timeoutMs` (0: just look).
    virtual bool readable(int timeoutMs) = 0;
};

//! A connected TCP socket; the descriptor stays owned by the caller.
class SocketChannel final : public Channel {
public:
    explicit SocketChannel(int fd)
        : fd_(fd) {}
    std::size_t read(std::uint8_t* data, std::size_t n) override;
    void write(const std::uint8_t* data, std::size_t n) override;
    bool readable(int timeoutMs) override;
    int fd() const { return fd_; }

private:
    int fd_;
};

} // namespace tsql::server
