#pragma once
//! PRELOGIN: the client's options (version, encryption, instance, MARS) and the server's answer.

#include "wire.h"

#include <cstdint>
#include <string>

namespace tsql::server {

//! The encryption byte of PRELOGIN.
enum class Encryption : std::uint8_t {
    Off = 0,          //!< available, but only the login is encrypted
    On = 1,           //!< the whole connection is encrypted
    NotSupported = 2, //!< no encryption at all
    Required = 3,     //!< the sender insists on encryption
};

struct PreLoginRequest {
    Encryption encryption = Encryption::NotSupported;
    std::string instance;
    bool mars = false;
};

//! Parses the client's PRELOGIN payload; throws ProtocolError when it is malformed.
PreLoginRequest parsePreLogin(const Bytes& payload);

//! What the connection does after PRELOGIN.
enum class Security {
    Plain,     //!< no TLS
    LoginOnly, //!< TLS for the LOGIN7 packet, then plain
    Full,      //!< TLS for the whole connection
};

//! Our answer to the client's encryption wish when the server has (or lacks) a certificate, and what
//! follows from it. A client that insists on TLS the server lacks is told so and ends the connection.
struct EncryptionChoice {
    Encryption answer;
    Security security;
};
EncryptionChoice chooseEncryption(Encryption client, bool serverHasCertificate);

//! The server's PRELOGIN payload: version, encryption, instance (matched), thread id, MARS off.
Bytes buildPreLoginResponse(Encryption answer);

} // namespace tsql::server
