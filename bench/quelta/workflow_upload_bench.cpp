// The employee upload of a demo company (scale 417: about 10,000 employees) against the Portal stand-in on
// 127.0.0.1: quelta runs as a process as the plug-in starts it; a bare client then posts the same Portal
// requests, built beforehand, to a fresh stand-in. Prints records per second, the ratio of Quelta's time per
// Portal call to the bare client's, and Quelta's peak memory at a small and at the large company size.
//
//   quelta_workflow_bench [--scale N] [--small-scale M] [--index-host]

#include "bare_post.h"

#include "platform/soap/http_transport.h"
#include "quelta/portal/endpoint.h"
#include "quelta/run.h"
#include "quelta/workflows/testing/portal_standin.h"
#include "quelta/workflows/testing/quelta_site.h"
#include "quelta/workflows/workflow_synch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

//! Indexes a production host has on the columns the employee queries look employees up by; the host stand-in
//! creates none (--index-host adds them).
const char* const kForeignKeyIndexes[] = {
    "CREATE INDEX IX_TabZamMzd_Zam ON TabZamMzd (ZamestnanecID, IdObdobi)",
    "CREATE INDEX IX_TabZamRPr_Zam ON TabZamRPr (ZamestnanecId, IdObdobi)",
    "CREATE INDEX IX_TabZamJme_Zam ON TabZamJme (ZamestnanecId)",
    "CREATE INDEX IX_TabMzdOdpPolMzd_Zam ON TabMzdOdpPolMzd (ZamestnanecID, IdObdobi)",
    "CREATE INDEX IX_TabMzKalendarZam_Zam ON TabMzKalendarZam (ZamestnanecId, Rok, Cislo)",
    "CREATE INDEX IX_TabBankSpojeni_Zam ON TabBankSpojeni (IDZam)",
    "CREATE INDEX IX_TabKontakty_Zam ON TabKontakty (IDCisZam)",
    "CREATE INDEX IX_TabDuchod_Zam ON TabDuchod (ZamestnanecID)",
    "CREATE INDEX IX_TabZamPer_Zam ON TabZamPer (ZamestnanecId, IdObdobi)",
    "CREATE INDEX IX_TabMzPaus_Zam ON TabMzPaus (ZamestnanecId, IdObdobi)",
    "CREATE INDEX IX_TabObsazeniPracovnichPozic_Zam ON TabObsazeniPracovnichPozic (IDZam)",
    "CREATE INDEX IX_TabZamDan_Zam ON TabZamDan (ZamestnanecId)",
};

using Json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;

//! What one upload of employees took.
struct Upload {
    int employees = 0;
    int calls = 0; //!< Portal calls made
    double seconds = 0;
    long maxRssKb = 0;
};

int countOf(const Json& records, const std::string& type) {
    return static_cast<int>(std::count_if(records.begin(), records.end(),
                                          [&](const Json& r) { return r.value("$type", "") == type; }));
}

//! Message boxes and panes go nowhere: the upload runs silently.
class NoWindows : public quelta::UserInterface {
public:
    void ShowMessage(const std::string& text) override { throw std::runtime_error("message: " + text); }
    std::unique_ptr<quelta::ProgressPane> CreateProgressPane() override { return nullptr; }
    std::optional<quelta::LoginAnswer> Ask(const std::string&) override { return std::nullopt; }
};

//! The request bodies the Portal client sends for the upload, in order: the same upload run once more inside
//! this process, on a fresh copy of the host and a fresh stand-in, through a transport that keeps each body.
std::vector<std::string> captureRequests(int scale, const std::vector<std::string>& indexes) {
    quelta::testing::PortalStandin portal;
    quelta::testing::QueltaSite site({.scale = scale, .portalUrl = portal.Url()});
    for (const auto& index : indexes)
        site.Host().Exec(index);
    platform::soap::HttpTransport transport;
    std::vector<std::string> bodies;
    quelta::RunEnvironment environment;
    NoWindows ui;
    environment.ui = &ui;
    environment.iniPath = site.Folder() / "Quelta.INI";
    environment.synchFactory = quelta::WorkflowSynchFactory();
    environment.endpointFactory = [&](const quelta::PortalSettings& settings) {
        return quelta::CreateRpcKvaEndpoint(
            [&, url = settings.url](std::string_view body) {
                bodies.emplace_back(body);
                return transport.post(url, body,
                                      {{"Content-Type", "text/xml; charset=utf-8"}, {"SOAPAction", "\"\""}});
            },
            settings.url);
    };
    quelta::CommandLine command;
    command.method = "upload";
    command.server = "LOCAL";
    command.database = "Tarvik";
    command.list = "employee";
    command.showFlag = "1";
    quelta::Run(command, environment);
    for (const auto& line : site.Journal())
        if (line.rfind("0|", 0) == 0) throw std::runtime_error("the captured upload failed: " + line);
    return bodies;
}

