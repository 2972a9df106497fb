// The SOAP reader on arbitrary responses to the Portal's operations. The first byte chooses the operation
// whose answer is expected; the rest is the document. Refusals (DecodeError, TypeError) and SOAP faults are
// the expected outcomes; anything else, a crash or unbounded memory is a finding.
#include "quelta/portal/operations.h"
#include "quelta/portal/registry.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const platform::soap::Codec codec = quelta::MakePortalCodec();
    const auto operations = quelta::PortalOperations();
    const quelta::OperationDef& operation = operations[data[0] % operations.size()];
    platform::soap::ExpectedResponse expected{std::string(operation.name), std::nullopt};
    if (!operation.result.empty()) expected.result = quelta::PortalRegistry().resolve(operation.result);
    const std::string_view xml(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        (void)codec.decodeResponse(xml, expected);
    } catch (const platform::soap::DecodeError&) {
    } catch (const platform::soap::Fault&) {
    }
    return 0;
}
