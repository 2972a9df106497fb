#include "standins/portal/record_json.h"

#include <gtest/gtest.h>

namespace standins::portal {
namespace {

using Json = nlohmann::ordered_json;
using soap::Scalar;
using soap::Value;

//! A value of each scalar kind that survives JSON unchanged.
Value sample(Scalar scalar) {
    switch (scalar) {
    case Scalar::String:
    case Scalar::SoapString:
    case Scalar::AnyType:
        return Value("Žďár nad Sázavou");
    case Scalar::Int:
        return Value(std::int32_t{-2147483647});
    case Scalar::Long:
        return Value(std::int64_t{9007199254740993});
    case Scalar::Double:
        return Value(1234.5);
    case Scalar::Float:
        return Value(0.25f);
    case Scalar::Boolean:
        return Value(true);
    case Scalar::DateTime:
        return Value(soap::DateTime{2026, 2, 28, 23, 30, 5, 0, true, 60});
    case Scalar::Decimal:
        return Value(soap::Decimal{"-12.50"});
    case Scalar::Base64:
        return Value(soap::Bytes{0x00, 0xff, 0x10, 0x80});
    case Scalar::None:
        break;
    }
    return Value();
}

TEST(RecordJson, EveryRegisteredRecordSurvivesJson) {
    for (const auto& type : quelta::PortalRegistry().records()) {
        soap::Record record(*type);
        for (const auto& member : type->members()) {
            if (member.type.isScalar())
                record.mutableAt(member.index) = sample(member.type.scalar);
            else if (member.type.array)
                record.mutableAt(member.index) = Value(soap::Nil{});
        }
        const Json json = toJson(Value(record));
        EXPECT_EQ(json["$type"], type->name());
        EXPECT_EQ(recordFromJson(Json::parse(json.dump())), record) << json.dump();
    }
}

TEST(RecordJson, NestedRecordsAndArraysTakeTheirDeclaredTypes) {
    const Json json = Json::parse(R"({"$type":"EmployeeCalendarDto","erpPk":"7","calendarIds":[3,null,5]})");
    const soap::Record calendar = recordFromJson(json);
    const auto& items = calendar.get("calendarIds").asArray().items();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].asInt(), 3);
    EXPECT_TRUE(items[1].isNil());
    EXPECT_EQ(toJson(Value(calendar))["calendarIds"], Json::parse("[3,null,5]"));
}

TEST(RecordJson, RefusesWhatDoesNotFit) {
    struct Case {
        const char* json;
        const char* declared; // type name of the registry
        const char* message;  // part of the error text
    };
    const Case cases[] = {
        {R"({"$type":"NoSuchDto"})", "BaseExtendedDto", "unknown record type \"NoSuchDto\""},
        {R"({"$type":"Sex"})", "BaseExtendedDto", "\"Sex\" is not a BaseExtendedDto"},
        {R"({"erpPk":"1"})", "anyType", "needs \"$type\""},
        {R"({"$type":"BankCodeDto","bogus":1})", "BaseExtendedDto", "has no member \"bogus\""},
        {R"({"$type":"BankCodeDto","portalId":"1"})", "BaseExtendedDto",
         "BankCodeDto.portalId: an integer expected"},
        {R"({"$type":"BankCodeDto","portalId":4294967296})", "BaseExtendedDto", "a 32-bit integer expected"},
        {R"({"$type":"BankCodeDto","validFrom":"yesterday"})", "BaseExtendedDto", "BankCodeDto.validFrom"},
        {R"({"$type":"EmployeeDto","photo":"@@@"})", "BaseExtendedDto", "EmployeeDto.photo"},
        {R"({"$type":"EmployeeCalendarDto","calendarIds":7})", "EmployeeCalendarDto", "an array expected"},
        {R"(12.5)", "long", "an integer expected"},
        {R"("true")", "boolean", "true or false expected"},
        {R"([1])", "string", "a string expected"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        try {
            fromJson(Json::parse(c.json), quelta::PortalRegistry().resolve(c.declared));
            ADD_FAILURE() << "accepted";
        } catch (const JsonValueError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}

} // namespace
} // namespace standins::portal
