#pragma once
//! The Portal's record and array types as one registry, and the codec configured for the Portal.

#include "platform/soap/codec.h"
#include "platform/soap/types.h"
#include "platform/soap/value.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelta {

//! The generic codec and value types, as the Portal code names them.
namespace soap = ::platform::soap;

//! Namespace roles of the Portal's contract (indexes into PortalNamespaces::Uris()).
enum NamespaceRole : std::uint8_t {
    kServiceNs = 0,        //!< operations and all array types
    kDataNs = 1,           //!< all records except two
    kPreprocessBaseNs = 2, //!< only AbstractPreprocessDto
    kDomainNs = 3,         //!< only the entity JobTitle
};

//! The four namespace URIs; configured, with defaults of our own.
struct PortalNamespaces {
    std::string service = "urn:quelta-portal:service";
    std::string data = "urn:quelta-portal:data";
    std::string preprocessBase = "urn:quelta-portal:preprocess";
    std::string domain = "urn:quelta-portal:domain";

    std::vector<std::string> Uris() const { return {service, data, preprocessBase, domain}; }
};

//! Every record and array type of the Portal's contract.
const soap::TypeRegistry& PortalRegistry();

//! A codec for the Portal's contract with the given namespace URIs.
soap::Codec MakePortalCodec(const PortalNamespaces& ns = {});

//! An empty record of a registered type by its code name ("EmployeeDto", "Record_"); throws
//! std::invalid_argument for an unknown name.
soap::Record NewRecord(std::string_view typeName);

//! An empty array of a registered array type ("ArrayOf_tns1_BaseExtendedDto").
soap::Array NewArray(std::string_view arrayTypeName);

} // namespace quelta
