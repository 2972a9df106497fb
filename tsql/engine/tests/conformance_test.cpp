//! Runs the conformance cases under tests/conformance/<feature>/*.test. A file is a sequence of cases
//! separated by lines "====", each a script (batches split at GO lines), a line "----" and the output
//! tsqlsh prints for it. All cases of a file run in order on one session of a fresh database.

#include "tsql/engine.h"
#include "tsql/shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> testFiles() {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(TSQL_CONFORMANCE_DIR))
        if (e.path().extension() == ".test")
            out.push_back(fs::relative(e.path(), TSQL_CONFORMANCE_DIR).string());
    std::sort(out.begin(), out.end());
    return out;
}

struct Case {
    int line;
    std::string script;
    std::string expected;
};

std::vector<Case> readCases(const std::string& path) {
    std::ifstream in(path);
    std::vector<Case> cases;
    Case current{1, {}, {}};
    bool inExpected = false;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line == "====") {
            cases.push_back(current);
            current = {number + 1, {}, {}};
            inExpected = false;
        } else if (line == "----" && !inExpected) {
            inExpected = true;
        } else {
            (inExpected ? current.expected : current.script) += line + "\n";
        }
    }
    if (!current.script.empty() || inExpected) cases.push_back(current);
    return cases;
}

class ConformanceTest : public testing::TestWithParam<std::string> {};

TEST_P(ConformanceTest, PrintsExpectedOutput) {
    std::string path = std::string(TSQL_CONFORMANCE_DIR) + "/" + GetParam();
    auto db = tsql::Database::open({});
    auto session = db->connect("sa");
    for (const Case& c : readCases(path)) {
        std::string actual;
        for (const auto& batch : tsql::splitBatches(c.script))
            tsql::formatOutput(session->execute(batch), actual);
        EXPECT_EQ(actual, c.expected) << GetParam() << ":" << c.line << "\n" << c.script;
    }
}

std::string caseName(const testing::TestParamInfo<std::string>& info) {
    std::string name;
    for (char c : info.param)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Files, ConformanceTest, testing::ValuesIn(testFiles()), caseName);

} // namespace
