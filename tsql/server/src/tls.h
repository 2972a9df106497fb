#pragma once
//! TLS for a connection. The handshake travels inside PRELOGIN packets, so OpenSSL works on memory
//! buffers that this code fills from packets and empties into packets; once the handshake is done the
//! TLS records go straight over the socket, carrying the packets.

#include "channel.h"
#include "packet.h"

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
typedef struct bio_st BIO;

namespace tsql::server {

//! The server's certificate and key, loaded once and shared by the connections.
class TlsContext {
public:
    //! Loads PEM files; throws std::runtime_error naming the file that cannot be used.
    TlsContext(const std::string& certificateFile, const std::string& keyFile);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;
    SSL_CTX* get() const { return ctx_; }

private:
    SSL_CTX* ctx_ = nullptr;
};

//! One connection's TLS: handshake through PRELOGIN packets, then a Channel that encrypts.
class TlsChannel final : public Channel {
public:
    TlsChannel(const TlsContext& context, Channel& raw);
    ~TlsChannel() override;
    TlsChannel(const TlsChannel&) = delete;
    TlsChannel& operator=(const TlsChannel&) = delete;

    //! Runs the handshake: the client's records come in PRELOGIN packets read with `reader` (on the raw
    //! channel), ours go out in PRELOGIN packets. Throws ProtocolError when it fails.
    void handshake(PacketReader& reader, std::uint16_t spid);

    std::size_t read(std::uint8_t* data, std::size_t n) override;
    void write(const std::uint8_t* data, std::size_t n) override;
    bool readable(int timeoutMs) override;

private:
    //! Sends what OpenSSL has written to its output buffer over the raw channel.
    void drainOutput();
    //! Moves bytes from the raw channel into OpenSSL's input buffer; false at the end of the stream.
    bool fillInput();
    std::string lastError() const;

    Channel& raw_;
    SSL* ssl_ = nullptr;
    BIO* in_ = nullptr;  //!< records from the client (owned by ssl_)
    BIO* out_ = nullptr; //!< records to the client (owned by ssl_)
};

} // namespace tsql::server
