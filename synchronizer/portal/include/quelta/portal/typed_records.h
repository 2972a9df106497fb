#pragma once
//! Conversions between typed records and generic records, and typed forms of the lookups workflows make.

#include "quelta/portal/endpoint.h"
#include "quelta/portal/errors.h"
#include "quelta/portal/records.h"
#include "quelta/portal/registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace quelta {

template <class T> soap::Record ToRecord(const T& typed);
template <class T> T FromRecord(const soap::Record& record);

namespace detail {

template <class T> struct IsVector : std::false_type {};
template <class T> struct IsVector<std::vector<T>> : std::true_type { using Item = T; };

//! The declared type of a member; the typed record and the registry must agree on it.
const soap::MemberInfo& MemberOf(const soap::RecordType& type, std::string_view member);

template <class F> soap::Value ToValue(const soap::MemberInfo& m, const F& field) {
    if constexpr (std::is_same_v<F, std::optional<soap::DateTime>> ||
                  std::is_same_v<F, std::optional<soap::Bytes>>) {
        return field ? soap::Value(*field) : soap::Value();
    } else if constexpr (IsVector<typename F::value_type>::value) {
        if (!field) return soap::Value();
        soap::Array array(*m.type.array);
        for (const auto& item : *field) {
            if constexpr (std::is_same_v<std::decay_t<decltype(item)>, std::string>)
                array.add(soap::Value(item));
            else
                array.add(soap::Value(ToRecord(item)));
        }
        return soap::Value(std::move(array));
    }
}

template <class F> void FromValue(const soap::Value& v, F& field) {
    if constexpr (std::is_same_v<F, std::optional<soap::DateTime>>) {
        field = v.isNull() ? std::nullopt : std::optional(v.asDateTime());
    } else if constexpr (std::is_same_v<F, std::optional<soap::Bytes>>) {
        field = v.isNull() ? std::nullopt : std::optional(v.asBytes());
    } else {
        using Item = typename IsVector<typename F::value_type>::Item;
        if (v.isNull()) {
            field.reset();
            return;
        }
        field.emplace();
        for (const soap::Value& item : v.asArray().items()) {
            if (item.isNull()) continue;
            if constexpr (std::is_same_v<Item, std::string>)
                field->push_back(item.asString());
            else
                field->push_back(FromRecord<Item>(item.asRecord()));
        }
    }
}

inline soap::Value ToValue(const soap::MemberInfo&, const std::string& f) {
    return soap::Value(f);
}
inline soap::Value ToValue(const soap::MemberInfo&, std::int32_t f) {
    return soap::Value(f);
}
inline soap::Value ToValue(const soap::MemberInfo&, std::int64_t f) {
    return soap::Value(f);
}
inline soap::Value ToValue(const soap::MemberInfo&, double f) {
    return soap::Value(f);
}
inline soap::Value ToValue(const soap::MemberInfo&, bool f) {
    return soap::Value(f);
}
inline void FromValue(const soap::Value& v, std::string& f) {
    f = v.isNull() ? std::string() : v.asString();
}
inline void FromValue(const soap::Value& v, std::int32_t& f) {
    f = v.isNull() ? 0 : v.asInt();
}
inline void FromValue(const soap::Value& v, std::int64_t& f) {
    f = v.isNull() ? 0 : v.asLong();
}
inline void FromValue(const soap::Value& v, double& f) {
    f = v.isNull() ? 0.0 : v.asDouble();
}
inline void FromValue(const soap::Value& v, bool& f) {
    f = v.isNull() ? false : v.asBoolean();
}

} // namespace detail

//! A generic record of T's type holding T's values.
template <class T> soap::Record ToRecord(const T& typed) {
    soap::Record record = NewRecord(T::kTypeName);
    T::Members(typed, [&](std::string_view name, const auto& field) {
        const soap::MemberInfo& m = detail::MemberOf(record.type(), name);
        record.set(name, detail::ToValue(m, field));
    });
    return record;
}

//! T's values read from a record of type T or of a type derived from it; throws EInvalidCast otherwise.
template <class T> T FromRecord(const soap::Record& record) {
    if (!record.is(T::kTypeName))
        throw EInvalidCast("Invalid class typecast: a " + record.type().name() + " is not a " +
                           std::string(T::kTypeName));
    T typed;
    T::Members(typed,
               [&](std::string_view name, auto& field) { detail::FromValue(record.get(name), field); });
    return typed;
}

//! The stored record of T's class with that host key, or none.
template <class T> std::optional<T> GetDtoByErpPk(RpcKvaEndpoint& portal, const std::string& erpPk) {
    auto found = portal.getDtoByErpPk(NewRecord(T::kTypeName), erpPk);
    if (!found) return std::nullopt;
    return FromRecord<T>(*found);
}

//! The stored record of T's class with that Portal id, or none.
template <class T> std::optional<T> GetDtoByPortalId(RpcKvaEndpoint& portal, std::int32_t portalId) {
    auto found = portal.getDtoByPortalId(NewRecord(T::kTypeName), portalId);
    if (!found) return std::nullopt;
    return FromRecord<T>(*found);
}

//! The records of T's class changed after that commit number; each must be a T.
template <class T> std::vector<T> FindChangedDtos(RpcKvaEndpoint& portal, std::int64_t lastCommitNumber) {
    std::vector<T> out;
    for (const soap::Record& r : portal.findChangedDtos(NewRecord(T::kTypeName), lastCommitNumber))
        out.push_back(FromRecord<T>(r));
    return out;
}

} // namespace quelta
