#include "tls.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <stdexcept>

namespace tsql::server {

namespace {

std::string openSslError() {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (code == 0) return "unknown TLS error";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

} // namespace

TlsContext::TlsContext(const std::string& certificateFile, const std::string& keyFile) {
    ctx_ = SSL_CTX_new(TLS_server_method());
    if (!ctx_) throw std::runtime_error("cannot create a TLS context: " + openSslError());
    // TLS 1.2, as SQL Server speaks it inside TDS 7: in TLS 1.3 the client has the last word of the
    // handshake, and clients that send their handshake inside packets only send that word along with
    // the next packet, which then carries the login as well.
    SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(ctx_, TLS1_2_VERSION);
    // No session tickets: they would arrive outside the PRELOGIN packets the client still expects.
    SSL_CTX_set_options(ctx_, SSL_OP_NO_TICKET);
    if (SSL_CTX_use_certificate_chain_file(ctx_, certificateFile.c_str()) != 1) {
        const std::string why = openSslError();
        SSL_CTX_free(ctx_);
        throw std::runtime_error("cannot use the certificate file '" + certificateFile + "': " + why);
    }
    if (SSL_CTX_use_PrivateKey_file(ctx_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(ctx_) != 1) {
        const std::string why = openSslError();
        SSL_CTX_free(ctx_);
        throw std::runtime_error("cannot use the key file '" + keyFile + "': " + why);
    }
}

TlsContext::~TlsContext() {
    SSL_CTX_free(ctx_);
}

TlsChannel::TlsChannel(const TlsContext& context, Channel& raw)
    : raw_(raw) {
    ssl_ = SSL_new(context.get());
    in_ = BIO_new(BIO_s_mem());
    out_ = BIO_new(BIO_s_mem());
    if (!ssl_ || !in_ || !out_) {
        SSL_free(ssl_);
        BIO_free(in_);
        BIO_free(out_);
        throw std::runtime_error("cannot start TLS: " + openSslError());
    }
    SSL_set_bio(ssl_, in_, out_);
    SSL_set_accept_state(ssl_);
}

TlsChannel::~TlsChannel() {
    SSL_free(ssl_);
}

std::string TlsChannel::lastError() const {
    return openSslError();
}

void TlsChannel::handshake(PacketReader& reader, std::uint16_t spid) {
    PacketWriter writer(raw_, spid);
    Bytes payload;
    for (;;) {
        const int rc = SSL_do_handshake(ssl_);
        if (BIO_ctrl_pending(out_) > 0) {
            writer.begin(PacketType::PreLogin);
            Bytes& buffer = writer.buffer();
            std::uint8_t chunk[4096];
            int n = 0;
            while ((n = BIO_read(out_, chunk, sizeof chunk)) > 0)
                buffer.insert(buffer.end(), chunk, chunk + n);
            writer.end();
        }
        if (rc == 1) return;
        const int error = SSL_get_error(ssl_, rc);
        if (error != SSL_ERROR_WANT_READ) throw ProtocolError("the TLS handshake failed: " + lastError());
        const auto header = reader.readPacket(payload);
        if (!header) throw Disconnected("the client closed the connection during the TLS handshake");
        if (header->type != static_cast<std::uint8_t>(PacketType::PreLogin))
            throw ProtocolError("the client sent another request during the TLS handshake");
        if (!payload.empty() && BIO_write(in_, payload.data(), static_cast<int>(payload.size())) <= 0)
            throw ProtocolError("the TLS handshake failed: " + lastError());
    }
}

void TlsChannel::drainOutput() {
    std::uint8_t chunk[16384];
    int n = 0;
    while ((n = BIO_read(out_, chunk, sizeof chunk)) > 0)
        raw_.write(chunk, static_cast<std::size_t>(n));
}

bool TlsChannel::fillInput() {
    std::uint8_t chunk[16384];
    const std::size_t n = raw_.read(chunk, sizeof chunk);
    if (n == 0) return false;
    if (BIO_write(in_, chunk, static_cast<int>(n)) <= 0) throw Disconnected("TLS failed: " + lastError());
    return true;
}

std::size_t TlsChannel::read(std::uint8_t* data, std::size_t n) {
    for (;;) {
        const int rc = SSL_read(ssl_, data, static_cast<int>(std::min<std::size_t>(n, 1 << 30)));
        if (rc > 0) return static_cast<std::size_t>(rc);
        const int error = SSL_get_error(ssl_, rc);
        drainOutput();
        if (error == SSL_ERROR_ZERO_RETURN) return 0;
        if (error != SSL_ERROR_WANT_READ) throw Disconnected("TLS failed: " + lastError());
        if (!fillInput()) return 0;
    }
}

void TlsChannel::write(const std::uint8_t* data, std::size_t n) {
    while (n > 0) {
        const int rc = SSL_write(ssl_, data, static_cast<int>(std::min<std::size_t>(n, 1 << 30)));
        if (rc <= 0) {
            const int error = SSL_get_error(ssl_, rc);
            drainOutput();
            if (error == SSL_ERROR_WANT_READ) {
                if (!fillInput()) throw Disconnected("the client closed the connection");
                continue;
            }
            throw Disconnected("TLS failed: " + lastError());
        }
        data += rc;
        n -= static_cast<std::size_t>(rc);
    }
    drainOutput();
}

bool TlsChannel::readable(int timeoutMs) {
    if (SSL_pending(ssl_) > 0 || BIO_ctrl_pending(in_) > 0) return true;
    return raw_.readable(timeoutMs);
}

} // namespace tsql::server
