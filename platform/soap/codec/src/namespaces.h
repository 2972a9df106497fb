#pragma once
//! Namespace URIs and prefixes of SOAP 1.1 section-5 envelopes.

#include <string_view>

namespace platform::soap::detail {

inline constexpr std::string_view kEnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view kEncodingNs = "http://schemas.xmlsoap.org/soap/encoding/";
inline constexpr std::string_view kXsdNs = "http://www.w3.org/2001/XMLSchema";
inline constexpr std::string_view kXsiNs = "http://www.w3.org/2001/XMLSchema-instance";

} // namespace platform::soap::detail
