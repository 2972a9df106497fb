#include "quelta/run.h"

#include "quelta/errors.h"

namespace quelta {

std::string StartJournalText(const CommandLine& arguments) {
    return "QUELTA - Spustená synchronizácia - method: " + arguments.method + " | list : " + arguments.list;
}

std::string ErrorJournalText(const std::string& kind, const std::string& message) {
    return "QUELTA - " + kind + " error raised with message : " + message;
}

std::string ErrorBoxText(const std::string& kind, const std::string& message) {
    return kind + " error raised, with message : " + kMessageLineBreak + message;
}

PortalSettings ReadPortalSettings(TDBConnector& connector) {
    connector.SQLExec(kPortalSettingsQuery);
    if (connector.Eof())
        throw EQueltaError("Tabulka TabQUELTAHGlob neobsahuje žádný řádek s nastavením portálu.");
    PortalSettings settings;
    settings.certStoreLocation = connector.FieldAsInteger("CertStoreLocation");
    settings.certStoreName = connector.FieldAsInteger("CertStoreName");
    settings.certByName = connector.FieldAsString("CertByName");
    settings.certSN = connector.FieldAsString("CertSN");
    settings.url = connector.FieldAsString("URL");
    connector.Close();
    connector.ClearSQL();
    return settings;
}

int Run(const CommandLine& arguments, const RunEnvironment& environment) {
    UserInterface& ui = *environment.ui;
    if (arguments.method.empty() || arguments.server.empty() || arguments.database.empty()) {
        ui.ShowMessage(kBadParameters);
        return 0;
    }
    try {
        TDBConnector connector(arguments.server, arguments.database, {environment.iniPath, &ui});
        const PortalSettings settings = ReadPortalSettings(connector);
        std::shared_ptr<RpcKvaEndpoint> service;
        if (environment.endpointFactory) service = environment.endpointFactory(settings);
        if (!connector.SetLegislation()) {
            ui.ShowMessage(kUnsupportedLegislation);
            return 0;
        }
        RunContext context{arguments, connector, service, ui, settings, nullptr};
        connector.WriteJournal(2, StartJournalText(arguments));
        std::unique_ptr<TSynch> synch =
            environment.synchFactory ? environment.synchFactory(context) : std::make_unique<TSynch>(context);
        try {
            Dispatch(*synch, arguments);
        } catch (const ELoginCancelled&) {
            throw;
        } catch (...) {
            const auto error = std::current_exception();
            const std::string kind = ErrorKind(error);
            const std::string message = ErrorMessage(error);
            if (arguments.Interactive()) ui.ShowMessage(ErrorBoxText(kind, message));
            connector.SetParamCheck(false);
            connector.WriteJournal(0, ErrorJournalText(kind, message));
        }
    } catch (const ELoginCancelled&) {
        return 0;
    } catch (...) {
        const auto error = std::current_exception();
        ui.ShowMessage(ErrorBoxText(ErrorKind(error), ErrorMessage(error)));
    }
    return 0;
}

} // namespace quelta
