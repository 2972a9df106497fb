#include "version.h"

namespace tsql::server {

std::uint32_t negotiateVersion(std::uint32_t requested) {
    if (requested >= kTds74) return kTds74;
    if (requested >= kTds73B) return kTds73B;
    if (requested >= kTds73A) return kTds73A;
    if (requested >= kTds72) return kTds72;
    if (requested >= kTds71) return kTds71;
    return 0;
}

} // namespace tsql::server
