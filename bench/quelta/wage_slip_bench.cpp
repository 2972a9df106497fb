// The wage-slip upload against the Portal stand-in on 127.0.0.1: quelta runs "sendwageslip" as a process for
// the December results of a demo company, each with a wage-slip file of about 50 kB; a bare client then posts
// the same Portal requests, built beforehand, to a fresh stand-in. Prints MB/s of PDF content, the ratio of
// Quelta's time to the bare client's, and Quelta's peak memory with a tenth of the files and with all of
// them.
//
//   quelta_wageslip_bench [--files N] [--size BYTES]

#include "captured_run.h"

#include "common/testing/temp_folder.h"
#include "quelta/workflows/testing/portal_standin.h"
#include "quelta/workflows/testing/quelta_site.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

//! Regular demo employees per scale unit; more than two in three have a December result.
constexpr int kEmployeesPerScale = 24;

//! A site whose wage-slip folder holds a file of `size` bytes for each of the first `count` December
//! results; the list of their IDs.
std::string prepare(quelta::testing::QueltaSite& site, int count, std::size_t size) {
    const auto folder = site.Folder() / "slips";
    std::filesystem::create_directories(folder);
    site.Host().Exec("UPDATE TabQUELTAHGlob SET WageSlipPath = N'" + folder.string() + "'");
    const auto rows = site.Host().Rows("SELECT TOP " + std::to_string(count) +
                                       " vyp.ID, zam.Cislo FROM TabZamVyp vyp JOIN TabCisZam zam ON zam.ID = "
                                       "vyp.ZamestnanecId WHERE vyp.IdObdobi = 12 ORDER BY vyp.ID");
    if (static_cast<int>(rows.size()) < count)
        throw std::runtime_error("the demo company has only " + std::to_string(rows.size()) +
                                 " December results");
    std::mt19937 random(7);
    std::string content(size, '\0');
    std::string ids;
    for (const auto& row : rows) {
        const auto bar = row.find('|');
        const std::string number = "000000" + row.substr(bar + 1);
        for (char& c : content)
            c = static_cast<char>(random());
        content.replace(0, 8, "%PDF-1.4");
        std::ofstream(folder / (number.substr(number.size() - 6) + "122013.PDF"), std::ios::binary)
            << content;
        ids += (ids.empty() ? "" : ",") + row.substr(0, bar);
    }
    return ids;
}

//! Runs quelta under /usr/bin/time, which writes its peak resident size in kB to the file. The resource usage
//! that the spawning process gets back counts the high-water mark of the address space quelta was started
//! from, that is this benchmark's own; a small process in between keeps it out.
class PeakMemory {
public:
    PeakMemory()
        : folder_("quelta-wageslip-bench") {
        const auto wrapper = folder_ / "quelta";
        std::ofstream(wrapper) << "#!/bin/sh\nexec /usr/bin/time -o " << (folder_ / "peak").string()
                               << " -f %M " << QUELTA_EXE_PATH << " \"$@\"\n";
        std::filesystem::permissions(wrapper, std::filesystem::perms::owner_all);
        ::setenv("QUELTA_EXE", wrapper.c_str(), 1);
    }
    //! The peak of the last run, in kB.
    long LastKb() const {
        long kb = 0;
        std::ifstream(folder_ / "peak") >> kb;
        return kb;
    }

private:
    common::testing::TempFolder folder_;
};

struct Sent {
    double seconds = 0;
    long maxRssKb = 0;
    int calls = 0;
};

Sent send(int scale, int count, std::size_t size, const PeakMemory& peak) {
    quelta::testing::PortalStandin portal;
    quelta::testing::QueltaSite site({.scale = scale, .portalUrl = portal.Url()});
    const std::string ids = prepare(site, count, size);
    const auto outcome = site.Quelta("sendwageslip", "", "1", ids);
    for (const auto& line : site.Journal())
        if (line.rfind("0|", 0) == 0) throw std::runtime_error("the upload failed: " + line);
    if (!outcome.err.empty()) throw std::runtime_error("the upload said: " + outcome.err);
    if (static_cast<int>(portal.Records("WageSlipDto").size()) != count)
        throw std::runtime_error("not every wage slip reached the Portal");
    Sent sent{outcome.seconds, peak.LastKb(), 0};
    for (const auto& [operation, calls] : portal.Calls())
        sent.calls += calls;
    return sent;
}

} // namespace

int main(int argc, char** argv) {
    int files = 1000;
    std::size_t size = 50 * 1024;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--files" && i + 1 < argc)
            files = std::atoi(argv[++i]);
        else if (arg == "--size" && i + 1 < argc)
            size = static_cast<std::size_t>(std::atol(argv[++i]));
    }
    try {
        const PeakMemory peak;
        const int scale = files * 3 / 2 / kEmployeesPerScale + 1;
        std::printf("Demo company of scale %d, %d wage slips of %zu bytes...\n", scale, files, size);
        std::fflush(stdout);
        const Sent few = send(scale, files / 10, size, peak);
        const Sent all = send(scale, files, size, peak);

        quelta::testing::PortalStandin portal;
        quelta::testing::QueltaSite site({.scale = scale, .portalUrl = portal.Url()});
        quelta::CommandLine command;
        command.method = "sendwageslip";
        command.server = "LOCAL";
        command.database = "Tarvik";
        command.showFlag = "1";
        command.entityId = prepare(site, files, size);
        const std::vector<std::string> requests = bench_quelta::CaptureRequests(site, command);
        if (static_cast<int>(requests.size()) != all.calls)
            throw std::runtime_error("the captured upload made " + std::to_string(requests.size()) +
                                     " Portal calls, the measured one " + std::to_string(all.calls));
        const double bare = bench_quelta::BareSeconds(requests);
        const double megabytes = static_cast<double>(files) * static_cast<double>(size) / 1e6;
        std::printf(
            "wage-slip upload, %d files, %.1f MB, %d Portal calls: quelta %.2f s (%.1f MB/s), bare client "
            "%.2f s (%.1f MB/s), ratio %.3f (goal <= 1.25)\n",
            files, megabytes, all.calls, all.seconds, megabytes / all.seconds, bare, megabytes / bare,
            all.seconds / bare);
        std::printf("peak memory of quelta: %ld kB with %d files, %ld kB with %d files\n", few.maxRssKb,
                    files / 10, all.maxRssKb, files);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
