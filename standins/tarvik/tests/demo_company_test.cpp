#include "standins/tarvik/demo_company.h"
#include "standins/tarvik/wage_slip_pdf.h"

#include "schema_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <stdexcept>

using namespace standins::tarvik;
using platform::db::Value;

namespace {

const DemoCompany& czech() {
    static const auto company = generateDemoCompany();
    return company;
}

const DemoCompany& slovak() {
    static const auto company = generateDemoCompany({.seed = 2013, .slovak = true, .scale = 1});
    return company;
}

std::string key(const DemoRow& row, const std::string& columns) {
    std::string out;
    std::istringstream names(columns);
    for (std::string name; names >> name;)
        out += renderValue(*row.field(name)) + "|";
    return out;
}

//! Rows of a table inside one batch.
std::vector<const DemoRow*> rowsIn(const DemoBatch& batch, std::string_view table) {
    std::vector<const DemoRow*> out;
    for (const auto& s : batch.statements)
        if (const auto* row = std::get_if<DemoRow>(&s); row && row->table == table) out.push_back(row);
    return out;
}

std::size_t characters(const std::string& utf8) {
    return std::size_t(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

int count(const DemoCompany& company, std::string_view table, std::string_view column, const Value& value) {
    int n = 0;
    for (const auto* row : company.rows(table))
        if (row->value(column) == value) ++n;
    return n;
}

} // namespace

TEST(DemoCompany, SameSeedSameCompanyOtherSeedOtherPeople) {
    EXPECT_EQ(renderBatches(generateDemoCompany({.seed = 7})),
              renderBatches(generateDemoCompany({.seed = 7})));
    EXPECT_NE(renderBatches(generateDemoCompany({.seed = 7})),
              renderBatches(generateDemoCompany({.seed = 8})));
}

TEST(DemoCompany, ScalesItsEmployees) {
    EXPECT_EQ(czech().rows("TabCisZam").size(), std::size_t(kDemoEmployeesPerScale + 1));
    const auto bigger = generateDemoCompany({.scale = 3});
    EXPECT_EQ(bigger.rows("TabCisZam").size(), std::size_t(3 * kDemoEmployeesPerScale + 1));
    EXPECT_THROW(generateDemoCompany({.scale = 0}), std::invalid_argument);
}

TEST(DemoCompany, SingleRowsTheHostAssumes) {
    struct Case {
        const DemoCompany& company;
        long long legislation;
        const char* mainCurrency;
        const char* ownCountry;
    };
    for (const auto& c : {Case{czech(), 0, "CZK", "CZ"}, Case{slovak(), 1, "EUR", "SK"}}) {
        ASSERT_EQ(c.company.rows("TabHGlob").size(), 1u);
        EXPECT_EQ(c.company.rows("TabHGlob")[0]->value("Legislativa"), Value::integer(c.legislation));
        EXPECT_EQ(c.company.rows("TabIHGlob").size(), 1u);
        EXPECT_EQ(count(c.company, "TabMzdObd", "Stav", Value::integer(1)), 1);
        EXPECT_EQ(count(c.company, "TabMzdObd", "Stav", Value::integer(2)), 1);
        EXPECT_EQ(count(c.company, "TabKodMen", "HlavniMena", Value::integer(1)), 1);
        EXPECT_EQ(count(c.company, "TabKodMen", "Kod", Value::text(c.mainCurrency)), 1);
        for (const auto* row : c.company.rows("TabKodMen"))
            EXPECT_EQ(row->value("HlavniMena") == Value::integer(1),
                      row->value("Kod") == Value::text(c.mainCurrency));
        for (const auto* row : c.company.rows("TabZeme"))
            EXPECT_EQ(row->value("Vlastni") == Value::integer(1),
                      row->value("ISOKod") == Value::text(c.ownCountry));
    }
}

TEST(DemoCompany, KeysAreUnique) {
    const std::pair<const char*, const char*> keys[] = {
        {"TabCisZam", "Cislo"},
        {"TabCisZam", "RodneCislo"},
        {"TabMzdObd", "IdObdobi"},
        {"TabMzdObd", "Rok Mesic"},
        {"TabZeme", "ISOKod"},
        {"TabStrom", "Cislo"},
        {"TabNakladovyOkruh", "Cislo"},
        {"TabZakazka", "CisloZakazky"},
        {"TabKodMen", "Kod"},
        {"TabINaklKod", "Kod"},
        {"TabProfes", "Cislo"},
        {"TabIVozidlo", "SPZZobraz"},
        {"TabPSC", "Cislo"},
        {"TabCisMzSl", "IdObdobi CisloMzSl"},
        {"TabSkupMS", "IdObdobi SkupinaMS"},
        {"TabZdrPoj", "IdObdobi Kod"},
        {"TabMzRadyOsCisel", "Rada"},
        {"TabObecnyPrehled", "Cislo"},
        {"TabZamRPr", "RodneCislo"},
        {"TabICestak", "CisDok"},
        {"TabKurzList", "Mena Datum"},
        {"TabPenezniUstavy", "KodUstavu"},
    };
    for (const auto* company : {&czech(), &slovak()})
        for (const auto& [table, columns] : keys) {
            std::set<std::string> seen;
            for (const auto* row : company->rows(table))
                EXPECT_TRUE(seen.insert(key(*row, columns)).second) << table << " " << key(*row, columns);
        }
}

TEST(DemoCompany, UserBrowsesHaveTheirViews) {
    const auto batches = renderBatches(czech());
    ASSERT_FALSE(czech().rows("TabObecnyPrehled").empty());
    for (const auto* browse : czech().rows("TabObecnyPrehled")) {
        const auto create = "CREATE VIEW dbo." + browse->value("NazevSys").asText() + " AS\n";
        EXPECT_EQ(std::count_if(batches.begin(), batches.end(),
                                [&](const std::string& b) {
                                    const auto at = b.find(create);
                                    // CREATE VIEW must open its batch: only the title comment may precede it.
                                    return at != std::string::npos && b.rfind("\n", at - 1) == b.find('\n');
                                }),
                  1)
            << create;
    }
}

TEST(DemoCompany, CalendarsHoldEveryDayOfTheYearOnce) {
    struct Expected {
        const DemoCompany& company;
        long long year;
        long long number;
        std::size_t days;
        long long hours;
    };
    // 2013 had 252 working days in the Czech Republic and 250 in Slovakia; 2012 had 252 Czech ones.
    const Expected expected[] = {
        {czech(), 2013, 1, 365, 252 * 8}, {czech(), 2013, 2, 365, 252 * 6},  {czech(), 2012, 1, 366, 252 * 8},
        {czech(), 2013, 3, 0, 0},         {slovak(), 2013, 1, 365, 250 * 8},
    };
    for (const auto& e : expected) {
        bool found = false;
        for (const auto& batch : e.company.batches) {
            const auto calendars = rowsIn(batch, "TabMzKalendar");
            if (calendars.size() != 1 || calendars[0]->value("Rok") != Value::integer(e.year) ||
                calendars[0]->value("Cislo") != Value::integer(e.number))
                continue;
            found = true;
            const auto days = rowsIn(batch, "TabMzKalendarDny");
            ASSERT_EQ(days.size(), e.days) << e.year << "/" << e.number;
            long long hours = 0;
            std::set<double> dates;
            for (const auto* day : days) {
                dates.insert(day->value("Datum").asDateTime());
                hours += day->value("PocetHodin").asInt();
            }
            EXPECT_EQ(dates.size(), e.days);
            if (!dates.empty()) {
                EXPECT_EQ(*dates.begin(), double(common::DaysFromCivil(int(e.year), 1, 1)));
                EXPECT_EQ(*dates.rbegin(), double(common::DaysFromCivil(int(e.year), 12, 31)));
            }
            EXPECT_EQ(hours, e.hours) << e.year << "/" << e.number;
        }
        EXPECT_TRUE(found) << e.year << "/" << e.number;
    }
}

TEST(DemoCompany, ChristmasAndWeekendsAreMarked) {
    std::map<double, const DemoRow*> days;
    for (const auto& batch : czech().batches) {
        const auto calendars = rowsIn(batch, "TabMzKalendar");
        if (calendars.size() == 1 && calendars[0]->value("Rok") == Value::integer(2013) &&
            calendars[0]->value("Cislo") == Value::integer(1))
            for (const auto* day : rowsIn(batch, "TabMzKalendarDny"))
                days[day->value("Datum").asDateTime()] = day;
    }
    struct Day {
        int month;
        int day;
        const char* type;
        const char* holiday;
        long long hours;
    };
    const Day cases[] = {{12, 25, "P", "A", 0}, {12, 27, "P", "N", 8}, {12, 28, "S", "N", 0},
                         {12, 29, "N", "N", 0}, {4, 1, "P", "A", 0},   {3, 29, "P", "N", 8}};
    for (const auto& c : cases) {
        const auto* row = days.at(double(common::DaysFromCivil(2013, c.month, c.day)));
        EXPECT_EQ(row->value("TypDne"), Value::text(c.type)) << c.month << "/" << c.day;
        EXPECT_EQ(row->value("Svatek"), Value::text(c.holiday)) << c.month << "/" << c.day;
        EXPECT_EQ(row->value("PocetHodin"), Value::integer(c.hours)) << c.month << "/" << c.day;
    }
}

TEST(DemoCompany, WageSlipsMatchDecemberResultsExceptTwo) {
    std::set<std::string> files;
    for (const auto& f : czech().wageSlips)
        EXPECT_TRUE(files.insert(f.name).second) << f.name;
    int withoutFile = 0, decemberResults = 0;
    for (const auto& batch : czech().batches) {
        const auto employee = rowsIn(batch, "TabCisZam");
        if (employee.size() != 1) continue;
        const auto number = employee[0]->value("Cislo").asInt();
        for (const auto* result : rowsIn(batch, "TabZamVyp")) {
            if (result->value("IdObdobi") != Value::integer(12)) continue;
            ++decemberResults;
            if (!files.count(wageSlipFileName(number, 12, 2013))) ++withoutFile;
        }
    }
    EXPECT_EQ(withoutFile, 2);
    EXPECT_GT(decemberResults, 10);
    EXPECT_TRUE(files.count("234567122013.PDF"));
    EXPECT_EQ(std::count_if(files.begin(), files.end(), [](const auto& n) { return n.find("112013") == 6; }),
              2);
    for (const auto& f : czech().wageSlips) {
        EXPECT_EQ(f.content.rfind("%PDF-", 0), 0u) << f.name;
        EXPECT_EQ(f.content.substr(f.content.size() - 6), "%%EOF\n") << f.name;
    }
}

TEST(DemoCompany, RowsFitTheHostSchema) {
    static const std::regex kWidth("N?(VAR)?CHAR\\((\\d+)\\)");
    auto tables = schema_reader::createdTables();
    for (const auto* company : {&czech(), &slovak()}) {
        // Extension columns come from the hp_ExterniTabulka calls of the first batch.
        for (const auto& s : company->batches.front().statements) {
            std::smatch m;
            const auto text = std::get<std::string>(s);
            ASSERT_TRUE(std::regex_search(text, m, std::regex("N'(\\w+)', N'(\\w+)', N'([^']+)'")));
            auto& ext = tables[schema_reader::upper(m[1].str() + "_EXT")];
            ext["ID"] = "ID INT NOT NULL";
            ext[schema_reader::upper(m[2])] = m[3].str() + " NULL";
        }
        for (const auto& batch : company->batches)
            for (const auto& s : batch.statements) {
                const auto* row = std::get_if<DemoRow>(&s);
                if (!row) continue;
                const auto table = tables.find(schema_reader::upper(row->table));
                ASSERT_NE(table, tables.end()) << row->table;
                for (const auto& [column, value] : row->fields) {
                    const auto definition = table->second.find(schema_reader::upper(column));
                    ASSERT_NE(definition, table->second.end()) << row->table << "." << column;
                    std::smatch width;
                    const auto* literal = std::get_if<Value>(&value);
                    if (literal && literal->kind() == platform::db::ValueKind::Text &&
                        std::regex_search(definition->second, width, kWidth)) {
                        EXPECT_LE(characters(literal->asText()), std::stoul(width[2]))
                            << row->table << "." << column << " = " << literal->asText();
                    }
                }
                for (const auto& [column, definition] : table->second) {
                    const bool required = definition.find("NOT NULL") != std::string::npos &&
                                          definition.find("DEFAULT") == std::string::npos &&
                                          definition.find("IDENTITY") == std::string::npos;
                    if (!required) continue;
                    bool given = false;
                    for (const auto& field : row->fields)
                        given |= schema_reader::upper(field.first) == column;
                    EXPECT_TRUE(given) << row->table << "." << column << " is required";
                }
            }
    }
}

struct RenderCase {
    DemoValue value;
    const char* sql;
};

TEST(DemoRender, WritesTSqlLiterals) {
    const RenderCase cases[] = {
        {Value::null(), "NULL"},
        {Value::integer(-42), "-42"},
        {Value::decimal("1234.50"), "1234.50"},
        {Value::text("O'Brien"), "N'O''Brien'"},
        {Value::text("Žluťoučký"), "N'Žluťoučký'"},
        {Value::dateTime(common::EncodeDateTime({2013, 12, 1})), "'20131201'"},
        {Value::dateTime(common::EncodeDateTime({2013, 12, 1, 8, 30, 5})), "'20131201 08:30:05.000'"},
        {Value::bytes({0x0A, 0xFF}), "0x0AFF"},
        {SqlExpr{"SUSER_SNAME()"}, "SUSER_SNAME()"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(renderValue(c.value), c.sql);
}

TEST(DemoRender, BatchDeclaresAndCapturesIdentities) {
    DemoBatch batch{"Test", {"@ID INT"}, {}};
    batch.statements.emplace_back(DemoRow{"TabZeme", {{"ISOKod", Value::text("CZ")}}, "@ID"});
    batch.statements.emplace_back(std::string("EXEC dbo.hpi_VypoctiDiety @ID"));
    EXPECT_EQ(renderBatch(batch), "-- Test\n"
                                  "DECLARE @ID INT\n"
                                  "INSERT INTO dbo.TabZeme (ISOKod) VALUES (N'CZ')\n"
                                  "SET @ID = SCOPE_IDENTITY()\n"
                                  "EXEC dbo.hpi_VypoctiDiety @ID\n");
}
