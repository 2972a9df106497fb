#pragma once
//! Type descriptors of an rpc/encoded contract: static definition tables and the resolved registry.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::soap {

//! XML Schema / SOAP-encoding scalar types a member, element or parameter may have.
enum class Scalar : std::uint8_t {
    None,       //!< not a scalar: a record or an array
    String,     //!< xsd:string
    SoapString, //!< soapenc:string
    Int,        //!< xsd:int, 32-bit
    Long,       //!< xsd:long, 64-bit
    Double,     //!< xsd:double
    Float,      //!< xsd:float
    Boolean,    //!< xsd:boolean
    DateTime,   //!< xsd:dateTime
    Decimal,    //!< xsd:decimal, kept as text
    Base64,     //!< xsd:base64Binary, raw bytes
    AnyType,    //!< xsd:anyType: the element's xsi:type decides
};

//! Scalar type names as they appear in definition tables ("string", "int", "soapenc:string", ...).
Scalar scalarFromTableName(std::string_view name);

//! One row of a member table: the owning record, the member's wire name and its type name (scalar, record or
//! array). Rows of one record are listed in wire order.
struct MemberDef {
    std::string_view record;
    std::string_view wire;
    std::string_view type;
};

//! One row of a record table. `xmlName` empty means the same as `name`; `base` empty means no base record.
struct RecordDef {
    std::string_view name;
    std::string_view base;
    std::uint8_t nsRole;
    std::string_view xmlName = {};
};

//! One row of an array table: the array's XML type name, its namespace role and its element type name.
struct ArrayDef {
    std::string_view name;
    std::string_view element;
    std::uint8_t nsRole;
};

class RecordType;
class ArrayType;

//! The declared type of a member, parameter, result or array element.
struct TypeRef {
    Scalar scalar = Scalar::None;
    const RecordType* record = nullptr;
    const ArrayType* array = nullptr;

    bool isScalar() const { return scalar != Scalar::None; }
    friend bool operator==(const TypeRef&, const TypeRef&) = default;
};

//! A resolved member: wire name, declared type, position among all members of its record.
struct MemberInfo {
    std::string name;
    TypeRef type;
    std::size_t index = 0;
    //! Unset values (absent date-times, byte strings, arrays, records) are omitted when sent.
    bool optional = false;
};

//! A record type with its base chain resolved and all members (inherited first) indexed.
class RecordType {
public:
    RecordType() = default;
    RecordType(const RecordType&) = delete; // member lookup refers into the member list
    RecordType& operator=(const RecordType&) = delete;

    const std::string& name() const { return name_; }
    const std::string& xmlName() const { return xmlName_; }
    std::uint8_t nsRole() const { return nsRole_; }
    const RecordType* base() const { return base_; }
    //! All members in wire order, inherited members first.
    const std::vector<MemberInfo>& members() const { return members_; }
    //! Number of members declared by this record itself (the tail of members()).
    std::size_t ownMemberCount() const { return ownCount_; }
    //! The member with this wire name, or nullptr.
    const MemberInfo* find(std::string_view wireName) const;
    //! True when this type is `other` or derives from it.
    bool isA(const RecordType& other) const;

private:
    friend class TypeRegistry;
    std::string name_;
    std::string xmlName_;
    std::uint8_t nsRole_ = 0;
    const RecordType* base_ = nullptr;
    std::vector<MemberInfo> members_;
    std::size_t ownCount_ = 0;
    std::unordered_map<std::string_view, std::size_t> byName_;
};

//! An SOAP-encoded array type.
class ArrayType {
public:
    const std::string& name() const { return name_; }
    std::uint8_t nsRole() const { return nsRole_; }
    const TypeRef& element() const { return element_; }

private:
    friend class TypeRegistry;
    std::string name_;
    std::uint8_t nsRole_ = 0;
    TypeRef element_;
};

//! All record and array types of one contract, resolved from static tables; immutable once built.
class TypeRegistry {
public:
    //! Resolves the tables; throws std::invalid_argument naming the row when a base, type or name is unknown,
    //! duplicated or cyclic.
    TypeRegistry(std::span<const RecordDef> records, std::span<const MemberDef> members,
                 std::span<const ArrayDef> arrays);
    TypeRegistry(const TypeRegistry&) = delete;
    TypeRegistry& operator=(const TypeRegistry&) = delete;

    //! Record type by its code name ("Record_"), or nullptr.
    const RecordType* findRecord(std::string_view name) const;
    //! Record type by namespace role and XML type name ("Record"), or nullptr.
    const RecordType* findRecordByXml(std::uint8_t nsRole, std::string_view xmlName) const;
    //! Array type by its XML type name, or nullptr.
    const ArrayType* findArray(std::string_view name) const;
    //! Record type by code name; throws std::invalid_argument when unknown.
    const RecordType& record(std::string_view name) const;
    //! Array type by name; throws std::invalid_argument when unknown.
    const ArrayType& array(std::string_view name) const;
    //! A type name of a table: scalar, record or array; throws std::invalid_argument when unknown.
    TypeRef resolve(std::string_view typeName) const;

    const std::vector<std::unique_ptr<RecordType>>& records() const { return records_; }
    const std::vector<std::unique_ptr<ArrayType>>& arrays() const { return arrays_; }

private:
    std::vector<std::unique_ptr<RecordType>> records_;
    std::vector<std::unique_ptr<ArrayType>> arrays_;
    std::unordered_map<std::string_view, const RecordType*> recordByName_;
    std::unordered_map<std::string, const RecordType*> recordByXml_;
    std::unordered_map<std::string_view, const ArrayType*> arrayByName_;
};

} // namespace platform::soap
