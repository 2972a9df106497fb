#pragma once
//! Portal values as JSON: a record is an object whose "$type" names its record type and whose other keys
//! are its members by wire name; arrays are JSON arrays, bytes base64 text, date-times text, nil is null.

#include "quelta/portal/registry.h"

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

namespace standins::portal {

namespace soap = ::platform::soap;

//! A JSON text that does not fit the type it is read as; what() names the place.
class JsonValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! A value as JSON; absent members of records are left out.
nlohmann::ordered_json toJson(const soap::Value& value);

//! Reads a value declared as `type`. A record object without "$type" takes the declared record type;
//! throws JsonValueError when the JSON does not fit.
soap::Value fromJson(const nlohmann::ordered_json& json, const soap::TypeRef& type);

//! Reads a record object; "$type" is required unless `declared` is given.
soap::Record recordFromJson(const nlohmann::ordered_json& json, const soap::RecordType* declared = nullptr);

} // namespace standins::portal
