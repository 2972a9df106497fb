// The mapper table against the Portal's contract: every record, member and key a mapper names exists.

#include "quelta/workflows/code_list_mappers.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace quelta;

TEST(CodeListMappers, NameRecordsAndMembersOfThePortalContract) {
    std::set<std::string_view> codes;
    const soap::RecordType& base = PortalRegistry().record("BaseExtendedDto");
    for (const CodeListDef& def : CodeListMappers()) {
        SCOPED_TRACE(std::string(def.code));
        EXPECT_TRUE(codes.insert(def.code).second) << "code listed twice";
        EXPECT_FALSE(def.keyColumn.empty());
        const soap::RecordType* type = PortalRegistry().findRecord(def.recordType);
        ASSERT_NE(type, nullptr);
        EXPECT_TRUE(type->isA(base));
        EXPECT_EQ(def.query.empty(), def.kind == MapperKind::Employee);
        bool setsKey = def.kind == MapperKind::Employee;
        for (const ColumnBinding& b : def.members) {
            const soap::MemberInfo* m = type->find(b.member);
            ASSERT_NE(m, nullptr) << b.member;
            EXPECT_TRUE(m->type.isScalar()) << b.member;
            EXPECT_EQ(b.read, ColumnRead::Strict) << "code lists read every column strictly";
            setsKey = setsKey || b.member == "erpPk";
        }
        EXPECT_TRUE(setsKey) << "the record must get its host key";
    }
    EXPECT_EQ(codes.size(), 23u);
}

TEST(CodeListMappers, DeletionsGoToThePortalForSixteenCodes) {
    std::set<std::string_view> deleting;
    for (const CodeListDef& def : CodeListMappers())
        if (def.deletesOnPortal) deleting.insert(def.code);
    const std::set<std::string_view> expected = {"bankcode",
                                                 "city",
                                                 "costpoot",
                                                 "country",
                                                 "citizenship",
                                                 "department",
                                                 "employee",
                                                 "healthinsuranceoffice",
                                                 "joborder",
                                                 "vehicle",
                                                 "career",
                                                 "jobtitle",
                                                 "supplementarypensioninsurance",
                                                 "lifeinsurance",
                                                 "currency",
                                                 "travelordercosttype"};
    EXPECT_EQ(deleting, expected);
}

TEST(CodeListMappers, FoundByExactCodeOnly) {
    ASSERT_NE(FindCodeListMapper("bankcode"), nullptr);
    EXPECT_EQ(FindCodeListMapper("bankcode")->mapper, "TBankCode");
    EXPECT_EQ(FindCodeListMapper("BankCode"), nullptr);
    EXPECT_EQ(FindCodeListMapper("payrollcomponents"), nullptr);
    EXPECT_EQ(FindCodeListMapper(""), nullptr);
}

TEST(CodeListMappers, SlovakQueryOnlyWhereTheLegislationDiffers) {
    const CodeListDef& office = *FindCodeListMapper("healthinsuranceoffice");
    EXPECT_NE(TCodeList(office, "SK").query, TCodeList(office, "CZ").query);
    EXPECT_NE(TCodeList(office, "SK").query.find("FROM TabMzdPojFondy  tab"), std::string::npos);
    const CodeListDef& bank = *FindCodeListMapper("bankcode");
    EXPECT_EQ(TCodeList(bank, "SK").query, TCodeList(bank, "CZ").query);
}
