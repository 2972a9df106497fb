#pragma once
// What the scenario tests share: a workflow host with the Portal stand-in and quelta run as a process.

#include "quelta/workflows/testing/portal_standin.h"
#include "quelta/workflows/testing/quelta_site.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scenario {

using Json = nlohmann::ordered_json;

//! The Portal stand-in, a host with the plug-in's tables, and quelta on them (Portal calls time out after 3
//! s).
class Scenario : public ::testing::Test {
protected:
    quelta::testing::PortalStandin portal;
    quelta::testing::QueltaSite site{{.portalUrl = portal.Url()}, {"timeout=3"}};

    //! Runs quelta silently and expects nothing on standard error.
    void RunSilently(const std::string& method, const std::string& list = {},
                     const std::string& entity = {}) {
        const auto outcome = site.Quelta(method, list, "1", entity);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.err, "") << method << " " << list;
    }
    std::string Value(const std::string& query) { return site.Host().Value(query); }
    std::vector<std::string> Rows(const std::string& query) { return site.Host().Rows(query); }
    void Exec(const std::string& batch) { site.Host().Exec(batch); }

    //! The journal entries after the start entry, which every run writes first.
    std::vector<std::string> ErrorEntries() {
        std::vector<std::string> errors;
        for (const auto& line : site.Journal())
            if (line.rfind("0|", 0) == 0) errors.push_back(line);
        return errors;
    }
    //! The settings row's synchronization date (NULL when never stamped).
    std::string Stamped(const std::string& code) {
        return Value("SELECT CASE WHEN DatumSynchronizace IS NULL THEN 'NULL' ELSE "
                     "CONVERT(NVARCHAR(10), DATEDIFF(day, DatumSynchronizace, GETDATE())) END "
                     "FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'" +
                     code + "'");
    }
    //! The employee commit number the settings hold.
    std::string EmployeeCommit() {
        return Value("SELECT CommitNumber FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'employee'");
    }
    //! Sets the employee commit number to the Portal's, so what is there counts as downloaded.
    void AcceptPortalChanges() {
        Exec("UPDATE TabQUELTANastaveniSynchronizace SET CommitNumber = " + std::to_string(portal.Commit()) +
             " WHERE Kod = N'employee'");
    }
    int Calls(const std::string& operation) {
        const auto calls = portal.Calls();
        const auto found = calls.find(operation);
        return found == calls.end() ? 0 : found->second;
    }
    //! The record of a type with that host key, or null.
    Json Record(const std::string& type, const std::string& erpPk) {
        for (const auto& r : portal.Records(type))
            if (r.value("erpPk", "") == erpPk) return r;
        return nullptr;
    }
    //! The host keys of a type's records, sorted.
    std::vector<std::string> Keys(const std::string& type) {
        std::vector<std::string> keys;
        for (const auto& r : portal.Records(type))
            keys.push_back(r.value("erpPk", ""));
        std::sort(keys.begin(), keys.end());
        return keys;
    }
};

//! The records as a Portal that received the same data holds them: without commit numbers, which count every
//! change.
inline Json WithoutCommits(Json records) {
    for (auto& r : records)
        r.erase("commitNumber");
    return records;
}

} // namespace scenario
