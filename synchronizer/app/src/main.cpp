// Quelta: one synchronization method between the host database and the Portal per start.

#include "quelta/db_connector.h"
#include "quelta/portal/client_options.h"
#include "quelta/qt_ui.h"
#include "quelta/run.h"
#include "quelta/terminal_ui.h"
#include "quelta/workflows/workflow_synch.h"
#include "tsql/backend.h"

#include <QApplication>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

int main(int argc, char** argv) {
    tsql::registerEmbeddedBackend();
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
    // The Portal client reads its time-outs and namespaces from the same INI file; a bad value there is a
    // start-up error like any other.
    environment.endpointFactory = [iniPath](const quelta::PortalSettings& settings) {
        const auto lookup = [&iniPath](std::string_view key) -> std::optional<std::string> {
            auto value = quelta::ReadIniSetting(iniPath, key);
            if (value.empty()) return std::nullopt;
            return value;
        };
        return quelta::MakePortalEndpointFactory(quelta::PortalClientOptionsFromIni(lookup))(settings);
    };
    environment.synchFactory = quelta::WorkflowSynchFactory();
    return quelta::Run(arguments, environment);
}
