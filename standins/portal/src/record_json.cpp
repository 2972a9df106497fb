#include "standins/portal/record_json.h"

#include "platform/soap/codec.h"

#include <limits>

namespace standins::portal {

namespace {

using json = nlohmann::ordered_json;
using soap::Scalar;
using soap::Value;

[[noreturn]] void refuse(const std::string& what, const json& found) {
    throw JsonValueError(what + " expected, found " + found.dump());
}

Value scalarFromJson(const json& j, Scalar scalar) {
    switch (scalar) {
    case Scalar::String:
    case Scalar::SoapString:
        if (!j.is_string()) refuse("a string", j);
        return Value(j.get<std::string>());
    case Scalar::Int: {
        if (!j.is_number_integer()) refuse("an integer", j);
        const auto n = j.get<std::int64_t>();
        if (n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::int32_t>::max())
            refuse("a 32-bit integer", j);
        return Value(static_cast<std::int32_t>(n));
    }
    case Scalar::Long:
        if (!j.is_number_integer()) refuse("an integer", j);
        return Value(j.get<std::int64_t>());
    case Scalar::Double:
        if (!j.is_number()) refuse("a number", j);
        return Value(j.get<double>());
    case Scalar::Float:
        if (!j.is_number()) refuse("a number", j);
        return Value(j.get<float>());
    case Scalar::Boolean:
        if (!j.is_boolean()) refuse("true or false", j);
        return Value(j.get<bool>());
    case Scalar::DateTime:
        if (!j.is_string()) refuse("a date-time text", j);
        try {
            return Value(soap::parseDateTime(j.get<std::string>()));
        } catch (const std::exception& error) {
            throw JsonValueError(error.what());
        }
    case Scalar::Decimal:
        if (j.is_string()) return Value(soap::Decimal{j.get<std::string>()});
        if (j.is_number()) return Value(soap::Decimal{j.dump()});
        refuse("a decimal", j);
    case Scalar::Base64:
        if (!j.is_string()) refuse("base64 text", j);
        try {
            return Value(soap::decodeBase64(j.get<std::string>()));
        } catch (const std::exception& error) {
            throw JsonValueError(error.what());
        }
    case Scalar::AnyType:
        if (j.is_string()) return Value(j.get<std::string>());
        if (j.is_boolean()) return Value(j.get<bool>());
        if (j.is_number_integer()) return Value(j.get<std::int64_t>());
        if (j.is_number()) return Value(j.get<double>());
        if (j.is_object()) return Value(recordFromJson(j));
        refuse("a string, number, Boolean or record", j);
    case Scalar::None:
        break;
    }
    refuse("a scalar", j);
}

} // namespace

json toJson(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::Absent:
    case Value::Kind::Nil:
        return nullptr;
    case Value::Kind::String:
        return value.asString();
    case Value::Kind::Int:
        return value.asInt();
    case Value::Kind::Long:
        return value.asLong();
    case Value::Kind::Double:
        return value.asDouble();
    case Value::Kind::Float:
        return value.asFloat();
    case Value::Kind::Boolean:
        return value.asBoolean();
    case Value::Kind::DateTime:
        return soap::formatDateTime(value.asDateTime());
    case Value::Kind::Decimal:
        return value.asDecimal().text;
    case Value::Kind::Bytes:
        return soap::encodeBase64(value.asBytes());
    case Value::Kind::Record: {
        const soap::Record& record = value.asRecord();
        json object = json::object();
        object["$type"] = record.type().name();
        for (const auto& member : record.type().members()) {
            const Value& v = record.at(member.index);
            if (!v.isAbsent()) object[member.name] = toJson(v);
        }
        return object;
    }
    case Value::Kind::Array: {
        json items = json::array();
        for (const auto& item : value.asArray().items())
            items.push_back(toJson(item));
        return items;
    }
    }
    return nullptr;
}

soap::Record recordFromJson(const json& j, const soap::RecordType* declared) {
    if (!j.is_object()) refuse("a record object", j);
    const soap::RecordType* type = declared;
    if (const auto it = j.find("$type"); it != j.end()) {
        if (!it->is_string()) refuse("a type name in \"$type\"", *it);
        type = quelta::PortalRegistry().findRecord(it->get<std::string>());
        if (!type) throw JsonValueError("unknown record type \"" + it->get<std::string>() + "\"");
        if (declared && !type->isA(*declared))
            throw JsonValueError("record type \"" + type->name() + "\" is not a " + declared->name());
    }
    if (!type) throw JsonValueError("a record needs \"$type\": " + j.dump());
    soap::Record record(*type);
    for (const auto& [key, member] : j.items()) {
        if (key == "$type") continue;
        const soap::MemberInfo* info = type->find(key);
        if (!info) throw JsonValueError("record type \"" + type->name() + "\" has no member \"" + key + "\"");
        try {
            record.mutableAt(info->index) = fromJson(member, info->type);
        } catch (const JsonValueError& error) {
            throw JsonValueError(type->name() + "." + key + ": " + error.what());
        }
    }
    return record;
}

Value fromJson(const json& j, const soap::TypeRef& type) {
    if (j.is_null()) return Value(soap::Nil{});
    if (type.isScalar()) return scalarFromJson(j, type.scalar);
    if (type.record) return Value(recordFromJson(j, type.record));
    if (type.array) {
        if (!j.is_array()) refuse("an array", j);
        soap::Array array(*type.array);
        for (const auto& item : j) {
            try {
                array.add(fromJson(item, type.array->element()));
            } catch (const soap::ValueError& error) {
                throw JsonValueError(type.array->name() + ": " + error.what());
            }
        }
        return Value(std::move(array));
    }
    refuse("a value of a known type", j);
}

} // namespace standins::portal
