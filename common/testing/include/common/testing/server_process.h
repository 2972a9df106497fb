#pragma once
//! A server program started by a test: it announces itself with its first line on standard output and
//! is stopped (SIGTERM, then SIGKILL) when the object goes.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace common::testing {

//! The NUL-ended pointer array that exec and posix_spawn take, over `strings` (which must outlive it).
inline std::vector<char*> NullEndedPointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (auto& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

class ServerProcess {
public:
    //! Starts `argv` (argv[0] is the program's path) with the current environment plus `extraEnv`
    //! ("NAME=value"), standard error going to `stderrPath` (or discarded when empty), and waits up to
    //! `timeout` for its first line. Throws std::runtime_error when it does not start or stays silent.
    ServerProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {},
                  const std::string& stderrPath = {},
                  std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
        int out[2];
        if (::pipe(out) != 0) throw std::runtime_error("cannot create a pipe");
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            env.emplace_back(*e);
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<char*> envp = NullEndedPointers(env);
        std::vector<std::string> args = argv;
        std::vector<char*> argp = NullEndedPointers(args);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (stderrPath.empty())
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        else
            posix_spawn_file_actions_addopen(&actions, 2, stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0600);
        const int rc =
            ::posix_spawn(&pid_, args.front().c_str(), &actions, nullptr, argp.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        if (rc != 0) {
            ::close(out[0]);
            throw std::runtime_error("cannot start " + args.front());
        }
        output_ = out[0];
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (firstLine_.empty() || firstLine_.back() != '\n') {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{output_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                stop();
                throw std::runtime_error(args.front() + " did not announce itself in time");
            }
            char c = 0;
            if (::read(output_, &c, 1) != 1) {
                stop();
                throw std::runtime_error(args.front() + " ended before announcing itself");
            }
            firstLine_ += c;
        }
        firstLine_.pop_back();
    }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    ~ServerProcess() { stop(); }

    const std::string& firstLine() const { return firstLine_; }
    pid_t pid() const { return pid_; }

    //! Sends SIGTERM and waits for the end (SIGKILL after five seconds); returns the exit status as
    //! waitpid gives it, or -1 when it was stopped already.
    int stop() {
        if (pid_ <= 0) return -1;
        ::kill(pid_, SIGTERM);
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
        if (output_ >= 0) ::close(output_);
        output_ = -1;
        return status;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    std::string firstLine_;
};

} // namespace common::testing
