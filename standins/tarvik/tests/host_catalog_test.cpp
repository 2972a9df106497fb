#include "standins/tarvik/host_catalog.h"

#include "plugin/host/tarvik_interface.h"

#include "schema_reader.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using namespace standins::tarvik;

TEST(HostCatalog, BrowsesShowHostTables) {
    const auto tables = schema_reader::createdTables();
    std::set<int> numbers;
    for (const auto& b : hostBrowses()) {
        EXPECT_TRUE(numbers.insert(b.number).second) << b.number;
        EXPECT_FALSE(isUserBrowse(b.number)) << b.number;
        if (std::string_view(b.sysName) != "TabZalohy") { // the server's backup history, not a host table
            EXPECT_TRUE(tables.count(schema_reader::upper(b.sysName))) << b.number << " " << b.sysName;
        }
    }
}

TEST(HostCatalog, BrowseSystemNamesTheModulesMapToEntities) {
    const std::pair<int, const char*> expected[] = {
        {205, "TabCisZam"}, {375, "TabCisZam"},         {1272, "TabIVozidlo"},   {10505, "TabIVozidlo"},
        {330, "TabMzPF"},   {400, "TabMzPF"},           {735, "TabMzdPojFondy"}, {265, "TabPredzp"},
        {393, "TabPredzp"}, {1049, "TabMzRadyOsCisel"}, {10536, "TabICestak"},
    };
    for (const auto& [number, sysName] : expected) {
        const auto* b = findHostBrowse(number);
        ASSERT_NE(b, nullptr) << number;
        EXPECT_STREQ(b->sysName, sysName) << number;
    }
    EXPECT_EQ(findHostBrowse(12345), nullptr);
    EXPECT_EQ(userBrowseNumber(4), 100004);
    EXPECT_TRUE(isUserBrowse(userBrowseNumber(1)));
}

TEST(HostCatalog, ValueListsNumberTheirValuesFromZero) {
    // The plug-in turns these five lists into conversion tables, taking values 0 .. lines - 1.
    for (const char* attribute : {"TabCisZam.RodinnyStav", "TabDuchod.DruhDuchodu",
                                  "TabZamMzd.DruhMzdyMesHod", "TabZamMzd.DruhPP", "TabZamRPr.Vztah"}) {
        const auto list = attributeConversion(attribute);
        ASSERT_FALSE(list.empty()) << attribute;
        EXPECT_EQ(list.find('\n'), std::string::npos) << attribute;
        std::istringstream lines(list);
        int expected = 0;
        for (std::string line; std::getline(lines, line, '\r'); ++expected) {
            EXPECT_EQ(line.rfind(std::to_string(expected) + "=", 0), 0u) << attribute << ": " << line;
            EXPECT_GT(line.size(), std::to_string(expected).size() + 1) << attribute << ": empty text";
        }
        EXPECT_GE(expected, 2) << attribute;
    }
    EXPECT_EQ(attributeConversion("tabzammzd.druhmzdymeshod"), "0=měsíční\r1=hodinová");
}

TEST(HostCatalog, CaptionsOfKnownAttributesOnly) {
    EXPECT_EQ(attributeCaption("TabCisZam.Prijmeni"), "Příjmení");
    EXPECT_EQ(attributeCaption("TABOBDOBI.id"), "Období");
    EXPECT_EQ(attributeConversion("TabCisZam.Jmeno"), "");
    EXPECT_THROW(attributeCaption("TabCisZam.Neexistuje"), plugin::TarvikError);
    EXPECT_THROW(attributeConversion("Neexistuje"), plugin::TarvikError);
}

TEST(HostCatalog, TextsAndVersions) {
    EXPECT_FALSE(hostText(11820).empty());
    EXPECT_FALSE(hostText(8921).empty());
    EXPECT_THROW(hostText(1), plugin::TarvikError);
    EXPECT_GE(kDefaultTarvikVersion, 0x0000020020110908ull);
    EXPECT_GE(kDefaultSqlServerVersion, 0x09000000u);
}
