// The batches that fetch an employee's extras in one round trip, against the host statements they join.

#include "quelta/workflows/employee_mapper.h"
#include "quelta/workflows/employee_queries.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace quelta;

namespace {

using Statement = std::vector<std::string>; //!< lines, separated by CR in a batch

//! The current period and the employee, at the start of the family-member and calendar statements.
Statement extrasPrefix(const std::string& id) {
    return {"DECLARE @IdObdobi INT", "DECLARE @ZamestnanecId INT",
            "SET @IdObdobi = (SELECT IdObdobi FROM TabMzdObd WHERE Stav = 1) -- aktualni obdobi",
            "SET @ZamestnanecId = " + id};
}

Statement familyMembers(const std::string& id) {
    Statement s = extrasPrefix(id);
    s.insert(s.end(), {"SELECT RodneCislo, DatumNarozeni, ZamestnanecId, Vztah, Jmeno, Prijmeni",
                       "FROM TabZamRPr", "WHERE IdObdobi = @IdObdobi AND ZamestnanecId = @ZamestnanecId"});
    return s;
}

Statement calendarAssignment(const std::string& id) {
    Statement s = extrasPrefix(id);
    s.insert(s.end(),
             {"SELECT kal.ID AS IDKalendara, kalzam.ID AS IDKalendaraZam, DruhKalendare, RokKalendare FROM "
              "TabZamMzd mzd",
              "INNER JOIN TabMzKalendar kal ON kal.Rok  = mzd.RokKalendare AND kal.Cislo = mzd.DruhKalendare",
              "INNER JOIN TabMzKalendarZam kalzam ON kalzam.Rok  = mzd.RokKalendare AND kalzam.Cislo = "
              "mzd.DruhKalendare AND kalzam.ZamestnanecId = mzd.ZamestnanecId",
              "WHERE mzd.ZamestnanecId = @ZamestnanecId AND mzd.IdObdobi = @IdObdobi"});
    return s;
}

Statement previousSurnames(const std::string& id) {
    return {
        "DECLARE @IDZam INT",
        "DECLARE @Prijmeni NVARCHAR(20)",
        "DECLARE @DrivejsiPrijmeni NVARCHAR(40)",
        "SET @IDZam = " + id,
        "SET @DrivejsiPrijmeni = ''",
        "DECLARE c CURSOR LOCAL FAST_FORWARD FOR",
        "SELECT Prijmeni",
        "FROM TabZamJme",
        "WHERE ZamestnanecId = @IDZam",
        "ORDER BY Poradi",
        "OPEN c",
        "WHILE 1=1 BEGIN",
        "FETCH NEXT FROM c INTO @Prijmeni",
        "IF @@FETCH_STATUS <> 0 BREAK",
        "SET @DrivejsiPrijmeni = @DrivejsiPrijmeni + ', ' + @Prijmeni",
        "END",
        "DEALLOCATE c",
        "SELECT RTRIM(LTRIM(SUBSTRING(@DrivejsiPrijmeni, 2, LEN(@DrivejsiPrijmeni)))) AS DrivejsiPrijmeni"};
}

Statement taxReliefs(const std::string& id) {
    return {
        "DECLARE @IdObdobi INT",
        "DECLARE @IDZam INT",
        "DECLARE @Symbol NVARCHAR(10)",
        "DECLARE @Castka NUMERIC(19,6)",
        "SET @IdObdobi = (SELECT IdObdobi FROM TabMzdObd WHERE Stav = 1) -- aktualni obdobi",
        "SET @IDZam = " + id,
        "SELECT polmzd.Symbol, SUM(pol.CastkaMesic) AS Castka",
        "FROM TabMzdOdpPolMzd polmzd",
        "LEFT OUTER JOIN TabMzdOdpPol pol ON polmzd.Symbol = pol.Symbol AND polmzd.IdObdobi = pol.IdObdobi",
        "WHERE polmzd.IdObdobi = @IDObdobi AND polmzd.ZamestnanecID = @IDZam",
        "GROUP BY polmzd.Symbol"};
}

//! The statements as one batch, one line per row: a variable is declared and set once per batch, so a
//! DECLARE or SET line that an earlier statement of the batch already holds is left out.
std::string joined(const std::vector<Statement>& statements) {
    std::string out;
    std::set<std::string> seen;
    for (const Statement& statement : statements) {
        for (const std::string& line : statement) {
            const bool sharedSetup = line.starts_with("DECLARE @") || line.starts_with("SET @");
            if (sharedSetup && !seen.insert(line).second) continue;
            out += line + "\n";
        }
    }
    return out;
}

//! A batch with CR shown as a line feed.
std::string readable(std::string text) {
    for (char& c : text)
        if (c == '\r') c = '\n';
    return text + "\n";
}

TEST(EmployeeBatches, AreTheHostStatementsInOrderWithTheEmployeeFilledIn) {
    struct Case {
        const char* name;
        std::string (*batch)(std::int32_t);
        std::vector<Statement (*)(const std::string&)> statements;
    };
    const Case cases[] = {
        {"extras", EmployeeExtrasBatch, {familyMembers, calendarAssignment}},
        {"previous surnames", PreviousSurnamesBatch, {previousSurnames}},
        {"previous surnames and tax reliefs",
         PreviousSurnamesAndTaxReliefsBatch,
         {previousSurnames, taxReliefs}},
    };
    for (const Case& c : cases) {
        for (const std::int32_t id : {4711, -3}) {
            SCOPED_TRACE(std::string(c.name) + ", employee " + std::to_string(id));
            std::vector<Statement> statements;
            for (const auto& statement : c.statements)
                statements.push_back(statement(std::to_string(id)));
            const std::string batch = c.batch(id);
            EXPECT_EQ(batch.find('\n'), std::string::npos) << "lines are separated by CR alone";
            EXPECT_EQ(readable(batch), joined(statements));
        }
    }
}

} // namespace
