#include "quelta/workflows/testing/workflow_host.h"

#include "common/sql_text.h"
#include "plugin/core/plg_konfig.h"
#include "plugin/definitions/ddl.h"
#include "plugin/definitions/schema.h"
#include "plugin/definitions/sql_objects.h"
#include "plugin/definitions/views.h"
#include "quelta/db_connector.h"
#include "standins/tarvik/runner.h"
#include "tsql/backend.h"

#include <stdexcept>

namespace quelta::testing {

namespace {

constexpr StagingParam kStagingParams[] = {
    {"Cislo", "NVARCHAR(20)"},
    {"Prijmeni", "NVARCHAR(20)"},
    {"Jmeno", "NVARCHAR(20)"},
    {"TitulPred", "NVARCHAR(15)"},
    {"Obdobi", "INT"},
    {"RodnePrijmeni", "NVARCHAR(20)"},
    {"Pohlavi", "NVARCHAR(10)"},
    {"DatumNarozeni", "DATETIME"},
    {"MistoNarozeni", "NVARCHAR(30)"},
    {"RodneCislo", "NVARCHAR(11)"},
    {"RodinnyStav", "SMALLINT"},
    {"StatniPrislus", "NVARCHAR(3)"},
    {"AdrTrvUlice", "NVARCHAR(30)"},
    {"AdrTrvPopCislo", "NVARCHAR(15)"},
    {"AdrTrvOrCislo", "NVARCHAR(15)"},
    {"AdrTrvPSC", "NVARCHAR(10)"},
    {"AdrTrvZeme", "NVARCHAR(3)"},
    {"AdrPrechUlice", "NVARCHAR(30)"},
    {"AdrPrechPopCislo", "NVARCHAR(15)"},
    {"AdrPrechOrCislo", "NVARCHAR(15)"},
    {"AdrPrechPSC", "NVARCHAR(10)"},
    {"AdrPrechZeme", "NVARCHAR(3)"},
    {"Utvar", "NVARCHAR(30)"},
    {"NakladovyOkruh", "NVARCHAR(15)"},
    {"Zakazka", "NVARCHAR(15)"},
    {"SSN", "NVARCHAR(24)"},
    {"PovoleniKPobytu", "NVARCHAR(30)"},
    {"CisloOP", "NVARCHAR(15)"},
    {"PlatnostOP", "DATETIME"},
    {"CisloPasu", "NVARCHAR(20)"},
    {"PlatnostPasu", "DATETIME"},
    {"DruhDuchodu", "INT"},
    {"DatumNaroku", "DATETIME"},
    {"DrivejsiPrijmeni", "NVARCHAR(40)"},
    {"DatumVznikuPP", "DATETIME"},
    {"DruhPP", "SMALLINT"},
    {"DatumUkonceniPP", "DATETIME"},
    {"ZdravPojistovna", "NVARCHAR(3)"},
    {"DruhMzdyMesHod", "SMALLINT"},
    {"ZakladniPlat", "NUMERIC(19,6)"},
    {"Email", "NVARCHAR(255)"},
    {"Telefon", "NVARCHAR(255)"},
    {"CisloUctu", "NVARCHAR(100)"},
    {"KodUstavu", "NVARCHAR(100)"},
    {"IBANElektronicky", "NVARCHAR(100)"},
    {"PortalID", "INT"},
    {"CommitNumber", "INT"},
    {"Obrazek", "IMAGE"},
};
static_assert(std::size(kStagingParams) == 48);

platform::db::ConnectionDescription description(const std::filesystem::path& file) {
    tsql::registerEmbeddedBackend();
    return standins::tarvik::hostDatabaseDescription(file);
}

} // namespace

std::span<const StagingParam> StagingProcedureParams() {
    return kStagingParams;
}

std::vector<std::string> StagingDoubleBatches() {
    std::string table =
        "CREATE TABLE dbo." + std::string(kStagingCallsTable) + " (ID INT IDENTITY NOT NULL PRIMARY KEY";
    std::string parameters, columns, values;
    for (const StagingParam& p : kStagingParams) {
        table += ",\r  " + std::string(p.name) + " " + std::string(p.type) + " NULL";
        parameters += std::string(parameters.empty() ? "" : ",\r") + "  @" + std::string(p.name) + " " +
                      std::string(p.type);
        columns += std::string(columns.empty() ? "" : ", ") + std::string(p.name);
        values += std::string(values.empty() ? "" : ", ") + "@" + std::string(p.name);
    }
    table += ")";
    return {table, "-- TEST DOUBLE of the plug-in's staging procedure: it records its arguments in " +
                       std::string(kStagingCallsTable) +
                       ".\rCREATE PROCEDURE [dbo].[_HP_QUELTA_NovyZamestnanecZPortalu]\r" + parameters +
                       "\rAS\rINSERT INTO dbo." + std::string(kStagingCallsTable) + " (" + columns +
                       ")\rVALUES (" + values + ")"};
}

void CreateWorkflowHost(const std::filesystem::path& file, const WorkflowHostOptions& options) {
    standins::tarvik::DemoOptions demo;
    demo.slovak = options.slovak;
    demo.scale = options.scale;
    standins::tarvik::createHostDatabase(file, true, demo, options.wageSlipFolder);

    HostDatabase host(file);
    const plugin::TplgSchema& schema = plugin::EfektivniSchema();
    for (int i = schema.PrvniTabulka(); i <= schema.PosledniTabulka(); ++i)
        host.Exec(plugin::TextCreateTable(schema, static_cast<plugin::TplgTabulka>(i)));
    for (const plugin::TplgViewDef& view : plugin::Pohledy().subspan(1))
        host.Exec(plugin::TextCreateView(view));
    host.Exec(plugin::Konfigurace().VlastniInstalacniSkript());
    for (const std::string& batch : StagingDoubleBatches())
        host.Exec(batch);
    // The plug-in's procedures (but the staging procedure, whose double stands in) and the trigger that
    // classifies preprocessing records; the flag and delete-log triggers on host tables are left out.
    for (const plugin::TplgUlozenaProcedura& procedure : plugin::UlozeneProcedury().subspan(1))
        if (plugin::JmenoObjektu(procedure.Text) != "_HP_QUELTA_NovyZamestnanecZPortalu")
            host.Exec(procedure.Text);
    for (const plugin::TplgExterniTrigger& trigger : plugin::ExterniTriggery().subspan(1))
        if (trigger.JmenoTabulky == "TabQUELTAWSPreprocess") host.Exec(trigger.TriggerSkript);
    host.Exec("UPDATE TabQUELTAHGlob SET URL = " + common::SqlNString(options.portalUrl) +
              ", WageSlipPath = " + common::SqlNString(options.wageSlipFolder.string()));
}

HostDatabase::HostDatabase(const std::filesystem::path& file)
    : connection_(platform::db::connect(description(file))) {}

HostDatabase::~HostDatabase() = default;

platform::db::BatchResult HostDatabase::Exec(std::string_view batch) {
    try {
        return connection_->execute(batch);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string(e.what()) + "\nin:\n" + std::string(batch));
    }
}

std::vector<std::string> HostDatabase::Rows(std::string_view batch) {
    const auto result = Exec(batch);
    std::vector<std::string> rows;
    if (result.resultSets.empty()) return rows;
    for (const auto& row : result.resultSets.front().rows()) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) line += "|";
            line += row[i].isNull() ? "NULL" : quelta::ValueAsText(row[i]);
        }
        rows.push_back(line);
    }
    return rows;
}

std::string HostDatabase::Value(std::string_view batch) {
    const auto result = Exec(batch);
    if (result.resultSets.empty() || result.resultSets.front().rowCount() == 0)
        throw std::runtime_error("no value from:\n" + std::string(batch));
    const auto& v = result.resultSets.front().rows().front().front();
    return v.isNull() ? "NULL" : quelta::ValueAsText(v);
}

} // namespace quelta::testing
