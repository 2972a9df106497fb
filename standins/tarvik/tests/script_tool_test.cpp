#include "standins/tarvik/script_tool.h"

#include "standins/tarvik/host_script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <unistd.h>

using namespace standins::tarvik;

TEST(ScriptTool, ReadsItsArguments) {
    const auto o =
        parseScriptToolArguments({"--demo", "--sk", "--scale", "3", "--seed", "42", "--wage-slips", "x"});
    EXPECT_TRUE(o.demo);
    EXPECT_TRUE(o.demoOptions.slovak);
    EXPECT_EQ(o.demoOptions.scale, 3);
    EXPECT_EQ(o.demoOptions.seed, 42u);
    EXPECT_EQ(o.wageSlipFolder, "x");
    EXPECT_TRUE(parseScriptToolArguments({"--help"}).help);
    EXPECT_FALSE(parseScriptToolArguments({}).demo);
}

TEST(ScriptTool, RefusesWhatItCannotDo) {
    const std::vector<std::vector<std::string>> bad = {
        {"--scale"}, {"--demo", "--scale", "0"}, {"--demo", "--scale", "2x"}, {"--demo", "--seed", "-1"},
        {"--sk"},    {"--frobnicate"},           {"--demo", "--wage-slips"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(parseScriptToolArguments(args), std::invalid_argument) << args[0];
}

TEST(ScriptTool, WritesEveryBatchFollowedByGo) {
    std::ostringstream schemaOnly, withDemo;
    writeHostDatabaseScript(schemaOnly, {});
    ScriptToolOptions demo;
    demo.demo = true;
    writeHostDatabaseScript(withDemo, demo);

    EXPECT_EQ(splitBatches(schemaOnly.str()), hostScriptBatches());
    const auto batches = splitBatches(withDemo.str());
    EXPECT_EQ(batches.size(), hostScriptBatches().size() + generateDemoCompany().batches.size());
    EXPECT_EQ(withDemo.str().rfind(schemaOnly.str(), 0), 0u) << "the tables come first";
    EXPECT_NE(withDemo.str().find("-- Employee 101\n"), std::string::npos);
}

TEST(ScriptTool, WritesTheWageSlips) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("tarvik-sql-test-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    ScriptToolOptions o;
    o.demo = true;
    o.wageSlipFolder = folder.string();
    std::ostringstream out;
    writeHostDatabaseScript(out, o);
    EXPECT_TRUE(std::filesystem::exists(folder / "234567122013.PDF"));
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()),
        std::ptrdiff_t(generateDemoCompany().wageSlips.size()));
    std::filesystem::remove_all(folder);
}
