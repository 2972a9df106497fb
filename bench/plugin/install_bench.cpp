//! The plug-in's installation on the demo company over the embedded engine: a first installation
//! and a re-installation that finds nothing to change, each on a fresh copy of the same host
//! database. Prints the median seconds of each, the queries (OpenSQL) and statements (ExecSQL)
//! each sends, and their ratio.
//!
//! install_bench [rounds]   (default 5)

#include "plugin/core/instalator.h"
#include "plugin/core/plg_konfig.h"
#include "plugin/install/bez_obrazovky.h"
#include "plugin/install/instalace.h"

#include "pocitadlo_tarvik.h"

#include "standins/tarvik/host_tarvik.h"
#include "standins/tarvik/runner.h"
#include "standins/tarvik/scripted_front_end.h"
#include "tsql/backend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Measurement {
    double seconds = 0;
    int queries = 0;
    int statements = 0;
};

Measurement install(platform::db::Connection& connection,
                    const plugin::TInstalacniKonfigurace& configuration) {
    standins::tarvik::ScriptedFrontEnd frontEnd;
    standins::tarvik::BrowseState state;
    state.extKomId = -3;
    standins::tarvik::HostTarvik host(connection, frontEnd, state);
    plugin::testing::TPocitadloTarvik counted(host);
    plugin::TplgOknoBezObrazovky window(counted, true);
    const auto start = std::chrono::steady_clock::now();
    plugin::TplgInstalace installation(counted, configuration, plugin::TDefiniceInstalace::Pluginu(), window,
                                       true);
    installation.Priprav();
    const auto result = installation.Spustit();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (result.Konec != plugin::TKonecInstalace::Hotovo)
        throw std::runtime_error("the installation did not finish: " + result.Text);
    return {elapsed.count(), counted.Dotazy, static_cast<int>(counted.Prikazy.size())};
}

Measurement median(std::vector<Measurement> runs) {
    std::sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.seconds < b.seconds; });
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char** argv) try {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const auto folder = fs::temp_directory_path() / ("install-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const auto demo = folder / "demo.db";
    std::printf("creating the demo company...\n");
    standins::tarvik::createHostDatabase(demo, true, {});
    tsql::registerEmbeddedBackend();
    const auto configuration = plugin::KonfiguraceInstalace(plugin::Konfigurace());

    std::vector<Measurement> first, again;
    for (int round = 0; round < rounds; ++round) {
        const auto copy = folder / ("host" + std::to_string(round) + ".db");
        fs::copy_file(demo, copy);
        auto connection = platform::db::connect(standins::tarvik::hostDatabaseDescription(copy));
        first.push_back(install(*connection, configuration));
        again.push_back(install(*connection, configuration));
    }
    fs::remove_all(folder);

    const auto a = median(first);
    const auto b = median(again);
    std::printf("%-28s %10s %8s %11s\n", "installation (median of", "seconds", "queries", "statements");
    std::printf("%-28s %10.3f %8d %11d\n", ("  first, " + std::to_string(rounds) + " rounds)").c_str(),
                a.seconds, a.queries, a.statements);
    std::printf("%-28s %10.3f %8d %11d\n", "  re-install, no change", b.seconds, b.queries, b.statements);
    std::printf("re-install / first install: %.2f; goal for the re-install: under 1 s (%s)\n",
                b.seconds / a.seconds, b.seconds < 1.0 ? "met" : "missed");
    return 0;
} catch (const std::exception& e) {
    std::fprintf(stderr, "install_bench: %s\n", e.what());
    return 1;
}
