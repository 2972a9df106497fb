#include "quelta/portal/typed_records.h"
#include "typed_record_list.h"

#include <gtest/gtest.h>

#include <tuple>

namespace quelta {
namespace {

template <class T> std::vector<std::string> TypedMemberNames() {
    std::vector<std::string> names;
    T typed;
    T::Members(typed, [&](std::string_view name, const auto&) { names.emplace_back(name); });
    return names;
}

//! Every struct of records.h (the list is generated from that header at configure time).
TEST(TypedRecords, MembersMatchTheRegistry) {
    std::apply(
        [](auto... typed) {
            (
                [&] {
                    using T = decltype(typed);
                    std::vector<std::string> registered;
                    for (const auto& m : PortalRegistry().record(T::kTypeName).members())
                        registered.push_back(m.name);
                    EXPECT_EQ(TypedMemberNames<T>(), registered) << T::kTypeName;
                    // An empty typed record converts to exactly the empty generic record.
                    EXPECT_EQ(ToRecord(T{}), NewRecord(T::kTypeName)) << T::kTypeName;
                }(),
                ...);
        },
        AllTypedRecords{});
}

TEST(TypedRecords, TravelOrderSurvivesTheWire) {
    TravelOrderDto order;
    order.erpPk = "CP-7";
    order.personalNumber = 1001;
    order.startTime = soap::DateTime{2024, 4, 2, 6, 30, 0, 0, true, 120};
    order.privateCar = true;
    order.costs = std::vector<TravelOrderCostDto>(2);
    (*order.costs)[0].amount = 250.5;
    (*order.costs)[1].note = "Parkovné";
    order.fuel = std::vector<TravelOrderFuelDto>{};
    const soap::TypeRef declared = PortalRegistry().resolve("BaseExtendedDto");
    const soap::Codec codec = MakePortalCodec();
    const auto decoded = codec.decodeResponse(
        codec.encodeResponse("get", soap::Param{"r", declared, ToRecord(order)}, {true}), declared);
    const TravelOrderDto back = FromRecord<TravelOrderDto>(decoded.result->asRecord());
    EXPECT_EQ(back.erpPk, "CP-7");
    EXPECT_EQ(back.personalNumber, 1001);
    EXPECT_EQ(back.startTime, order.startTime);
    EXPECT_TRUE(back.privateCar);
    ASSERT_TRUE(back.costs);
    ASSERT_EQ(back.costs->size(), 2u);
    EXPECT_EQ((*back.costs)[0].amount, 250.5);
    EXPECT_EQ((*back.costs)[1].note, "Parkovné");
    ASSERT_TRUE(back.fuel);
    EXPECT_TRUE(back.fuel->empty());
    EXPECT_FALSE(back.items);
    EXPECT_EQ(ToRecord(back), ToRecord(order));
}

TEST(TypedRecords, ConcreteTypeIsChecked) {
    EXPECT_THROW(FromRecord<EmployeeDto>(NewRecord("CityDto")), EInvalidCast);
    EXPECT_THROW(
        FromRecord<PayrollComponentsGroupRecordDto>(NewRecord("PayrollComponentsGroupCashIncomeDto")),
        EInvalidCast);
    soap::Record group = NewRecord("PayrollComponentsGroupRecordDto");
    group.set("name", "Nepřítomnosti");
    EXPECT_EQ(FromRecord<PayrollComponentsGroupDto>(group).name, "Nepřítomnosti");
    EXPECT_EQ(FromRecord<BaseExtendedDto>(NewRecord("EmployeeDto")).portalId, 0);
}

TEST(TypedRecords, HalfDayKeepsEachDeclaredType) {
    soap::Record received = NewRecord("RecordDto");
    received.set("halfDay", "dopoledne");
    EXPECT_EQ(FromRecord<RecordDto>(received).halfDay, "dopoledne");
    RecordsDto sent;
    sent.halfDay = true;
    EXPECT_EQ(ToRecord(sent).get("halfDay"), soap::Value(true));
}

} // namespace
} // namespace quelta
