#include "quelta/portal/registry.h"

#include "record_tables.h"

namespace quelta {

const soap::TypeRegistry& PortalRegistry() {
    static const soap::TypeRegistry registry(PortalRecordDefs(), PortalMemberDefs(), PortalArrayDefs());
    return registry;
}

soap::Codec MakePortalCodec(const PortalNamespaces& ns) {
    return soap::Codec(PortalRegistry(), ns.Uris(), kServiceNs);
}

soap::Record NewRecord(std::string_view typeName) {
    return soap::Record(PortalRegistry().record(typeName));
}

soap::Array NewArray(std::string_view arrayTypeName) {
    return soap::Array(PortalRegistry().array(arrayTypeName));
}

} // namespace quelta
