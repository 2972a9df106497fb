// The tsql-server program: its address on the first line, its logins, its refusals, its stop on SIGTERM.

#include "tds_client.h"

#include "common/testing/server_process.h"
#include "common/testing/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace tsql::server::testing {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int portOf(const std::string& address) {
    return std::stoi(address.substr(address.rfind(':') + 1));
}

class ProgramTest : public ::testing::Test {
protected:
    std::vector<std::string> command(std::vector<std::string> extra) const {
        std::vector<std::string> argv = {TSQL_SERVER_PATH, "--datadir", folder_.path().string()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        return argv;
    }
    //! Runs the program to its end; its exit code and what it wrote to standard error.
    std::pair<int, std::string> runToEnd(const std::string& arguments,
                                         const std::string& environment = {}) const {
        const auto err = folder_ / "err.txt";
        const std::string line = "env -u TSQL_SERVER_PASSWORD " + environment + " " + TSQL_SERVER_PATH +
                                 " --datadir " + folder_.path().string() + " " + arguments +
                                 " </dev/null >/dev/null 2>" + err.string();
        const int status = std::system(line.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(err)};
    }

    common::testing::TempFolder folder_{"tsql-server-program"};
};

TEST_F(ProgramTest, AnnouncesItsAddressServesAndStopsOnSigterm) {
    const auto log = folder_ / "log.txt";
    common::testing::ServerProcess server(command({"--listen", "127.0.0.1:0"}),
                                          {"TSQL_SERVER_PASSWORD=Tajné-1"}, log.string());
    EXPECT_TRUE(std::regex_match(server.firstLine(), std::regex(R"(127\.0\.0\.1:[1-9][0-9]*)")))
        << server.firstLine();
    {
        TdsClient client(portOf(server.firstLine()));
        const Reply reply = client.logIn("sa", "Tajné-1", "");
        ASSERT_TRUE(reply.loginAck) << reply.messageTexts();
        EXPECT_EQ(reply.envChanges.at(0).second, "master") << "no database named: an empty master in memory";
        EXPECT_FALSE(client.batch("CREATE DATABASE Zkouska").hasError());
    }
    {
        TdsClient wrong(portOf(server.firstLine()));
        EXPECT_FALSE(wrong.logIn("sa", "tajné-1", "").loginAck);
    }
    const int status = server.stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const std::string text = readFile(log);
    EXPECT_NE(text.find("stopping on SIGTERM"), std::string::npos) << text;
    EXPECT_NE(text.find("login failed for user 'sa'"), std::string::npos) << text;
    EXPECT_EQ(text.find("Tajné"), std::string::npos) << "no password in the log: " << text;
    EXPECT_TRUE(std::filesystem::exists(folder_ / "Zkouska.db"));
}

TEST_F(ProgramTest, TakesItsLoginAndPasswordFromAFile) {
    std::ofstream(folder_ / "password") << "druhé heslo\r\nignored second line\n";
    common::testing::ServerProcess server(command({"--listen", "127.0.0.1:0", "--login", "quelta",
                                                   "--password-file", (folder_ / "password").string()}));
    TdsClient client(portOf(server.firstLine()));
    EXPECT_TRUE(client.logIn("QUELTA", "druhé heslo", "master").loginAck);
}

TEST_F(ProgramTest, RefusesWhatItShouldNotDo) {
    const struct {
        const char* arguments;
        const char* environment;
        int exitCode;
        const char* says;
    } cases[] = {
        {"--listen 0.0.0.0:0", "TSQL_SERVER_PASSWORD=x", 1, "--allow-remote"},
        {"--listen 127.0.0.1:0", "", 2, "TSQL_SERVER_PASSWORD"},
        {"--listen 127.0.0.1", "TSQL_SERVER_PASSWORD=x", 2, "HOST:PORT"},
        {"--listen 127.0.0.1:0 --login sa", "", 2, "--password-file"},
        {"--listen 127.0.0.1:0 --login sa --password-file /nonexistent/file", "", 2, "/nonexistent/file"},
        {"--listen 127.0.0.1:0 --tls-cert /nonexistent.pem --tls-key /nonexistent.pem",
         "TSQL_SERVER_PASSWORD=x", 1, "/nonexistent.pem"},
    };
    for (const auto& c : cases) {
        const auto [code, err] = runToEnd(c.arguments, c.environment);
        EXPECT_EQ(code, c.exitCode) << c.arguments << ": " << err;
        EXPECT_NE(err.find(c.says), std::string::npos) << c.arguments << ": " << err;
    }
}

} // namespace
} // namespace tsql::server::testing
