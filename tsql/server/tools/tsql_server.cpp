// tsql-server --listen HOST:PORT --datadir DIR [--login NAME --password-file FILE]
//             [--tls-cert PEM --tls-key PEM] [--allow-remote]

#include "tsql/server/server.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <pthread.h>
#include <stdexcept>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: tsql-server --listen HOST:PORT --datadir DIR [--login NAME --password-file FILE]\n"
    "                   [--tls-cert PEM --tls-key PEM] [--allow-remote]\n"
    "Without --login the login is 'sa' with the password in the environment variable TSQL_SERVER_PASSWORD.\n";

std::mutex logMutex;

void logLine(const std::string& text) {
    std::lock_guard lock(logMutex);
    std::cerr << "tsql-server: " << text << std::endl;
}

//! The first line of a file, without its line end.
std::string firstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the password file '" + path + "'");
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

struct Arguments {
    tsql::server::ServerOptions options;
    bool listenGiven = false;
    std::string loginGiven;
    std::string passwordFile;
};

Arguments parseArguments(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--listen") {
            const auto [host, port] = tsql::server::parseListenAddress(value());
            a.options.host = host;
            a.options.port = port;
            a.listenGiven = true;
        } else if (arg == "--datadir") {
            a.options.dataDir = value();
        } else if (arg == "--login") {
            a.loginGiven = value();
        } else if (arg == "--password-file") {
            a.passwordFile = value();
        } else if (arg == "--tls-cert") {
            a.options.tlsCertificate = value();
        } else if (arg == "--tls-key") {
            a.options.tlsKey = value();
        } else if (arg == "--allow-remote") {
            a.options.allowRemote = true;
        } else {
            throw std::invalid_argument("unknown argument '" + arg + "'");
        }
    }
    if (!a.listenGiven) throw std::invalid_argument("--listen is required");
    if (a.options.dataDir.empty()) throw std::invalid_argument("--datadir is required");
    if (a.loginGiven.empty() != a.passwordFile.empty())
        throw std::invalid_argument("--login and --password-file go together");
    return a;
}

} // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    try {
        arguments = parseArguments(argc, argv);
        auto& options = arguments.options;
        if (!arguments.loginGiven.empty()) {
            options.login = arguments.loginGiven;
            options.password = firstLine(arguments.passwordFile);
        } else {
            const char* password = std::getenv("TSQL_SERVER_PASSWORD");
            if (!password || !*password)
                throw std::invalid_argument(
                    "set TSQL_SERVER_PASSWORD (the password of 'sa') or give --login and "
                    "--password-file");
            options.login = "sa";
            options.password = password;
        }
    } catch (const std::exception& e) {
        std::cerr << "tsql-server: " << e.what() << "\n" << kUsage;
        return 2;
    }

    // The signals that stop the server are taken by this thread alone; the server's threads inherit the
    // mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    arguments.options.log = logLine;
    tsql::server::Server server(arguments.options);
    try {
        server.start();
    } catch (const std::exception& e) {
        logLine(e.what());
        return 1;
    }
    std::cout << server.address() << std::endl;

    int received = 0;
    sigwait(&stopSignals, &received);
    logLine(std::string("stopping on ") + (received == SIGINT ? "SIGINT" : "SIGTERM"));
    server.stop();
    return 0;
}
