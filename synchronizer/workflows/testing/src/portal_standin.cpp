#include "quelta/workflows/testing/portal_standin.h"

#include "standins/portal/server.h"

#include <httplib.h>

#include <stdexcept>

namespace quelta::testing {

PortalStandin::PortalStandin()
    : server_(std::make_unique<standins::portal::PortalServer>(standins::portal::ServerOptions{})) {
    server_->start();
}

PortalStandin::~PortalStandin() {
    server_->stop();
}

std::string PortalStandin::Url() const {
    return server_->url();
}

nlohmann::ordered_json PortalStandin::get(const std::string& path) const {
    httplib::Client client("127.0.0.1", server_->port());
    const auto response = client.Get("/admin/" + path);
    if (!response || response->status != 200)
        throw std::runtime_error("Portal stand-in: GET /admin/" + path + " failed" +
                                 (response ? ": " + response->body : std::string()));
    return nlohmann::ordered_json::parse(response->body);
}

nlohmann::ordered_json PortalStandin::post(const std::string& path,
                                           const nlohmann::ordered_json& body) const {
    httplib::Client client("127.0.0.1", server_->port());
    const auto response = client.Post("/admin/" + path, body.dump(), "application/json");
    if (!response || response->status != 200)
        throw std::runtime_error("Portal stand-in: POST /admin/" + path + " failed" +
                                 (response ? ": " + response->body : std::string()));
    return nlohmann::ordered_json::parse(response->body);
}

nlohmann::ordered_json PortalStandin::Records(const std::string& type) const {
    return get(type.empty() ? "records" : "records?type=" + type);
}

void PortalStandin::Seed(const nlohmann::ordered_json& records) {
    post("records", records);
}

void PortalStandin::AddFault(const std::string& operation, int call, const std::string& kind,
                             const std::string& text, int delayMs) {
    post("faults",
         {{"operation", operation}, {"call", call}, {"kind", kind}, {"text", text}, {"delayMs", delayMs}});
}

std::map<std::string, int> PortalStandin::Calls() const {
    return get("calls").get<std::map<std::string, int>>();
}

long long PortalStandin::Commit() const {
    return get("commit").at("commit").get<long long>();
}

void PortalStandin::Reset() {
    post("reset", nlohmann::ordered_json::object());
}

} // namespace quelta::testing
