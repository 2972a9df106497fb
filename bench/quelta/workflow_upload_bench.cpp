// The employee upload of a demo company (scale 417: about 10,000 employees) against the Portal stand-in on
// 127.0.0.1: quelta runs as a process as the plug-in starts it; a bare client then posts the same Portal
// requests, built beforehand, to a fresh stand-in. Prints records per second, the ratio of Quelta's time per
// Portal call to the bare client's, and Quelta's peak memory at a small and at the large company size.
//
//   quelta_workflow_bench [--scale N] [--small-scale M] [--index-host]

#include "captured_run.h"

#include "quelta/workflows/testing/portal_standin.h"
#include "quelta/workflows/testing/quelta_site.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
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

//! What one upload of employees took.
struct Upload {
    int employees = 0;
    int calls = 0; //!< Portal calls made
    double seconds = 0;
    long maxRssKb = 0;
    double cpuSeconds = 0; //!< quelta's user and system time (0 without /usr/bin/time)
};

int countOf(const Json& records, const std::string& type) {
    return static_cast<int>(std::count_if(records.begin(), records.end(),
                                          [&](const Json& r) { return r.value("$type", "") == type; }));
}

//! The request bodies of the same upload run once more inside this process, on a fresh copy of the host and a
//! fresh stand-in.
std::vector<std::string> captureRequests(int scale, const std::vector<std::string>& indexes) {
    quelta::testing::PortalStandin portal;
    quelta::testing::QueltaSite site({.scale = scale, .portalUrl = portal.Url()});
    for (const auto& index : indexes)
        site.Host().Exec(index);
    quelta::CommandLine command;
    command.method = "upload";
    command.server = site.Server();
    command.database = "Tarvik";
    command.list = "employee";
    command.showFlag = "1";
    return bench_quelta::CaptureRequests(site, command);
}

//! "quelta upload <server> Tarvik employee 1" on the site under /usr/bin/time, whose own small footprint is
//! all its child inherits: a process spawned straight from the benchmark starts with the benchmark's resident
//! size as its peak. Without /usr/bin/time the run is direct and its peak an upper bound. `cpuSeconds` gets
//! quelta's user and system time, which the load of a shared machine moves less than the elapsed time.
quelta::testing::ProcessOutcome peakMeasured(quelta::testing::QueltaSite& site, double& cpuSeconds) {
    const std::filesystem::path time = "/usr/bin/time";
    if (!std::filesystem::exists(time)) return site.Quelta("upload", "employee");
    const auto peakFile = site.Folder() / "peak.txt";
    const std::vector<std::string> argv = {
        time,     "-f",          "%M %U %S", "-o",       peakFile, quelta::testing::QueltaExecutable(),
        "upload", site.Server(), "Tarvik",   "employee", "1"};
    auto outcome =
        quelta::testing::RunProcess(argv, {"QUELTA_INI=" + (site.Folder() / "Quelta.INI").string(),
                                           "PATH=/usr/bin:/bin", "HOME=" + site.Folder().string()});
    std::ifstream in(peakFile);
    // The last line is "PEAK USER SYSTEM" (a line before it may tell a non-zero exit status).
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        long peak = 0;
        double user = 0, system = 0;
        if (fields >> peak >> user >> system) {
            outcome.maxRssKb = peak;
            cpuSeconds = user + system;
        }
    }
    return outcome;
}

Upload uploadEmployees(int scale, const std::vector<std::string>& indexes) {
    quelta::testing::PortalStandin portal;
    quelta::testing::QueltaSite site({.scale = scale, .portalUrl = portal.Url()});
    for (const auto& index : indexes)
        site.Host().Exec(index);
    double cpuSeconds = 0;
    const auto outcome = peakMeasured(site, cpuSeconds);
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
    u.cpuSeconds = cpuSeconds;
    return u;
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
        const double bare = bench_quelta::BareSeconds(requests);
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
        if (large.cpuSeconds > 0)
            std::printf("CPU time of quelta: %.1f s, %.0f us per employee\n", large.cpuSeconds,
                        large.cpuSeconds / large.employees * 1e6);
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
