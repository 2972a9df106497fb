#pragma once
//! What Quelta's start-up hands to the Portal client: the settings row and the factory seam.

#include <functional>
#include <memory>
#include <string>

namespace quelta {

//! The Portal settings of the first TabQUELTAHGlob row.
struct PortalSettings {
    std::string url;           //!< endpoint address (http or https)
    int certStoreLocation = 0; //!< 1 = machine stores, 2 = user stores, other = no client certificate
    int certStoreName = 0;     //!< 0 "My", 1 "CA", 2 "ROOT", 3 "TRUST", 4 "AddressBook", 5 "*"
    std::string certByName;    //!< issuer common name the certificate must have
    std::string certSN;        //!< serial number, upper-case hexadecimal
};

class RpcKvaEndpoint;

//! Creates the service reference from the settings; called once at start-up.
using EndpointFactory = std::function<std::shared_ptr<RpcKvaEndpoint>(const PortalSettings&)>;

} // namespace quelta
