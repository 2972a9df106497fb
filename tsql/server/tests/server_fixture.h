#pragma once
//! A server on a free loopback port over a fresh data folder holding the database "Tarvik", and clients
//! that log in to it.

#include "tds_client.h"

#include "common/testing/temp_folder.h"
#include "tsql/engine.h"
#include "tsql/server/server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tsql::server::testing {

inline constexpr const char* kPassword = "Heslo-123";

class ServerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        DatabaseOptions create;
        create.path = (folder_ / "Tarvik.db").string();
        create.create = true;
        Database::open(create)->connect("sa");
        ServerOptions o;
        o.dataDir = folder_.path().string();
        o.password = kPassword;
        o.serverName = "TESTSERVER";
        o.maxRequestBytes = 1 << 20;
        o.loginTimeoutSeconds = 5;
        o.log = [this](const std::string& line) {
            std::lock_guard lock(logMutex_);
            log_.push_back(line);
        };
        adjust(o);
        server_ = std::make_unique<Server>(o);
        server_->start();
    }
    void TearDown() override { server_->stop(); }

    //! Lets a fixture change the options before the server starts.
    virtual void adjust(ServerOptions&) {}

    //! A client logged in to the database (asserting that the login worked).
    std::unique_ptr<TdsClient> connect(const std::string& database = "Tarvik",
                                       std::uint32_t version = 0x74000004) {
        auto client = std::make_unique<TdsClient>(server_->port());
        const Reply reply = client->logIn("sa", kPassword, database, version);
        EXPECT_TRUE(reply.loginAck) << reply.messageTexts();
        return client;
    }

    //! Waits until a line containing `text` is logged; false when none comes within the time.
    bool waitForLog(const std::string& text, int timeoutMs = 10000) {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (log().find(text) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    //! The server's log so far, one line each.
    std::string log() {
        std::lock_guard lock(logMutex_);
        std::string out;
        for (const auto& l : log_)
            out += l + "\n";
        return out;
    }

    common::testing::TempFolder folder_{"tds-server"};
    std::unique_ptr<Server> server_;

private:
    std::mutex logMutex_;
    std::vector<std::string> log_;
};

} // namespace tsql::server::testing
