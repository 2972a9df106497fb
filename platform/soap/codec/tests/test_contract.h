#pragma once
//! A small contract for the codec's tests: records, members and arrays in two namespaces, and an envelope
//! around hand-written Body content.

#include "platform/soap/codec.h"

#include <string>

namespace platform::soap::testing_contract {

constexpr std::uint8_t kSvc = 0, kData = 1;

constexpr RecordDef kRecords[] = {
    {"Base", "", kData},  {"Item", "Base", kData}, {"Special", "Item", kData, "SpecialItem"},
    {"Other", "", kData}, {"Holder", "", kData},
};
constexpr MemberDef kMembers[] = {
    {"Base", "portalId", "int"},
    {"Item", "amount", "double"},
    {"Item", "code", "string"},
    {"Item", "count", "long"},
    {"Item", "flag", "boolean"},
    {"Item", "photo", "base64Binary"},
    {"Item", "when", "dateTime"},
    {"Special", "extra", "string"},
    {"Other", "name", "string"},
    {"Holder", "any", "anyType"},
    {"Holder", "child", "Item"},
    {"Holder", "items", "ArrayOf_Item"},
    {"Holder", "names", "ArrayOf_string"},
    {"Holder", "price", "decimal"},
};
constexpr ArrayDef kArrays[] = {
    {"ArrayOf_Item", "Item", kSvc},
    {"ArrayOf_string", "soapenc:string", kSvc},
};

inline const TypeRegistry& registry() {
    static const TypeRegistry r(kRecords, kMembers, kArrays);
    return r;
}
inline Codec makeCodec() {
    return Codec(registry(), {"urn:svc", "urn:data"}, kSvc);
}

inline std::string envelope(const std::string& body, const std::string& bodyAttrs = "") {
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<soapenv:Envelope xmlns:soapenv="http://schemas.xmlsoap.org/soap/envelope/"
 xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
 xmlns:soapenc="http://schemas.xmlsoap.org/soap/encoding/" xmlns:s="urn:svc" xmlns:d="urn:data">
<soapenv:Body)" +
           bodyAttrs + ">" + body + "</soapenv:Body></soapenv:Envelope>";
}

} // namespace platform::soap::testing_contract
