#pragma once
//! A scripted host database for the core's tests, registered as the "embedded" backend.

#include "common/testing/temp_folder.h"
#include "quelta/user_interface.h"

#include "platform/db/connection.h"

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quelta::test {

using common::testing::TempFolder;

//! Answers the statements Quelta's start-up sends and records every batch.
struct FakeDatabase {
    std::vector<std::string> batches;
    std::vector<platform::db::ConnectionDescription> connections;
    platform::db::Value legislativa = platform::db::Value::integer(0);
    std::vector<platform::db::Value> portalRow = {
        platform::db::Value::integer(0), platform::db::Value::integer(0), platform::db::Value::null(),
        platform::db::Value::text("ABC"), platform::db::Value::text("http://127.0.0.1:1/portal")};
    std::optional<std::string> connectError; //!< connecting fails with this text
    std::optional<std::string> journalError; //!< journal entries with this code fail
    int failingJournalCode = 0;
    //! Further answers: a batch starting with the key gives the result set.
    std::map<std::string, platform::db::ResultSet> answers;
    //! Answers of several result sets, looked up before `answers` the same way.
    std::map<std::string, std::vector<platform::db::ResultSet>> batchAnswers;

    //! The journal entries written (code, text as stored).
    std::vector<std::pair<int, std::string>> journal;
    std::vector<std::pair<int, std::string>> Journal() const { return journal; }

    //! The one instance every fake connection answers from; reset for each test.
    static FakeDatabase& Instance();
    static void Reset();
};

//! A login form that answers from a script and records what it was shown.
struct ScriptedLogin : LoginPrompt {
    std::optional<LoginAnswer> answer;
    std::vector<std::string> shownWith;
    std::optional<LoginAnswer> Ask(const std::string& presetLogin) override {
        shownWith.push_back(presetLogin);
        return answer;
    }
};

//! Writes an INI file as UTF-8 lines.
void WriteTextFile(const std::filesystem::path& path, const std::string& content);
//! Reads a file's bytes.
std::string ReadBytes(const std::filesystem::path& path);

} // namespace quelta::test
