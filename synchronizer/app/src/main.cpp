// Quelta: one synchronization method between the host database and the Portal per start.

#include "quelta/qt_ui.h"
#include "quelta/run.h"
#include "quelta/terminal_ui.h"

#include <QApplication>

#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char** argv) {
    const auto arguments = quelta::CommandLine::FromArguments(argc, argv);
    std::filesystem::path iniPath;
    try {
        iniPath = quelta::DefaultIniPath();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 0;
    }

    // Qt sees only the program name: no argument of Quelta's command line is an option.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    std::unique_ptr<QApplication> application;
    std::unique_ptr<quelta::UserInterface> ui;
    if (quelta::DisplayUsable()) {
        application = std::make_unique<QApplication>(qtArgc, qtArgv);
        ui = std::make_unique<quelta::QtUserInterface>();
    } else {
        ui = std::make_unique<quelta::TerminalUserInterface>(iniPath);
    }

    quelta::RunEnvironment environment;
    environment.ui = ui.get();
    environment.iniPath = iniPath;
    // The Portal client plugs in here; until then methods that need it report that they are not available.
    environment.endpointFactory = [](const quelta::PortalSettings&) {
        return std::shared_ptr<quelta::RpcKvaEndpoint>();
    };
    return quelta::Run(arguments, environment);
}
