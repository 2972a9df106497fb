// The Portal stand-in's admin JSON on arbitrary text: parsed with the nesting limit, then read as records,
// fault rules and a whole state, as the admin endpoints do. Every refusal is an exception the endpoint turns
// into HTTP 400; a crash or unbounded memory is a finding. Records that are read survive a JSON round trip.
#include "faults.h"
#include "store.h"

#include "standins/portal/record_json.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace standins::portal;
    nlohmann::ordered_json json;
    try {
        json = parseJson(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const std::invalid_argument&) {
        return 0;
    }
    for (const auto& item : json.is_array() ? json : nlohmann::ordered_json::array({json})) {
        try {
            const soap::Record record = recordFromJson(item);
            if (recordFromJson(toJson(soap::Value(record))) != record) std::abort();
        } catch (const std::exception&) {
        }
        try {
            (void)toJson(faultRuleFromJson(item));
        } catch (const std::exception&) {
        }
    }
    try {
        PortalStore store;
        store.load(json);
        (void)store.save().dump();
    } catch (const std::exception&) {
    }
    return 0;
}
