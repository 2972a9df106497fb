#pragma once
//! Portal values as JSON: a record is an object whose "$type" names its record type and whose other keys
//! are its members by wire name; arrays are JSON arrays, bytes base64 text, date-times text, nil is null.

#include "quelta/portal/registry.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace standins::portal {

namespace soap = ::platform::soap;

//! A JSON text that does not fit the type it is read as; what() names the place.
class JsonValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! The deepest nesting of arrays and objects accepted in JSON given to the stand-in (records nest a few
//! levels; deeper text is refused before it is built).
inline constexpr int kMaxJsonDepth = 64;

//! Parses JSON text given to the admin interface, a state file or portal-call. Throws std::invalid_argument
//! naming the byte where the text stops being JSON, or the nesting limit; never quoting the text itself.
nlohmann::ordered_json parseJson(std::string_view text);

//! The integer member `key` of a JSON object, or `fallback` when it is absent. Throws std::invalid_argument
//! unless it is an integer from `min` to `max` (a fraction, a text or a number out of range is refused).
std::int64_t integerMember(const nlohmann::ordered_json& object, const char* key, std::int64_t fallback,
                           std::int64_t min, std::int64_t max);

//! A value as JSON; absent members of records are left out.
nlohmann::ordered_json toJson(const soap::Value& value);

//! Reads a value declared as `type`. A record object without "$type" takes the declared record type;
//! throws JsonValueError when the JSON does not fit.
soap::Value fromJson(const nlohmann::ordered_json& json, const soap::TypeRef& type);

//! Reads a record object; "$type" is required unless `declared` is given.
soap::Record recordFromJson(const nlohmann::ordered_json& json, const soap::RecordType* declared = nullptr);

} // namespace standins::portal
