#include "quelta/portal/client_options.h"

#include <charconv>

namespace quelta {

namespace {

long Seconds(const IniLookup& lookup, std::string_view key, long fallback) {
    const std::optional<std::string> text = lookup(key);
    if (!text || text->find_first_not_of(" \t") == std::string::npos) return fallback;
    const std::size_t first = text->find_first_not_of(" \t");
    const std::size_t last = text->find_last_not_of(" \t");
    const char* begin = text->data() + first;
    const char* end = text->data() + last + 1;
    long value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || value < 1 || value > 86400)
        throw EPortalConfiguration("Quelta.INI: the value \"" + *text + "\" of key " + std::string(key) +
                                   " is not a number of seconds from 1 to 86400");
    return value;
}

void Uri(const IniLookup& lookup, std::string_view key, std::string& target) {
    if (std::optional<std::string> text = lookup(key); text && !text->empty()) target = std::move(*text);
}

} // namespace

PortalClientOptions PortalClientOptionsFromIni(const IniLookup& lookup) {
    PortalClientOptions options;
    options.connectTimeoutSeconds = Seconds(lookup, "connecttimeout", options.connectTimeoutSeconds);
    options.timeoutSeconds = Seconds(lookup, "timeout", options.timeoutSeconds);
    Uri(lookup, "servicenamespace", options.namespaces.service);
    Uri(lookup, "datanamespace", options.namespaces.data);
    Uri(lookup, "preprocessnamespace", options.namespaces.preprocessBase);
    Uri(lookup, "domainnamespace", options.namespaces.domain);
    return options;
}

EndpointFactory MakePortalEndpointFactory(PortalClientOptions options) {
    return [options = std::move(options)](const PortalSettings& settings) {
        return CreateRpcKvaEndpoint(settings, options);
    };
}

} // namespace quelta
