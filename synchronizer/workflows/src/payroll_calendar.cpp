// The payroll calendars of the current period's year, each sent with all its days.

#include "quelta/workflows/payroll_calendar.h"

#include "common/sql_text.h"
#include "quelta/portal/endpoint.h"
#include "quelta/workflows/record_fill.h"
#include "quelta/workflows/synch_sql.h"
#include "quelta/workflows/workflow_synch.h"

#include <memory>

namespace quelta {

namespace {

constexpr const char* kCalendarsList = "Mzdové kalendáře";

//! A calendar from its row; a NULL ID or year is a conversion error.
constexpr ColumnBinding kCalendar[] = {
    {"calendarNumber", "Cislo", ColumnRead::Lenient},
    {"calendarSystemNumber", "ID"},
    {"erpPk", "ID"},
    {"year", "Rok"},
};

//! A day of a calendar; a NULL number of hours is a conversion error.
constexpr ColumnBinding kDay[] = {
    {"day", "Datum"},
    {"dayType", "TypDne", ColumnRead::Lenient},
    {"holidayType", "Svatek", ColumnRead::Lenient},
    {"hours", "PocetHodin"},
};

std::string calendarsQuery() {
    return "SELECT ID, Cislo, Rok FROM TabMzKalendar" + std::string(CR) +
           "WHERE Rok = (SELECT Rok FROM TabMzdObd WHERE Stav = 1) -- Rok aktualneho obdobia";
}

std::string daysQuery(const std::string& calendarId) {
    return "SELECT d.Datum, CAST(d.TypDne AS NVARCHAR(1)) AS TypDne, CAST(d.Svatek AS NVARCHAR(1)) AS "
           "Svatek, "
           "d.PocetHodin" +
           std::string(CR) + "FROM TabMzKalendarDny d" + std::string(CR) +
           "WHERE d.IDKalendar = " + calendarId;
}

} // namespace

TQUELTAPayrollCalendar::TQUELTAPayrollCalendar(RunContext& context, RpcKvaEndpoint& service)
    : context_(context)
    , service_(service)
    , progress_(context) {}

void TQUELTAPayrollCalendar::Upload() {
    TDBConnector& calendars = context_.connector;
    calendars.SQLExec(calendarsQuery());
    if (!progress_.StartOrTellNothing(kCalendarsList, calendars.RecordCount())) return;

    const std::unique_ptr<TDBConnector> days = context_.NewConnector();
    for (; !calendars.Eof(); calendars.Next()) {
        soap::Record calendar = NewRecord("PayrollCalendarDto");
        FillFromRow(calendar, calendars, kCalendar);
        days->SQLExec(daysQuery(SqlInteger(calendars.FieldAsInteger("ID"))));
        if (!days->Eof()) {
            soap::Array array(*calendar.type().find("days")->type.array);
            array.items().reserve(days->RecordCount());
            for (; !days->Eof(); days->Next()) {
                soap::Record day = NewRecord("PayrollCalendarDayDto");
                FillFromRow(day, *days, kDay);
                array.add(soap::Value(std::move(day)));
            }
            calendar.set("days", soap::Value(std::move(array)));
        }
        days->Close();
        service_.saveOrUpdateByDto(calendar, calendar.getString("erpPk"));
        progress_.Step();
    }
    calendars.SQLExec(
        "UPDATE TabQUELTANastaveniSynchronizace SET CommitNumber = 0, DatumSynchronizace = GETDATE() "
        "WHERE Kod LIKE 'payrollcalendar' SELECT 1");
    calendars.Close();
}

void TWorkflowSynch::PayrollCalendar() {
    TQUELTAPayrollCalendar(Context(), Service()).Upload();
}

} // namespace quelta
