#pragma once
//! SOAP 1.1 rpc/encoded envelopes: requests and responses written and read through a type registry.

#include "platform/soap/types.h"
#include "platform/soap/value.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::soap {

//! A malformed, refused or undecodable envelope; the text says what and where.
class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! A value whose concrete record type is not the one declared, or whose type name is unknown.
class TypeError : public DecodeError {
public:
    using DecodeError::DecodeError;
};

//! A SOAP fault received in a response.
class Fault : public std::runtime_error {
public:
    Fault(std::string code, std::string faultString, std::string detail = {})
        : std::runtime_error(faultString)
        , code_(std::move(code))
        , string_(std::move(faultString))
        , detail_(std::move(detail)) {}
    const std::string& code() const { return code_; }
    const std::string& faultString() const { return string_; }
    const std::string& detail() const { return detail_; }

private:
    std::string code_;
    std::string string_;
    std::string detail_;
};

//! One named parameter of a call.
struct Param {
    std::string name;
    TypeRef type; //!< declared type; a record value names its concrete type on the wire
    Value value;
};

//! A remote procedure call: operation name and parameters in order.
struct Call {
    std::string operation;
    std::vector<Param> params;
};

//! How responses are written.
struct EncodeOptions {
    //! Write records and arrays as top-level multiRef elements referenced by href, as many rpc/encoded
    //! servers answer.
    bool multiRef = false;
};

//! Limits on what a decoder accepts.
struct DecodeLimits {
    std::size_t maxBytes = 64u << 20; //!< larger documents are refused before parsing
    std::size_t maxDepth = 256;       //!< nesting of records and arrays
};

//! The decoded outcome of a response: the return value, or nothing when the operation returns none or the
//! result is absent; a nil result is returned as a Nil value.
struct Response {
    std::string operation; //!< the response element's local name without "Response"
    std::optional<Value> result;
};

//! Writes and reads envelopes of one contract. Namespace roles index `nsUris`; the operations live in the
//! `serviceRole` namespace.
class Codec {
public:
    Codec(const TypeRegistry& registry, std::vector<std::string> nsUris, std::uint8_t serviceRole);

    const TypeRegistry& registry() const { return *registry_; }
    const std::string& namespaceUri(std::uint8_t role) const;
    std::size_t namespaceCount() const { return nsUris_.size(); }

    //! A request envelope; every value is inline, unset optional members are omitted.
    std::string encodeRequest(const Call& call) const;
    //! The same into `out`, reusing its capacity (for callers that send many requests).
    void encodeRequest(const Call& call, std::string& out) const;
    //! A response envelope for `operation`; `result` unset writes an empty response element.
    std::string encodeResponse(std::string_view operation, const std::optional<Param>& result,
                               const EncodeOptions& options = {}) const;
    //! A fault envelope (sent with HTTP 500).
    std::string encodeFault(std::string_view faultCode, std::string_view faultString) const;

    //! Reads a request; parameters are typed by their xsi:type, or by `expected` (name -> type) when absent.
    Call decodeRequest(std::string_view xml,
                       const std::vector<std::pair<std::string, TypeRef>>& expected = {},
                       const DecodeLimits& limits = {}) const;
    //! Reads a response; throws Fault for a SOAP fault, DecodeError/TypeError when the document is refused,
    //! malformed, or the result does not fit `expected`.
    Response decodeResponse(std::string_view xml, const std::optional<TypeRef>& expected = {},
                            const DecodeLimits& limits = {}) const;

    struct MemberTags;
    //! Ready-made start and end tags of a record's scalar members, in member order.
    const std::vector<MemberTags>* tagsOf(const RecordType& type) const;

private:
    struct TagCache;
    const TypeRegistry* registry_;
    std::vector<std::string> nsUris_;
    std::uint8_t serviceRole_;
    std::shared_ptr<const TagCache> tags_;
};

//! Base64 of raw bytes, and back (whitespace ignored; throws DecodeError on bad input).
std::string encodeBase64(const Bytes& bytes);
Bytes decodeBase64(std::string_view text);

//! xsd:dateTime text, and back (throws DecodeError on bad input).
std::string formatDateTime(const DateTime& dt);
DateTime parseDateTime(std::string_view text);

} // namespace platform::soap
