#include "quelta/workflows/testing/quelta_site.h"

#include "common/sql_text.h"
#include "common/testing/server_process.h"
#include "quelta/scramble.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>

namespace quelta::testing {

namespace {

//! Databases made once per process, by options; each site copies one.
const std::filesystem::path& templateDatabase(const WorkflowHostOptions& options) {
    static std::mutex mutex;
    static common::testing::TempFolder folder{"quelta-host-templates", FastTempBase()};
    static std::map<std::pair<bool, int>, std::filesystem::path> made;
    std::lock_guard lock(mutex);
    const auto key = std::make_pair(options.slovak, options.scale);
    auto found = made.find(key);
    if (found == made.end()) {
        const auto file = folder / ((options.slovak ? "sk" : "cz") + std::to_string(options.scale) + ".db");
        CreateWorkflowHost(file, options);
        found = made.emplace(key, file).first;
    }
    return found->second;
}

//! The login tsql-server accepts for sites served over TDS.
constexpr const char* kTdsPassword = "Site-Mzdy-1";

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

SiteBackend SelectedSiteBackend() {
    const auto name = environmentValue("QUELTA_SITE_BACKEND");
    if (name.empty() || name == "embedded") return SiteBackend::embedded;
    if (name == "odbc") return SiteBackend::odbc;
    throw std::runtime_error("QUELTA_SITE_BACKEND must be \"embedded\" or \"odbc\", not \"" + name + "\"");
}

std::filesystem::path FastTempBase() {
    std::error_code ec;
    const std::filesystem::path shm = "/dev/shm";
    if (std::filesystem::is_directory(shm, ec) && ::access(shm.c_str(), W_OK) == 0) return shm;
    return {};
}

ProcessOutcome RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
    char errPath[] = "/tmp/quelta-process-err-XXXXXX";
    const int errFd = ::mkstemp(errPath);
    if (errFd < 0) throw std::runtime_error("cannot create a file for standard error");
    std::vector<std::string> args = argv, env = environment;
    std::vector<char*> argp = common::testing::NullEndedPointers(args),
                       envp = common::testing::NullEndedPointers(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    pid_t pid = 0;
    const auto started = std::chrono::steady_clock::now();
    const int rc = ::posix_spawn(&pid, args.front().c_str(), &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(errFd);
    ProcessOutcome outcome;
    if (rc == 0) {
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.maxRssKb = usage.ru_maxrss;
    }
    std::ifstream in(errPath);
    std::ostringstream text;
    text << in.rdbuf();
    outcome.err = text.str();
    ::unlink(errPath);
    if (rc != 0) throw std::runtime_error("cannot start " + args.front());
    return outcome;
}

std::string QueltaExecutable() {
    const char* exe = std::getenv("QUELTA_EXE");
    if (!exe || !*exe) throw std::runtime_error("QUELTA_EXE must name the quelta executable");
    return exe;
}

QueltaSite::QueltaSite(const WorkflowHostOptions& options, const std::vector<std::string>& iniExtra)
    : folder_("quelta-site", FastTempBase())
    , backend_(SelectedSiteBackend()) {
    const auto& source = templateDatabase(options);
    std::filesystem::copy_file(source, Database());
    for (const char* suffix : {"-wal", "-shm"}) {
        const std::filesystem::path side = source.string() + suffix;
        if (std::filesystem::exists(side)) std::filesystem::copy_file(side, Database().string() + suffix);
    }
    host_ = std::make_unique<HostDatabase>(Database());
    host_->Exec("UPDATE TabQUELTAHGlob SET URL = " + common::SqlNString(options.portalUrl));
    journalStart_ = host_->Value("SELECT ISNULL(MAX(ID), 0) FROM TabZurnal");
    std::ofstream ini(folder_ / "Quelta.INI", std::ios::binary);
    if (backend_ == SiteBackend::odbc) {
        const auto serverExe = environmentValue("TSQL_SERVER_EXE");
        if (serverExe.empty())
            throw std::runtime_error("TSQL_SERVER_EXE must name the tsql-server executable");
        tdsServer_ = std::make_unique<common::testing::ServerProcess>(
            std::vector<std::string>{serverExe, "--listen", "127.0.0.1:0", "--datadir", Folder().string()},
            std::vector<std::string>{std::string("TSQL_SERVER_PASSWORD=") + kTdsPassword},
            (folder_ / "tsql-server.log").string());
        const auto& address = tdsServer_->firstLine();
        server_ = "127.0.0.1," + address.substr(address.rfind(':') + 1);
        ini << "[settings]\nlogin=sa\npassword=" << quelta::Scramble(kTdsPassword)
            << "\ndriver=FreeTDS\nlogintimeout=10\n";
    } else {
        ini << "[settings]\nlogin=\npassword=\ndriver=embedded\ndatadir=" << Folder().string() << "\n";
    }
    for (const auto& line : iniExtra)
        ini << line << "\n";
}

ProcessOutcome QueltaSite::Quelta(const std::string& method, const std::string& list, const std::string& show,
                                  const std::string& entityId, const std::vector<std::string>& extraEnv) {
    std::vector<std::string> argv = {QueltaExecutable(), method, server_, "Tarvik", list, show};
    if (!entityId.empty()) argv.push_back(entityId);
    std::vector<std::string> env = {"QUELTA_INI=" + (folder_ / "Quelta.INI").string(), "PATH=/usr/bin:/bin",
                                    "HOME=" + Folder().string()};
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    return RunProcess(argv, env);
}

std::vector<std::string> QueltaSite::Journal() {
    return host_->Rows("SELECT Druh, Text FROM TabZurnal WHERE ID > " + journalStart_ + " ORDER BY ID");
}

} // namespace quelta::testing
