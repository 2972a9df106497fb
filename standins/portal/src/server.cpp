#include "standins/portal/server.h"

#include "connection.h"
#include "faults.h"
#include "service.h"
#include "store.h"

#include "standins/portal/record_json.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace standins::portal {

namespace {

using json = nlohmann::ordered_json;

constexpr const char* kJson = "application/json";

bool isLoopback(const std::string& host) {
    return host == "127.0.0.1" || host == "::1" || host == "localhost";
}

json parseBody(const httplib::Request& request) {
    try {
        return request.body.empty() ? json::object() : json::parse(request.body);
    } catch (const json::parse_error& error) {
        throw std::invalid_argument(std::string("the body is not JSON: ") + error.what());
    }
}

std::vector<soap::Record> recordsFromJson(const json& body) {
    std::vector<soap::Record> records;
    if (body.is_array())
        for (const auto& item : body)
            records.push_back(recordFromJson(item));
    else
        records.push_back(recordFromJson(body));
    return records;
}

json recordsToJson(const std::vector<soap::Record>& records) {
    json list = json::array();
    for (const auto& record : records)
        list.push_back(toJson(soap::Value(record)));
    return list;
}

json readJsonFile(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::invalid_argument("cannot read " + path);
    try {
        return json::parse(in);
    } catch (const json::parse_error& error) {
        throw std::invalid_argument(path + " is not JSON: " + error.what());
    }
}

void writeJsonFile(const std::string& path, const json& state) {
    std::ofstream out(path, std::ios::trunc);
    out << state.dump(2) << '\n';
    if (!out) throw std::invalid_argument("cannot write " + path);
}

} // namespace

struct PortalServer::Impl {
    ServerOptions options;
    PortalStore store;
    FaultPlan faults;
    PortalService service;
    std::unique_ptr<httplib::Server> http;
    std::thread thread;
    int port = 0;
    std::atomic<bool> multiRef;
    std::mutex holdMutex;
    std::condition_variable holdChanged;
    bool stopRequested = false;

    explicit Impl(ServerOptions opts)
        : options(std::move(opts))
        , service(store, options.namespaces)
        , multiRef(options.multiRef) {}

    //! Waits up to `duration`; false when the stand-in is stopping.
    bool wait(std::chrono::milliseconds duration) {
        std::unique_lock lock(holdMutex);
        return !holdChanged.wait_for(lock, duration, [&] { return stopRequested; });
    }

    bool stopping() {
        std::lock_guard lock(holdMutex);
        return stopRequested;
    }

    void answerSoap(const httplib::Request& request, httplib::Response& response) {
        auto decoded = service.decode(request.body);
        SoapReply reply = decoded.refusal;
        if (decoded.call) {
            const auto fault = faults.onCall(std::string(decoded.operation->name));
            if (!fault || fault->kind == FaultKind::Delay) {
                if (fault) wait(std::chrono::milliseconds(fault->delayMs));
                reply = service.run(*decoded.operation, *decoded.call, multiRef);
            } else if (fault->kind == FaultKind::NoAnswer) {
                holdUntilClientLeaves(request);
                return reset(request, response);
            } else if (fault->kind == FaultKind::ConnectionReset) {
                return reset(request, response);
            } else {
                reply = service.faulty(*decoded.operation, *fault);
            }
        }
        response.status = reply.status;
        response.set_content(reply.body, reply.contentType);
    }

    void holdUntilClientLeaves(const httplib::Request& request) {
        const int socket = findConnection(request.remote_port, port);
        while (!stopping()) {
            if (socket >= 0 && peerClosed(socket, std::chrono::milliseconds(100))) return;
            if (socket < 0) wait(std::chrono::milliseconds(100));
        }
    }

    void reset(const httplib::Request& request, httplib::Response& response) const {
        if (const int socket = findConnection(request.remote_port, port); socket >= 0) resetOnClose(socket);
        response.set_content_provider(1, "text/xml",
                                      [](size_t, size_t, httplib::DataSink&) { return false; });
    }

    void admin(const std::string& pattern, bool post, std::function<json(const httplib::Request&)> action) {
        auto handler = [action = std::move(action)](const httplib::Request& request,
                                                    httplib::Response& response) {
            try {
                response.set_content(action(request).dump(2), kJson);
            } catch (const std::exception& error) {
                response.status = 400;
                response.set_content(json{{"error", error.what()}}.dump(), kJson);
            }
        };
        if (post)
            http->Post("/admin/" + pattern, handler);
        else
            http->Get("/admin/" + pattern, handler);
    }

