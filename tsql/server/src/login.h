#pragma once
//! LOGIN7: the client's login record, and the check of a SQL login against the server's one account.

#include "wire.h"

#include <cstdint>
#include <string>

namespace tsql::server {

struct LoginRequest {
    std::uint32_t tdsVersion = 0;
    std::uint32_t packetSize = 0;
    std::uint32_t clientPid = 0;
    bool integratedSecurity = false; //!< the client asked for a Windows (SSPI) login
    bool changePassword = false;     //!< the client asked to change its password
    std::string hostName;
    std::string userName;
    std::string password; //!< cleared by the session once checked
    std::string appName;
    std::string serverName;
    std::string library;
    std::string language;
    std::string database;
};

//! Parses a LOGIN7 message; throws ProtocolError when it is malformed.
LoginRequest parseLogin7(const Bytes& data);

//! Overwrites a secret's characters before it is released.
void wipe(std::string& secret);

//! The one SQL login the server accepts.
struct Account {
    std::string login;
    std::string password;
    //! Login names compare case-insensitively, passwords exactly (in time that does not depend on where
    //! they differ).
    bool accepts(const std::string& login, const std::string& password) const;
};

} // namespace tsql::server
