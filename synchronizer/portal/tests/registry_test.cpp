#include "quelta/portal/operations.h"
#include "quelta/portal/registry.h"

#include <gtest/gtest.h>

#include <set>

namespace quelta {
namespace {

using soap::Scalar;
using soap::TypeRef;
using soap::Value;

TEST(PortalRegistry, OwnMembersAreInCharacterCodeOrder) {
    for (const auto& type : PortalRegistry().records()) {
        const auto& members = type->members();
        for (std::size_t i = members.size() - type->ownMemberCount() + 1; i < members.size(); ++i)
            EXPECT_LT(members[i - 1].name, members[i].name) << type->name();
    }
}

TEST(PortalRegistry, NamesAndNamespacesThatDiffer) {
    const auto& reg = PortalRegistry();
    struct Case {
        const char* record;
        const char* xmlName;
        std::uint8_t role;
    } const cases[] = {
        {"Record_", "Record", kDataNs},
        {"JobTitle", "JobTitle", kDomainNs},
        {"JobTitleDto", "JobTitleDto", kDataNs},
        {"AbstractPreprocessDto", "AbstractPreprocessDto", kPreprocessBaseNs},
        {"RecordsDto", "RecordsDto", kDataNs},
    };
    for (const auto& c : cases) {
        const auto& t = reg.record(c.record);
        EXPECT_EQ(t.xmlName(), c.xmlName) << c.record;
        EXPECT_EQ(t.nsRole(), c.role) << c.record;
    }
    for (const auto& a : reg.arrays())
        EXPECT_EQ(a->nsRole(), kServiceNs) << a->name();
    EXPECT_EQ(reg.record("RecordDto").find("halfDay")->type.scalar, Scalar::String);
    EXPECT_EQ(reg.record("RecordsDto").find("halfDay")->type.scalar, Scalar::Boolean);
    EXPECT_EQ(reg.record("BaseRecordState").find("record")->type.record, &reg.record("Record_"));
    EXPECT_FALSE(reg.record("PreprocessDto").base());
}

TEST(PortalRegistry, InheritedMembersComeFirst) {
    const auto& members = PortalRegistry().record("PayrollComponentsGroupRecordDto").members();
    std::vector<std::string> names;
    for (const auto& m : members)
        names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"portalId", "commitNumber", "erpPk", "validFrom", "validUntil",
                                               "groupType", "name", "types"}));
}

TEST(PortalRegistry, NewRecordsStartEmpty) {
    const soap::Record e = NewRecord("EmployeeDto");
    EXPECT_EQ(e.get("surname"), Value(std::string()));
    EXPECT_EQ(e.get("personalNumber"), Value(std::int64_t{0}));
    EXPECT_EQ(e.get("vacancy"), Value(0.0));
    EXPECT_EQ(e.get("portalCreated"), Value(false));
    EXPECT_TRUE(e.get("photo").isAbsent());
    EXPECT_TRUE(e.get("dateOfBirth").isAbsent());
    EXPECT_TRUE(NewRecord("EmployeeCalendarsDto").get("payrollCalendarErpPk").isAbsent());
    EXPECT_THROW(NewRecord("NoSuchDto"), std::invalid_argument);
}

TEST(PortalOperations, TableMatchesTheContract) {
    const auto ops = PortalOperations();
    ASSERT_EQ(ops.size(), 20u);
    EXPECT_EQ(ops.front().name, "echo");
    EXPECT_EQ(ops.front().Params()[0].wire, "in");
    EXPECT_EQ(ops.back().name, "dummyMethod");
    std::set<std::string_view> names;
    for (const auto& op : ops) {
        EXPECT_TRUE(names.insert(op.name).second) << op.name;
        for (const auto& p : op.Params())
            EXPECT_NO_THROW(PortalRegistry().resolve(p.type)) << op.name;
        if (!op.result.empty()) {
            EXPECT_NO_THROW(PortalRegistry().resolve(op.result)) << op.name;
        }
    }
    EXPECT_EQ(FindPortalOperation("findChangedDtos")->result, "ArrayOf_tns1_BaseExtendedDto");
    EXPECT_EQ(FindPortalOperation("nothing"), nullptr);
}

// Round trips of every registered type, filled from the registry itself.

