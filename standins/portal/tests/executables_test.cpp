#include "test_pki.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

//! What a finished process left behind.
struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

//! A child process with its standard output and error on pipes.
class Child {
public:
    explicit Child(const std::vector<std::string>& argv) {
        if (::pipe(out_) != 0 || ::pipe(err_) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out_[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err_[1], 2);
        posix_spawn_file_actions_addclose(&actions, out_[0]);
        posix_spawn_file_actions_addclose(&actions, err_[0]);
        std::vector<char*> args;
        for (const auto& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        const int failed = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out_[1]);
        ::close(err_[1]);
        if (failed) throw std::runtime_error("cannot start " + argv[0]);
    }
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_[0]);
        ::close(err_[0]);
    }

    std::string readLine() {
        std::string line;
        char c;
        while (::read(out_[0], &c, 1) == 1 && c != '\n')
            line += c;
        return line;
    }

    Outcome finish() {
        Outcome outcome;
        outcome.out = drain(out_[0]);
        outcome.err = drain(err_[0]);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return outcome;
    }

    Outcome terminate() {
        ::kill(pid_, SIGTERM);
        return finish();
    }

private:
    static std::string drain(int fd) {
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
            text.append(buffer, static_cast<size_t>(got));
        return text;
    }
    pid_t pid_ = -1;
    int out_[2] = {-1, -1};
    int err_[2] = {-1, -1};
};

Outcome portalCall(const std::string& url, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv = {PORTAL_CALL_EXE, "--url", url};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return Child(argv).finish();
}

TEST(PortalExecutables, StandinAnswersPortalCallAndSavesItsStateOnStop) {
    platform::soap::testing::TempFolder folder;
    const std::string state = (folder.path() / "state.json").string();
    Child standin({PORTAL_STANDIN_EXE, "--listen", "127.0.0.1:0", "--state", state});
    const std::string url = standin.readLine();
    ASSERT_EQ(url.rfind("http://127.0.0.1:", 0), 0u) << url;
    ASSERT_EQ(url.substr(url.size() - 7), "/portal");

    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string out; // expected standard output
        std::string err; // a part of the expected standard error
    };
    const Case cases[] = {
        {{"echo", "\"hello\""}, 0, "\"hello\"\n", ""},
        {{"getDtoByErpPk", R"({"$type":"BankCodeDto"})", "\"0800\""}, 0, "null\n", ""},
        {{"saveOrUpdateByDto", R"({"$type":"BankCodeDto","name":"Česká spořitelna","code":"0800"})",
          "\"0800\""},
         0,
         "",
         ""},
        {{"findChangedDtos", R"({"$type":"BankCodeDto"})", "0"},
         0,
         "[\n  {\n    \"$type\": \"BankCodeDto\",\n    \"portalId\": 1,\n    \"commitNumber\": 1,\n"
         "    \"erpPk\": \"0800\",\n    \"code\": \"0800\",\n    \"name\": \"Česká spořitelna\",\n"
         "    \"swift\": \"\"\n  }\n]\n",
         ""},
        {{"getDtoByErpPk", R"({"$type":"Sex"})", "\"0800\""}, 2, "", "is not a BaseExtendedDto"},
        {{"getDtoByErpPk", R"({"$type":"BankCodeDto","nope":1})", "\"0800\""},
         2,
         "",
         "has no member \"nope\""},
        {{"echo"}, 2, "", "echo takes 1 argument(s), 0 given"},
        {{"echo", "hello"}, 2, "", "argument in is not JSON"},
        {{"launch", "1"}, 2, "", "unknown operation launch"},
        {{"--timeout", "soon", "echo", "\"x\""}, 2, "", "--timeout needs a whole number, not soon"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        const Outcome outcome = portalCall(url, c.arguments);
        EXPECT_EQ(outcome.status, c.status) << outcome.err;
        EXPECT_EQ(outcome.out, c.out);
        EXPECT_NE(outcome.err.find(c.err), std::string::npos) << outcome.err;
    }

    const std::string base = url.substr(0, url.size() - 7);
    httplib::Client admin(base);
    ASSERT_TRUE(admin.Post("/admin/faults",
                           R"({"operation":"echo","kind":"soapFault","text":"Portál je v údržbě"})",
                           "application/json"));
    Outcome faulted = portalCall(url, {"echo", "\"x\""});
    EXPECT_EQ(faulted.status, 1);
    EXPECT_EQ(faulted.out, "");
    EXPECT_NE(faulted.err.find("SOAP fault: Portál je v údržbě"), std::string::npos) << faulted.err;

    const Outcome stopped = standin.terminate();
    EXPECT_EQ(stopped.status, 0) << stopped.err;
    const auto saved = nlohmann::json::parse(platform::soap::testing::readText(state));
    EXPECT_EQ(saved["commit"], 1);
    EXPECT_EQ(saved["records"][0]["name"], "Česká spořitelna");

    const Outcome unreachable = portalCall(url, {"echo", "\"x\""});
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_NE(unreachable.err.find("connection failed"), std::string::npos) << unreachable.err;
}

TEST(PortalExecutables, StandinRefusesBadOptions) {
    for (const std::vector<std::string>& argv :
         {std::vector<std::string>{PORTAL_STANDIN_EXE, "--listen", "0.0.0.0:0"},
          {PORTAL_STANDIN_EXE, "--tls-cert", "x.pem"},
          {PORTAL_STANDIN_EXE, "--listen", "127.0.0.1:http"},
          {PORTAL_STANDIN_EXE, "--bogus"}}) {
        const Outcome outcome = Child(argv).finish();
        EXPECT_EQ(outcome.status, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("portal-standin: "), std::string::npos);
    }
}

} // namespace
