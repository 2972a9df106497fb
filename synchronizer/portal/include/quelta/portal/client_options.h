#pragma once
//! The Portal client's settings from Quelta.INI and the endpoint factory Quelta's start-up calls.

#include "quelta/portal/endpoint.h"
#include "quelta/portal_settings.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quelta {

//! Quelta.INI keys of section "settings" read by the Portal client.
struct PortalIniKey {
    std::string_view key;
    std::string_view meaning;
};

//! Every key the Portal client reads, for documentation and checks.
inline constexpr PortalIniKey kPortalIniKeys[] = {
    {"connecttimeout", "seconds allowed for connecting to the Portal (default 30)"},
    {"timeout", "seconds a call to the Portal may take in all before it fails (default 120)"},
    {"servicenamespace", "namespace URI of the Portal's operations and arrays"},
    {"datanamespace", "namespace URI of the Portal's records"},
    {"preprocessnamespace", "namespace URI of the Portal's preprocess base record"},
    {"domainnamespace", "namespace URI of the Portal's domain entities"},
};

//! Reads one key of section "settings"; none when the key is absent.
using IniLookup = std::function<std::optional<std::string>(std::string_view key)>;

//! Client options from the INI keys above; absent or empty keys keep their defaults. Throws
//! EPortalConfiguration naming the key for a time-out that is not a whole number of seconds from 1 to 86400.
PortalClientOptions PortalClientOptionsFromIni(const IniLookup& lookup);

//! The factory Quelta's start-up calls with the settings row: it creates the SOAP client with these options.
EndpointFactory MakePortalEndpointFactory(PortalClientOptions options);

} // namespace quelta
