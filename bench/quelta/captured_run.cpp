#include "captured_run.h"

#include "bare_post.h"

#include "platform/soap/http_transport.h"
#include "quelta/portal/endpoint.h"
#include "quelta/run.h"
#include "quelta/workflows/testing/portal_standin.h"
#include "quelta/workflows/workflow_synch.h"

#include <chrono>
#include <stdexcept>

namespace bench_quelta {

namespace {

//! Message boxes and panes go nowhere: the run is silent.
class NoWindows : public quelta::UserInterface {
public:
    void ShowMessage(const std::string& text) override { throw std::runtime_error("message: " + text); }
    std::unique_ptr<quelta::ProgressPane> CreateProgressPane() override { return nullptr; }
    std::optional<quelta::LoginAnswer> Ask(const std::string&) override { return std::nullopt; }
};

} // namespace

std::vector<std::string> CaptureRequests(quelta::testing::QueltaSite& site,
                                         const quelta::CommandLine& command) {
    platform::soap::HttpTransport transport;
    std::vector<std::string> bodies;
    quelta::RunEnvironment environment;
    NoWindows ui;
    environment.ui = &ui;
    environment.iniPath = site.Folder() / "Quelta.INI";
    environment.synchFactory = quelta::WorkflowSynchFactory();
    environment.endpointFactory = [&](const quelta::PortalSettings& settings) {
        return quelta::CreateRpcKvaEndpoint(
            [&, url = settings.url](std::string_view body) {
                bodies.emplace_back(body);
                return transport.post(url, body,
                                      {{"Content-Type", "text/xml; charset=utf-8"}, {"SOAPAction", "\"\""}});
            },
            settings.url);
    };
    quelta::Run(command, environment);
    for (const auto& line : site.Journal())
        if (line.rfind("0|", 0) == 0) throw std::runtime_error("the captured run failed: " + line);
    return bodies;
}

double BareSeconds(const std::vector<std::string>& requests) {
    quelta::testing::PortalStandin portal;
    bench_portal::BarePost bare(portal.Url(), requests.front());
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& body : requests)
        bare.Post(body);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace bench_quelta
