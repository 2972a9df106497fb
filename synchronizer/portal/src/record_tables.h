#pragma once
//! The static definition tables of the Portal's contract.

#include "quelta/portal/registry.h"

#include <span>

namespace quelta {

std::span<const soap::RecordDef> PortalRecordDefs();
std::span<const soap::MemberDef> PortalMemberDefs();
std::span<const soap::ArrayDef> PortalArrayDefs();

} // namespace quelta
