#pragma once
//! The Portal stand-in running inside a test on loopback, with its admin interface as calls.

#include <nlohmann/json.hpp>

#include <map>
#include <memory>
#include <string>

namespace standins::portal {
class PortalServer;
}

namespace quelta::testing {

//! A Portal stand-in on 127.0.0.1 for one test; stopped when the object goes.
class PortalStandin {
public:
    PortalStandin();
    ~PortalStandin();
    PortalStandin(const PortalStandin&) = delete;
    PortalStandin& operator=(const PortalStandin&) = delete;

    //! The service URL for TabQUELTAHGlob.URL.
    std::string Url() const;

    //! Stored records of a record type (all types when empty), in the order stored.
    nlohmann::ordered_json Records(const std::string& type = {}) const;
    //! Seeds records (an object or an array of objects with "$type").
    void Seed(const nlohmann::ordered_json& records);
    //! The next `call`-th call of `operation` fails as `kind` says ("soapFault", "http500", "truncated",
    //! "reset", "noAnswer", ...; "delay" answers after `delayMs`).
    void AddFault(const std::string& operation, int call, const std::string& kind,
                  const std::string& text = "Injected fault", int delayMs = 0);
    //! Calls counted per operation since the start or the last reset.
    std::map<std::string, int> Calls() const;
    //! The commit counter.
    long long Commit() const;
    //! Forgets records, faults and call counts.
    void Reset();

private:
    nlohmann::ordered_json get(const std::string& path) const;
    nlohmann::ordered_json post(const std::string& path, const nlohmann::ordered_json& body) const;

    std::unique_ptr<standins::portal::PortalServer> server_;
};

} // namespace quelta::testing
