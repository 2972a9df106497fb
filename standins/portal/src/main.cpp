//! portal-standin: the Portal's SOAP service on loopback for tests and the demo.

#include "standins/portal/server.h"

#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <pthread.h>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: portal-standin [--listen HOST:PORT] [--path /portal] [--multiref]\n"
    "                      [--tls-cert FILE --tls-key FILE [--client-ca FILE]]\n"
    "                      [--state FILE] [--namespace-service URI] [--namespace-data URI]\n"
    "                      [--namespace-preprocess URI] [--namespace-domain URI]\n"
    "Prints the service URL on the first line, then serves until SIGINT or SIGTERM.\n"
    "--state FILE is loaded at start when it exists and written when the stand-in stops.\n"
    "Admin interface (JSON) under <base>/admin/: records, preprocess, reset, faults, calls, commit,\n"
    "state, save, load, options.\n";

struct Arguments {
    standins::portal::ServerOptions options;
    std::string stateFile;
};

Arguments parse(int argc, char** argv) {
    Arguments parsed;
    auto& o = parsed.options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw std::invalid_argument(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--listen") {
            const std::string where = value();
            const auto colon = where.rfind(':');
            if (colon == std::string::npos) throw std::invalid_argument("--listen takes HOST:PORT");
            o.host = where.substr(0, colon);
            if (o.host.size() > 2 && o.host.front() == '[' && o.host.back() == ']')
                o.host = o.host.substr(1, o.host.size() - 2);
            const std::string port = where.substr(colon + 1);
            if (port.empty() || port.size() > 5 ||
                port.find_first_not_of("0123456789") != std::string::npos || std::stoi(port) > 65535)
                throw std::invalid_argument("--listen takes HOST:PORT with a port from 0 to 65535");
            o.port = std::stoi(port);
        } else if (arg == "--path") {
            o.path = value();
        } else if (arg == "--multiref") {
            o.multiRef = true;
        } else if (arg == "--tls-cert") {
            o.tlsCertificate = value();
        } else if (arg == "--tls-key") {
            o.tlsKey = value();
        } else if (arg == "--client-ca") {
            o.clientCa = value();
        } else if (arg == "--state") {
            parsed.stateFile = o.stateFile = value();
        } else if (arg == "--namespace-service") {
            o.namespaces.service = value();
        } else if (arg == "--namespace-data") {
            o.namespaces.data = value();
        } else if (arg == "--namespace-preprocess") {
            o.namespaces.preprocessBase = value();
        } else if (arg == "--namespace-domain") {
            o.namespaces.domain = value();
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else {
            throw std::invalid_argument("unknown argument " + arg);
        }
    }
    if (o.path.empty() || o.path.front() != '/') throw std::invalid_argument("--path must start with /");
    return parsed;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const Arguments arguments = parse(argc, argv);
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr); // server threads inherit the mask

        standins::portal::PortalServer server(arguments.options);
        server.start();
        std::cout << server.url() << std::endl;

        int received = 0;
        sigwait(&signals, &received);
        if (!arguments.stateFile.empty()) {
            // The admin interface writes the same document; fetch it in-process through the store.
            server.saveState(arguments.stateFile);
        }
        server.stop();
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "portal-standin: " << error.what() << '\n' << kUsage;
        return 2;
    }
}