Upload uploadEmployees(int scale, const std::vector<std::string>& indexes) {
    quelta::testing::PortalStandin portal;
    quelta::testing::QueltaSite site({.scale = scale, .portalUrl = portal.Url()});
    for (const auto& index : indexes)
        site.Host().Exec(index);
    const auto outcome = site.Quelta("upload", "employee");
    for (const auto& line : site.Journal())
        if (line.rfind("0|", 0) == 0) throw std::runtime_error("the upload failed: " + line);
    if (!outcome.err.empty()) throw std::runtime_error("the upload said: " + outcome.err);
    Upload u;
    const Json stored = portal.Records();
    u.employees = countOf(stored, "EmployeeDto");
    for (const auto& [operation, count] : portal.Calls())
        u.calls += count;
    u.seconds = outcome.seconds;
    u.maxRssKb = outcome.maxRssKb;
    return u;
}

//! Seconds the bare client takes for the requests against a fresh stand-in.
double bareSeconds(const std::vector<std::string>& requests) {
    quelta::testing::PortalStandin portal;
    bench_portal::BarePost bare(portal.Url(), requests.front());
    const auto start = Clock::now();
    for (const std::string& body : requests)
        bare.Post(body);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    int scale = 417, smallScale = 42;
    std::vector<std::string> indexes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale" && i + 1 < argc)
            scale = std::atoi(argv[++i]);
        else if (arg == "--small-scale" && i + 1 < argc)
            smallScale = std::atoi(argv[++i]);
        else if (arg == "--index-host")
            indexes.assign(std::begin(kForeignKeyIndexes), std::end(kForeignKeyIndexes));
    }
    ::setenv("QUELTA_EXE", QUELTA_EXE_PATH, 0);
    try {
        std::printf("Demo companies of scale %d and %d with the plug-in installed%s...\n", smallScale, scale,
                    indexes.empty() ? "" : " and the employee lookup indexes of a production host");
        std::fflush(stdout);
        const Upload small = uploadEmployees(smallScale, indexes);
        const Upload large = uploadEmployees(scale, indexes);
        const std::vector<std::string> requests = captureRequests(scale, indexes);
        if (static_cast<int>(requests.size()) != large.calls)
            throw std::runtime_error("the captured upload made " + std::to_string(requests.size()) +
                                     " Portal calls, the measured one " + std::to_string(large.calls));
        const double bare = bareSeconds(requests);
        const double perCall = large.seconds / large.calls * 1e6;
        const double barePerCall = bare / static_cast<double>(requests.size()) * 1e6;
        std::printf(
            "employee upload, %d employees, %d Portal calls: %.1f s, %.0f employees/s, %.0f calls/s\n",
            large.employees, large.calls, large.seconds, large.employees / large.seconds,
            large.calls / large.seconds);
        std::printf(
            "per Portal call: quelta %.1f us, bare client with pre-built requests %.1f us, ratio %.3f "
            "(goal <= 1.25)\n",
            perCall, barePerCall, perCall / barePerCall);
        std::printf(
            "peak memory of quelta: %ld kB with %d employees, %ld kB with %d employees (%.1f kB per 1000 "
            "employees)\n",
            small.maxRssKb, small.employees, large.maxRssKb, large.employees,
            static_cast<double>(large.maxRssKb - small.maxRssKb) / (large.employees - small.employees) *
                1000);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
