// The library as the host loads it: its exports and the runner's commands.

#include "host_fixture.h"

#include "plugin/host/plugin_entry.h"
#include "standins/tarvik/runner.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <sstream>

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome tarvik(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = standins::tarvik::runTarvik(args, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> run(std::vector<std::string> more) {
    std::vector<std::string> args = {"run", "--db", plugin::testing::hostDatabase().string(), "--plugin",
                                     PLUGINQUELTA_LIBRARY};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

TEST(PluginLibrary, NameExportFollowsItsBufferContract) {
    void* library = dlopen(PLUGINQUELTA_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto getName =
        reinterpret_cast<plugin::GetSysAndClassNameFn>(dlsym(library, plugin::kGetSysAndClassNameExport));
    ASSERT_NE(getName, nullptr);
    EXPECT_EQ(getName(nullptr), 19);
    char buffer[21];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(getName(buffer), 19);
    EXPECT_STREQ(buffer, "PluginQuelta.Quelta");
    EXPECT_EQ(buffer[20], '#') << "wrote past the 20 bytes it needs";
    for (const char* name :
         {plugin::kReadyForSilentInstallExport, plugin::kCreateObjectExport, plugin::kDestroyObjectExport})
        EXPECT_NE(dlsym(library, name), nullptr) << name;
    // Nothing else of the plug-in is visible to the host.
    EXPECT_EQ(dlsym(library, "_ZN6plugin11KonfiguraceEv"), nullptr);
    dlclose(library);
}

TEST(PluginLibrary, RunnerShowsTheAboutInformation) {
    const auto about = tarvik(run({"--browse", "871", "--extkom", "-2"}));
    EXPECT_EQ(about.status, 0) << about.err;
    EXPECT_EQ(about.out, "INFO: PluginQuelta\nVerze: 2.0.2012.0719\nIdentifikace partnera: QUEL2012-07190\n"
                         "Copyright © 2012 Quelta s.r.o.\n");
    EXPECT_EQ(about.err, "");
}

TEST(PluginLibrary, RunnerReportsWhatThePluginRefuses) {
    const auto notInstalled = tarvik(run({"--browse", "205", "--extkom", "0"}));
    EXPECT_EQ(notInstalled.status, 1);
    EXPECT_EQ(notInstalled.err, "Run failed: Verze pluginu je vyšší než verze v databázi!\n"
                                "Je třeba spustit instalaci pluginu!\n\n"
                                "Verze v DB: 000000000000\nVerze pluginu: 020020120719\n");

    const auto oldHost = tarvik(run({"--browse", "205", "--tarvik-version", "20020110907"}));
    EXPECT_EQ(oldHost.status, 1);
    EXPECT_EQ(oldHost.err, "Run failed: Plugin vyžaduje minimální verzi Tarviku 2.0.2011.0908 !\n");
}

} // namespace
