#include "quelta/synch.h"

#include "quelta/errors.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace quelta {

namespace {

// A value that fits the host's INT columns.
bool isInteger(std::string_view s) {
    if (s.size() > 1 && s.front() == '+' && s[1] != '-') s.remove_prefix(1);
    std::int64_t n = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size() &&
           n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max();
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

CommandLine CommandLine::FromArguments(int argc, const char* const* argv) {
    CommandLine c;
    std::string* fields[] = {&c.method, &c.server, &c.database, &c.list, &c.showFlag, &c.entityId};
    for (int i = 1; i < argc && i <= 6; ++i)
        *fields[i - 1] = argv[i] ? argv[i] : "";
    return c;
}

const std::array<SynchMethod, 13> kSynchMethods = {{
    {"upload", "UploadToPortal", EntityIdFormat::None,
     [](TSynch& s, const CommandLine& a) { s.UploadToPortal(a.list); }},
    {"download", "DownloadEmployeesFromPortal", EntityIdFormat::None,
     [](TSynch& s, const CommandLine&) { s.DownloadEmployeesFromPortal(); }},
    {"save", "SaveEmployeeToPortal", EntityIdFormat::Integer,
     [](TSynch& s, const CommandLine& a) { s.SaveEmployeeToPortal(a.entityId); }},
    {"checkifdownloaded", "CheckIfEmployeesAreDownloaded", EntityIdFormat::None,
     [](TSynch& s, const CommandLine&) { s.CheckIfEmployeesAreDownloaded(); }},
    {"sendwageslip", "SendWageSlip", EntityIdFormat::IntegerList,
     [](TSynch& s, const CommandLine& a) { s.SendWageSlip(a.entityId); }},
    {"lockperiod", "LockUnlockCurrentPeriod", EntityIdFormat::None,
     [](TSynch& s, const CommandLine&) { s.LockUnlockCurrentPeriod(); }},
    {"payrollcomponents", "PayrollComponents", EntityIdFormat::None,
     [](TSynch& s, const CommandLine&) { s.PayrollComponents(); }},
    {"preprocess", "Preprocess", EntityIdFormat::None, [](TSynch& s, const CommandLine&) { s.Preprocess(); }},
    {"record", "Records", EntityIdFormat::None, [](TSynch& s, const CommandLine&) { s.Records(); }},
    {"cashincome", "CashIncome", EntityIdFormat::None, [](TSynch& s, const CommandLine&) { s.CashIncome(); }},
    {"payrollcalendar", "PayrollCalendar", EntityIdFormat::None,
     [](TSynch& s, const CommandLine&) { s.PayrollCalendar(); }},
    {"travelorderupload", "TravelOrderUpload", EntityIdFormat::Integer,
     [](TSynch& s, const CommandLine& a) { s.TravelOrderUpload(a.entityId); }},
    {"travelorderdownload", "TravelOrderDownload", EntityIdFormat::None,
     [](TSynch& s, const CommandLine&) { s.TravelOrderDownload(); }},
}};

TSynch::TSynch(RunContext& context)
    : context_(context) {
    auto& c = context_.connector;
    c.SQLExec("SELECT TOP 1 Legislativa FROM TabHGlob");
    legislation_ = c.FieldAsInteger("Legislativa") == 1 ? "SK" : "CZ";
    c.Close();
}

RpcKvaEndpoint& TSynch::Service() const {
    if (!context_.service)
        throw EQueltaError("Klient služby portálu není v této verzi programu Quelta k dispozici.");
    return *context_.service;
}

void TSynch::NotAvailable(std::string_view operation) const {
    throw EQueltaError("Metoda " + std::string(operation) +
                       " není v této verzi programu Quelta k dispozici.");
}

void TSynch::UploadToPortal(const std::string&) {
    NotAvailable("UploadToPortal");
}
void TSynch::DownloadEmployeesFromPortal() {
    NotAvailable("DownloadEmployeesFromPortal");
}
void TSynch::SaveEmployeeToPortal(const std::string&) {
    NotAvailable("SaveEmployeeToPortal");
}
void TSynch::CheckIfEmployeesAreDownloaded() {
    NotAvailable("CheckIfEmployeesAreDownloaded");
}
void TSynch::SendWageSlip(const std::string&) {
    NotAvailable("SendWageSlip");
}
void TSynch::LockUnlockCurrentPeriod() {
    NotAvailable("LockUnlockCurrentPeriod");
}
void TSynch::PayrollComponents() {
    NotAvailable("PayrollComponents");
}
void TSynch::Preprocess() {
    NotAvailable("Preprocess");
}
void TSynch::Records() {
    NotAvailable("Records");
}
void TSynch::CashIncome() {
    NotAvailable("CashIncome");
}
void TSynch::PayrollCalendar() {
    NotAvailable("PayrollCalendar");
}
void TSynch::TravelOrderUpload(const std::string&) {
    NotAvailable("TravelOrderUpload");
}
void TSynch::TravelOrderDownload() {
    NotAvailable("TravelOrderDownload");
}

const SynchMethod* FindSynchMethod(std::string_view method) {
    for (const auto& m : kSynchMethods)
        if (m.name == method) return &m;
    return nullptr;
}

void ValidateEntityId(EntityIdFormat format, std::string_view value) {
    switch (format) {
    case EntityIdFormat::None:
        return;
    case EntityIdFormat::Integer:
        if (!isInteger(trimmed(value)))
            throw EQueltaError("Chybný identifikátor záznamu (6. parametr): '" + std::string(value) +
                               "'. Očekáváno celé číslo.");
        return;
    case EntityIdFormat::IntegerList: {
        std::string_view rest = value;
        bool ok = true;
        for (;;) {
            const auto comma = rest.find(',');
            ok = ok && isInteger(trimmed(rest.substr(0, comma)));
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 1);
        }
        if (!ok)
            throw EQueltaError("Chybný seznam identifikátorů (6. parametr): '" + std::string(value) +
                               "'. Očekávána celá čísla oddělená čárkou.");
        return;
    }
    }
}

void Dispatch(TSynch& synch, const CommandLine& arguments) {
    const SynchMethod* method = FindSynchMethod(arguments.method);
    if (!method) return;
    ValidateEntityId(method->entityId, arguments.entityId);
    method->invoke(synch, arguments);
}

} // namespace quelta
