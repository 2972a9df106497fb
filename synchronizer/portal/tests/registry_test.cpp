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
    for (const auto& type : PortalRegistry().Records()) {
        const auto& members = type->Members();
        for (std::size_t i = members.size() - type->OwnMemberCount() + 1; i < members.size(); ++i)
            EXPECT_LT(members[i - 1].name, members[i].name) << type->Name();
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
        const auto& t = reg.Record(c.record);
        EXPECT_EQ(t.XmlName(), c.xmlName) << c.record;
        EXPECT_EQ(t.NsRole(), c.role) << c.record;
    }
    for (const auto& a : reg.Arrays())
        EXPECT_EQ(a->NsRole(), kServiceNs) << a->Name();
    EXPECT_EQ(reg.Record("RecordDto").Find("halfDay")->type.scalar, Scalar::String);
    EXPECT_EQ(reg.Record("RecordsDto").Find("halfDay")->type.scalar, Scalar::Boolean);
    EXPECT_EQ(reg.Record("BaseRecordState").Find("record")->type.record, &reg.Record("Record_"));
    EXPECT_FALSE(reg.Record("PreprocessDto").Base());
}

TEST(PortalRegistry, InheritedMembersComeFirst) {
    const auto& members = PortalRegistry().Record("PayrollComponentsGroupRecordDto").Members();
    std::vector<std::string> names;
    for (const auto& m : members)
        names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"portalId", "commitNumber", "erpPk", "validFrom", "validUntil",
                                               "groupType", "name", "types"}));
}

TEST(PortalRegistry, NewRecordsStartEmpty) {
    const soap::Record e = NewRecord("EmployeeDto");
    EXPECT_EQ(e.Get("surname"), Value(std::string()));
    EXPECT_EQ(e.Get("personalNumber"), Value(std::int64_t{0}));
    EXPECT_EQ(e.Get("vacancy"), Value(0.0));
    EXPECT_EQ(e.Get("portalCreated"), Value(false));
    EXPECT_TRUE(e.Get("photo").IsAbsent());
    EXPECT_TRUE(e.Get("dateOfBirth").IsAbsent());
    EXPECT_TRUE(NewRecord("EmployeeCalendarsDto").Get("payrollCalendarErpPk").IsAbsent());
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
            EXPECT_NO_THROW(PortalRegistry().Resolve(p.type)) << op.name;
        if (!op.result.empty()) {
            EXPECT_NO_THROW(PortalRegistry().Resolve(op.result)) << op.name;
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
                Value v = Fill(t.array->Element(), seed + i, depth + 1);
                a.Items().push_back(v.IsAbsent() ? Value(soap::Nil{}) : std::move(v));
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
        for (const auto& m : type.Members())
            r.MutableAt(m.index) = Fill(m.type, seed + static_cast<int>(m.index), depth);
        return r;
    }
};

TEST(PortalCodec, EveryRegisteredTypeRoundTrips) {
    const soap::Codec codec = MakePortalCodec();
    Filler filler;
    std::vector<TypeRef> types;
    for (const auto& r : PortalRegistry().Records())
        types.push_back(TypeRef{Scalar::None, r.get(), nullptr});
    for (const auto& a : PortalRegistry().Arrays())
        types.push_back(TypeRef{Scalar::None, nullptr, a.get()});
    for (const TypeRef& type : types) {
        const std::string name = type.record ? type.record->Name() : type.array->Name();
        SCOPED_TRACE(name);
        const Value value = filler.Fill(type, 3, 0);
        const std::string request = codec.EncodeRequest({"op", {{"value", type, value}}});
        EXPECT_EQ(codec.DecodeRequest(request).params.at(0).value, value);
        for (bool multiRef : {false, true}) {
            const std::string response =
                codec.EncodeResponse("op", soap::Param{"opReturn", type, value}, {multiRef});
            EXPECT_EQ(codec.DecodeResponse(response, type).result, value);
        }
    }
}

TEST(PortalCodec, PolymorphicArrayElementsKeepTheirConcreteTypes) {
    const soap::Codec codec = MakePortalCodec();
    soap::Array changed = NewArray("ArrayOf_tns1_BaseExtendedDto");
    soap::Record employee = NewRecord("EmployeeDto");
    employee.Set("surname", "Nováková");
    changed.Add(employee);
    changed.Add(NewRecord("CityDto"));
    const TypeRef declared = PortalRegistry().Resolve("ArrayOf_tns1_BaseExtendedDto");
    const auto result =
        codec
            .DecodeResponse(codec.EncodeResponse("findChangedDtos", soap::Param{"r", declared, changed}),
                            declared)
            .result;
    const auto& items = result->AsArray().Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].AsRecord().Type().Name(), "EmployeeDto");
    EXPECT_EQ(items[0].AsRecord().GetString("surname"), "Nováková");
    EXPECT_TRUE(items[1].AsRecord().Is("CityDto"));
    EXPECT_FALSE(items[1].AsRecord().Is("EmployeeDto"));
}

TEST(PortalCodec, NamespacesComeFromConfiguration) {
    PortalNamespaces ns;
    ns.data = "http://portal.example/dto";
    const soap::Codec codec = MakePortalCodec(ns);
    const TypeRef type = PortalRegistry().Resolve("BaseExtendedDto");
    const std::string xml = codec.EncodeResponse("get", soap::Param{"r", type, NewRecord("CityDto")});
    EXPECT_NE(xml.find(R"(xmlns:ns1="http://portal.example/dto")"), std::string::npos);
    EXPECT_THROW(MakePortalCodec().DecodeResponse(xml, type), soap::TypeError);
    EXPECT_EQ(codec.DecodeResponse(xml, type).result->AsRecord().Type().Name(), "CityDto");
}

} // namespace
} // namespace quelta
