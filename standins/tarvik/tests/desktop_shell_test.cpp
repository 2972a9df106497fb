#include "standins/tarvik/desktop_shell.h"
#include "standins/tarvik/scripted_front_end.h"

#include "host_database.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <algorithm>

using namespace standins::tarvik;
using host_database::fixtureDatabase;
using host_database::kTestActions;
using host_database::kTestBrowse;

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "tarvik_shell_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

class DesktopShellTest : public ::testing::Test {
protected:
    void SetUp() override { application(); }
    std::unique_ptr<platform::db::Connection> connection = host_database::connectHost(fixtureDatabase());
    PluginLibrary library{TARVIK_TEST_PLUGIN};
    ScriptedFrontEnd frontEnd;
};

TEST_F(DesktopShellTest, ListsHostAndUserBrowsesWithRowsAndActions) {
    DesktopShell shell(*connection, frontEnd, &library);
    const auto browses = shell.browses();
    for (const int expected : {205, 265, 871, kTestBrowse})
        EXPECT_NE(std::find(browses.begin(), browses.end(), expected), browses.end()) << expected;
    shell.showBrowse(kTestBrowse);
    EXPECT_EQ(shell.rowIds(), (std::vector<long long>{1, 2, 3}));
    EXPECT_EQ(shell.actionIds().size(), std::size(kTestActions));
    EXPECT_THROW(shell.showBrowse(100999), plugin::TarvikError);
}

TEST_F(DesktopShellTest, RunsAnActionWithTheMarkedRows) {
    DesktopShell shell(*connection, frontEnd, &library);
    shell.showBrowse(kTestBrowse);
    shell.markRows({3, 1});
    EXPECT_TRUE(shell.runAction(1)); // "state"
    frontEnd.queue(ScriptedAnswer::no());
    EXPECT_TRUE(shell.runAction(2));  // "ask"
    EXPECT_FALSE(shell.runAction(7)); // "fail"
    EXPECT_EQ(frontEnd.texts(Interaction::Kind::Info),
              (std::vector<std::string>{"browse 100007 hvw_TestRadky, current 3, marked [1,3]", "ne"}));
    EXPECT_EQ(frontEnd.texts(Interaction::Kind::Error),
              (std::vector<std::string>{"Chyba akce", "Akce selhala"}));
}

} // namespace
