#pragma once
//! The operations of the Portal's service contract as one static table.

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace quelta {

//! One parameter of an operation: wire name and type name of the registry ("string", "BaseExtendedDto", ...).
struct OperationParamDef {
    std::string_view wire;
    std::string_view type;
};

//! One operation: name, parameters in order (unused trailing slots have no wire name), result type name
//! (empty: no result).
struct OperationDef {
    std::string_view name;
    std::array<OperationParamDef, 2> params;
    std::string_view result;

    std::span<const OperationParamDef> Params() const {
        std::size_t count = 0;
        while (count < params.size() && !params[count].wire.empty())
            ++count;
        return {params.data(), count};
    }
};

//! All operations in declaration order.
std::span<const OperationDef> PortalOperations();

//! The operation with this name, or nullptr.
const OperationDef* FindPortalOperation(std::string_view name);

} // namespace quelta
