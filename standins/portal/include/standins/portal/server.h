#pragma once
//! The Portal stand-in: the Portal's SOAP service and an admin interface (HTTP+JSON) on one loopback port.

#include "quelta/portal/registry.h"

#include <memory>
#include <string>

namespace standins::portal {

//! How the stand-in listens and answers.
struct ServerOptions {
    std::string host = "127.0.0.1"; //!< loopback only: 127.0.0.1, ::1 or localhost
    int port = 0;                   //!< 0 picks a free port
    std::string path = "/portal";   //!< where the SOAP service answers
    bool multiRef = false;          //!< write responses with multiRef/href indirection
    std::string tlsCertificate;     //!< PEM; with tlsKey the service speaks HTTPS
    std::string tlsKey;
    std::string clientCa;  //!< PEM CA file; when set, clients must present a certificate it issued
    std::string stateFile; //!< loaded at start when it exists
    quelta::PortalNamespaces namespaces;
};

//! A running stand-in. Admin interface under /admin/ (README.md beside the sources).
class PortalServer {
public:
    //! Binds the port; throws std::runtime_error when it cannot.
    explicit PortalServer(ServerOptions options);
    ~PortalServer();
    PortalServer(const PortalServer&) = delete;
    PortalServer& operator=(const PortalServer&) = delete;

    //! Starts answering on a background thread.
    void start();
    //! Stops answering and waits for the requests in progress (requests held by faults are released).
    void stop();

    //! The service URL, e.g. "http://127.0.0.1:41234/portal".
    std::string url() const;
    //! The base URL of the admin interface, e.g. "http://127.0.0.1:41234/admin".
    std::string adminUrl() const;
    int port() const;

    //! Writes the stored state to a JSON file (as the admin "save" does).
    void saveState(const std::string& path) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace standins::portal