    void routes() {
        http->Post(options.path,
                   [this](const httplib::Request& q, httplib::Response& r) { answerSoap(q, r); });
        admin("records", false, [this](const httplib::Request& q) {
            return recordsToJson(store.list(q.has_param("type") ? q.get_param_value("type") : ""));
        });
        admin("records", true, [this](const httplib::Request& q) {
            store.seed(recordsFromJson(parseBody(q)));
            return json{{"commit", store.commit()}};
        });
        admin("preprocess", true, [this](const httplib::Request& q) {
            auto entries = recordsFromJson(parseBody(q));
            for (const auto& entry : entries)
                if (!entry.is("PreprocessDto"))
                    throw std::invalid_argument(entry.type().name() + " is not a preprocess entry");
            store.seed(std::move(entries));
            return json{{"commit", store.commit()}};
        });
        admin("reset", true, [this](const httplib::Request&) {
            store.reset();
            faults.reset();
            return json{{"commit", store.commit()}};
        });
        admin("faults", false, [this](const httplib::Request&) {
            json list = json::array();
            for (const auto& rule : faults.pending())
                list.push_back(toJson(rule));
            return list;
        });
        admin("faults", true, [this](const httplib::Request& q) {
            const json body = parseBody(q);
            std::vector<FaultRule> rules;
            for (const auto& item : body.is_array() ? body : json::array({body}))
                rules.push_back(faultRuleFromJson(item));
            for (auto& rule : rules)
                faults.add(std::move(rule));
            return json{{"pending", faults.pending().size()}};
        });
        admin("calls", false, [this](const httplib::Request&) { return json(faults.calls()); });
        admin("commit", false, [this](const httplib::Request&) { return json{{"commit", store.commit()}}; });
        admin("state", false, [this](const httplib::Request&) { return store.save(); });
        admin("state", true, [this](const httplib::Request& q) {
            store.load(parseBody(q));
            return json{{"commit", store.commit()}};
        });
        admin("save", true, [this](const httplib::Request& q) {
            const std::string path = parseBody(q).value("path", "");
            if (path.empty()) throw std::invalid_argument("\"path\" names the file to write");
            writeJsonFile(path, store.save());
            return json{{"saved", path}};
        });
        admin("load", true, [this](const httplib::Request& q) {
            const std::string path = parseBody(q).value("path", "");
            if (path.empty()) throw std::invalid_argument("\"path\" names the file to read");
            store.load(readJsonFile(path));
            return json{{"commit", store.commit()}};
        });
        admin("options", true, [this](const httplib::Request& q) {
            const json body = parseBody(q);
            if (body.contains("multiRef")) multiRef = body.at("multiRef").get<bool>();
            return json{{"multiRef", multiRef.load()}};
        });
    }
};

PortalServer::PortalServer(ServerOptions options)
    : impl_(std::make_unique<Impl>(std::move(options))) {
    Impl& impl = *impl_;
    const ServerOptions& o = impl.options;
    if (!isLoopback(o.host))
        throw std::runtime_error("the Portal stand-in listens on loopback only, not " + o.host);
    if (o.tlsCertificate.empty() != o.tlsKey.empty())
        throw std::runtime_error("HTTPS needs both a certificate and its key");
    if (!o.clientCa.empty() && o.tlsCertificate.empty())
        throw std::runtime_error("client certificates need HTTPS (a certificate and key)");
    if (!o.stateFile.empty() && std::filesystem::exists(o.stateFile))
        impl.store.load(readJsonFile(o.stateFile));

    if (o.tlsCertificate.empty()) {
        impl.http = std::make_unique<httplib::Server>();
    } else {
        auto tls = std::make_unique<httplib::SSLServer>(o.tlsCertificate.c_str(), o.tlsKey.c_str(),
                                                        o.clientCa.empty() ? nullptr : o.clientCa.c_str());
        if (!tls->is_valid())
            throw std::runtime_error("cannot use the TLS certificate, key or client CA given");
        impl.http = std::move(tls);
    }
    impl.http->set_tcp_nodelay(true);
    impl.http->set_keep_alive_max_count(100000);
    impl.http->set_keep_alive_timeout(5);
    impl.http->set_payload_max_length(64u << 20);
    impl.routes();
    impl.port = o.port == 0 ? impl.http->bind_to_any_port(o.host)
                            : (impl.http->bind_to_port(o.host, o.port) ? o.port : -1);
    if (impl.port <= 0) throw std::runtime_error("cannot listen on " + o.host + ":" + std::to_string(o.port));
}

PortalServer::~PortalServer() {
    stop();
}

void PortalServer::start() {
    if (impl_->thread.joinable()) return;
    impl_->thread = std::thread([this] { impl_->http->listen_after_bind(); });
}

void PortalServer::stop() {
    {
        std::lock_guard lock(impl_->holdMutex);
        impl_->stopRequested = true;
    }
    impl_->holdChanged.notify_all();
    impl_->http->stop();
    if (impl_->thread.joinable()) impl_->thread.join();
}

void PortalServer::saveState(const std::string& path) const {
    writeJsonFile(path, impl_->store.save());
}

int PortalServer::port() const {
    return impl_->port;
}

std::string PortalServer::url() const {
    const ServerOptions& o = impl_->options;
    const std::string host = o.host == "::1" ? "[::1]" : o.host;
    return (o.tlsCertificate.empty() ? "http://" : "https://") + host + ":" + std::to_string(impl_->port) +
           o.path;
}

std::string PortalServer::adminUrl() const {
    const std::string service = url();
    return service.substr(0, service.size() - impl_->options.path.size()) + "/admin";
}

} // namespace standins::portal