class Filler {
public:
    Value Fill(const TypeRef& t, int seed, int depth) {
        if (t.record) return depth > 2 ? Value() : Value(FillRecord(*t.record, seed, depth + 1));
        if (t.array) {
            if (depth > 2) return Value(soap::Nil{});
            soap::Array a(*t.array);
            for (int i = 0; i < 2; ++i) {
                Value v = Fill(t.array->element(), seed + i, depth + 1);
                a.items().push_back(v.isAbsent() ? Value(soap::Nil{}) : std::move(v));
            }
            return Value(std::move(a));
        }
        switch (t.scalar) {
        case Scalar::String:
        case Scalar::SoapString:
            return Value("t" + std::to_string(seed) + " <&> \"ř\"");
        case Scalar::Int:
            return Value(std::int32_t{-seed * 1000});
        case Scalar::Long:
            return Value(std::int64_t{seed} * std::int64_t{10'000'000'000});
        case Scalar::Double:
            return Value(seed / 3.0);
        case Scalar::Float:
            return Value(static_cast<float>(seed) / 7.0f);
        case Scalar::Boolean:
            return Value(seed % 2 == 1);
        case Scalar::DateTime:
            return Value(soap::DateTime{2000 + seed % 30, 1 + seed % 12, 1 + seed % 28, seed % 24, 0, 0, 0,
                                        true, (seed % 3 - 1) * 60});
        case Scalar::Decimal:
            return Value(soap::Decimal{std::to_string(seed) + ".25"});
        case Scalar::Base64:
            return Value(soap::Bytes(static_cast<std::size_t>(seed % 5), static_cast<std::uint8_t>(seed)));
        case Scalar::AnyType:
            return seed % 2 ? Value("any") : Value(std::int32_t{seed});
        case Scalar::None:
            break;
        }
        return Value();
    }

    soap::Record FillRecord(const soap::RecordType& type, int seed, int depth) {
        soap::Record r(type);
        for (const auto& m : type.members())
            r.mutableAt(m.index) = Fill(m.type, seed + static_cast<int>(m.index), depth);
        return r;
    }
};

TEST(PortalCodec, EveryRegisteredTypeRoundTrips) {
    const soap::Codec codec = MakePortalCodec();
    Filler filler;
    std::vector<TypeRef> types;
    for (const auto& r : PortalRegistry().records())
        types.push_back(TypeRef{Scalar::None, r.get(), nullptr});
    for (const auto& a : PortalRegistry().arrays())
        types.push_back(TypeRef{Scalar::None, nullptr, a.get()});
    for (const TypeRef& type : types) {
        const std::string name = type.record ? type.record->name() : type.array->name();
        SCOPED_TRACE(name);
        const Value value = filler.Fill(type, 3, 0);
        const std::string request = codec.encodeRequest({"op", {{"value", type, value}}});
        EXPECT_EQ(codec.decodeRequest(request).params.at(0).value, value);
        for (bool multiRef : {false, true}) {
            const std::string response =
                codec.encodeResponse("op", soap::Param{"opReturn", type, value}, {multiRef});
            EXPECT_EQ(codec.decodeResponse(response, type).result, value);
        }
    }
}

TEST(PortalCodec, PolymorphicArrayElementsKeepTheirConcreteTypes) {
    const soap::Codec codec = MakePortalCodec();
    soap::Array changed = NewArray("ArrayOf_tns1_BaseExtendedDto");
    soap::Record employee = NewRecord("EmployeeDto");
    employee.set("surname", "Nováková");
    changed.add(employee);
    changed.add(NewRecord("CityDto"));
    const TypeRef declared = PortalRegistry().resolve("ArrayOf_tns1_BaseExtendedDto");
    const auto result =
        codec
            .decodeResponse(codec.encodeResponse("findChangedDtos", soap::Param{"r", declared, changed}),
                            declared)
            .result;
    const auto& items = result->asArray().items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].asRecord().type().name(), "EmployeeDto");
    EXPECT_EQ(items[0].asRecord().getString("surname"), "Nováková");
    EXPECT_TRUE(items[1].asRecord().is("CityDto"));
    EXPECT_FALSE(items[1].asRecord().is("EmployeeDto"));
}

TEST(PortalCodec, NamespacesComeFromConfiguration) {
    PortalNamespaces ns;
    ns.data = "http://portal.example/dto";
    const soap::Codec codec = MakePortalCodec(ns);
    const TypeRef type = PortalRegistry().resolve("BaseExtendedDto");
    const std::string xml = codec.encodeResponse("get", soap::Param{"r", type, NewRecord("CityDto")});
    EXPECT_NE(xml.find(R"(xmlns:ns1="http://portal.example/dto")"), std::string::npos);
    EXPECT_THROW(MakePortalCodec().decodeResponse(xml, type), soap::TypeError);
    EXPECT_EQ(codec.decodeResponse(xml, type).result->asRecord().type().name(), "CityDto");
}

} // namespace
} // namespace quelta
