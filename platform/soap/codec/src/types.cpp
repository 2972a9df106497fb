#include "platform/soap/types.h"

#include <algorithm>
#include <stdexcept>

namespace platform::soap {

namespace {

struct ScalarName {
    std::string_view name;
    Scalar scalar;
};

constexpr ScalarName kScalarNames[] = {
    {"string", Scalar::String},   {"soapenc:string", Scalar::SoapString},
    {"int", Scalar::Int},         {"long", Scalar::Long},
    {"double", Scalar::Double},   {"float", Scalar::Float},
    {"boolean", Scalar::Boolean}, {"dateTime", Scalar::DateTime},
    {"decimal", Scalar::Decimal}, {"base64Binary", Scalar::Base64},
    {"anyType", Scalar::AnyType},
};

std::string xmlKey(std::uint8_t role, std::string_view xmlName) {
    std::string key(1, static_cast<char>(role));
    key += xmlName;
    return key;
}

//! Values that are absent rather than empty in a new record.
bool isOptional(const TypeRef& t) {
    return !t.isScalar() || t.scalar == Scalar::DateTime || t.scalar == Scalar::Base64 ||
           t.scalar == Scalar::Decimal || t.scalar == Scalar::AnyType;
}

} // namespace

Scalar scalarFromTableName(std::string_view name) {
    for (const auto& s : kScalarNames)
        if (s.name == name) return s.scalar;
    return Scalar::None;
}

const MemberInfo* RecordType::find(std::string_view wireName) const {
    auto it = byName_.find(wireName);
    return it == byName_.end() ? nullptr : &members_[it->second];
}

bool RecordType::isA(const RecordType& other) const {
    for (const RecordType* t = this; t; t = t->base_)
        if (t == &other) return true;
    return false;
}

TypeRegistry::TypeRegistry(std::span<const RecordDef> records, std::span<const MemberDef> members,
                           std::span<const ArrayDef> arrays) {
    for (const auto& def : records) {
        auto type = std::make_unique<RecordType>();
        type->name_ = def.name;
        type->xmlName_ = def.xmlName.empty() ? def.name : def.xmlName;
        type->nsRole_ = def.nsRole;
        if (!recordByName_.emplace(type->name_, type.get()).second)
            throw std::invalid_argument("record type registered twice: " + type->name_);
        if (!recordByXml_.emplace(xmlKey(type->nsRole_, type->xmlName_), type.get()).second)
            throw std::invalid_argument("XML type name registered twice: " + type->xmlName_);
        records_.push_back(std::move(type));
    }
    for (const auto& def : arrays) {
        auto type = std::make_unique<ArrayType>();
        type->name_ = def.name;
        type->nsRole_ = def.nsRole;
        if (recordByName_.contains(type->name_) || !arrayByName_.emplace(type->name_, type.get()).second)
            throw std::invalid_argument("array type registered twice: " + type->name_);
        arrays_.push_back(std::move(type));
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].base.empty()) continue;
        records_[i]->base_ = findRecord(records[i].base);
        if (!records_[i]->base_)
            throw std::invalid_argument("record type " + records_[i]->name_ + " names an unknown base " +
                                        std::string(records[i].base));
    }
    for (const auto& r : records_) {
        std::size_t steps = 0;
        for (const RecordType* t = r.get(); t; t = t->base_)
            if (++steps > records_.size())
                throw std::invalid_argument("record type " + r->name_ + " derives from itself");
    }
    for (std::size_t i = 0; i < arrays.size(); ++i)
        arrays_[i]->element_ = resolve(arrays[i].element);

    // Own members in table order, then each record's full list with inherited members first.
    std::unordered_map<const RecordType*, std::vector<MemberInfo>> own;
    for (const auto& def : members) {
        const RecordType* owner = findRecord(def.record);
        if (!owner)
            throw std::invalid_argument("member " + std::string(def.wire) + " of unknown record " +
                                        std::string(def.record));
        MemberInfo m;
        m.name = def.wire;
        m.type = resolve(def.type);
        m.optional = isOptional(m.type);
        own[owner].push_back(std::move(m));
    }
    for (auto& r : records_) {
        std::vector<const RecordType*> chain;
        for (const RecordType* t = r.get(); t; t = t->base_)
            chain.push_back(t);
        std::reverse(chain.begin(), chain.end());
        for (const RecordType* t : chain) {
            auto it = own.find(t);
            if (it == own.end()) continue;
            for (const auto& m : it->second)
                r->members_.push_back(m);
            if (t == r.get()) r->ownCount_ = it->second.size();
        }
        for (std::size_t k = 0; k < r->members_.size(); ++k) {
            r->members_[k].index = k;
            if (!r->byName_.emplace(r->members_[k].name, k).second)
                throw std::invalid_argument("record type " + r->name_ + " has member " + r->members_[k].name +
                                            " twice");
        }
    }
}

const RecordType* TypeRegistry::findRecord(std::string_view name) const {
    auto it = recordByName_.find(name);
    return it == recordByName_.end() ? nullptr : it->second;
}

const RecordType* TypeRegistry::findRecordByXml(std::uint8_t nsRole, std::string_view xmlName) const {
    auto it = recordByXml_.find(xmlKey(nsRole, xmlName));
    return it == recordByXml_.end() ? nullptr : it->second;
}

const ArrayType* TypeRegistry::findArray(std::string_view name) const {
    auto it = arrayByName_.find(name);
    return it == arrayByName_.end() ? nullptr : it->second;
}

const RecordType& TypeRegistry::record(std::string_view name) const {
    if (const RecordType* r = findRecord(name)) return *r;
    throw std::invalid_argument("unknown record type: " + std::string(name));
}

const ArrayType& TypeRegistry::array(std::string_view name) const {
    if (const ArrayType* a = findArray(name)) return *a;
    throw std::invalid_argument("unknown array type: " + std::string(name));
}

TypeRef TypeRegistry::resolve(std::string_view typeName) const {
    TypeRef t;
    t.scalar = scalarFromTableName(typeName);
    if (t.isScalar()) return t;
    t.record = findRecord(typeName);
    if (!t.record) t.array = findArray(typeName);
    if (!t.record && !t.array) throw std::invalid_argument("unknown type name: " + std::string(typeName));
    return t;
}

} // namespace platform::soap
