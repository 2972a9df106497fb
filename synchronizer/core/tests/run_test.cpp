#include "quelta/errors.h"
#include "quelta/run.h"

#include "fake_database.h"

#include <gtest/gtest.h>

using namespace quelta;
using namespace quelta::test;
namespace db = platform::db;

namespace {

//! Records what a run shows; answers the login form from a script.
struct RecordingUi : UserInterface {
    std::vector<std::string> messages;
    std::optional<LoginAnswer> answer;
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    int panesCreated = 0;
    std::unique_ptr<ProgressPane> CreateProgressPane() override {
        struct Pane : ProgressPane {
            void SetCiselnik(const std::string&) override {}
            void SetRowcount(int) override {}
            void SetCaption(const std::string&) override {}
            void SetLabel1(const std::string&) override {}
            void SetListLabel(const std::string&) override {}
            void Show() override {}
            void inc() override {}
        };
        ++panesCreated;
        return std::make_unique<Pane>();
    }
    std::optional<LoginAnswer> Ask(const std::string&) override { return answer; }
};

//! A synchronizer whose upload records its argument or fails with a given error.
struct TestSynch : TSynch {
    explicit TestSynch(RunContext& c, std::vector<std::string>& calls, std::exception_ptr failure)
        : TSynch(c)
        , calls_(calls)
        , failure_(failure) {}
    void UploadToPortal(const std::string& list) override {
        calls_.push_back("upload " + list + " " + FLegislation());
        if (failure_) std::rethrow_exception(failure_);
    }
    void SaveEmployeeToPortal(const std::string& id) override { calls_.push_back("save " + id); }
    void Preprocess() override { Service(); }
    void PayrollCalendar() override {
        auto* first = &Context().Progress();
        calls_.push_back(first == &Context().Progress() ? "one pane" : "two panes");
    }
    std::vector<std::string>& calls_;
    std::exception_ptr failure_;
};

class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        FakeDatabase::Reset();
        WriteTextFile(dir / "quelta.INI", "[settings]\ndriver=embedded\nlogin=\n");
    }
    FakeDatabase& database() { return FakeDatabase::Instance(); }

    void run(std::vector<std::string> args) {
        args.resize(6);
        CommandLine line{args[0], args[1], args[2], args[3], args[4], args[5]};
        RunEnvironment environment;
        environment.ui = &ui;
        environment.iniPath = dir / "quelta.INI";
        environment.endpointFactory = [this](const PortalSettings& s) {
            settings = s;
            return std::shared_ptr<RpcKvaEndpoint>();
        };
        environment.synchFactory = [this](RunContext& c) {
            return std::make_unique<TestSynch>(c, calls, failure);
        };
        EXPECT_EQ(quelta::Run(line, environment), 0);
    }

    TempFolder dir;
    RecordingUi ui;
    std::vector<std::string> calls;
    std::exception_ptr failure;
    std::optional<PortalSettings> settings;
};

using Journal = std::vector<std::pair<int, std::string>>;

} // namespace

TEST_F(RunTest, BadParametersStopBeforeAnything) {
    const std::vector<std::vector<std::string>> cases = {
        {}, {"upload"}, {"upload", "srv"}, {"", "srv", "db"}, {"upload", "", "db"}};
    for (const auto& args : cases) {
        ui.messages.clear();
        run(args);
        EXPECT_EQ(ui.messages, std::vector<std::string>{"Bad parameters! Check documentation"});
    }
    EXPECT_TRUE(database().connections.empty());
}

TEST_F(RunTest, UploadWritesStartEntryAndRunsTheMethod) {
    database().legislativa = db::Value::integer(1);
    run({"upload", "srv", "Tarvik", "bankcode", "0"});
    EXPECT_EQ(database().Journal(),
              (Journal{{2, "QUELTA - Spustená synchronizácia - method: upload | list : bankcode"}}));
    EXPECT_EQ(calls, std::vector<std::string>{"upload bankcode SK"});
    EXPECT_TRUE(ui.messages.empty());
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->url, "http://127.0.0.1:1/portal");
    EXPECT_EQ(settings->certByName, "");
    EXPECT_EQ(settings->certSN, "ABC");
    // Portal settings, legislation, start entry, the synchronizer's own legislation read; each once.
    EXPECT_EQ(
        database().batches,
        (std::vector<std::string>{
            "SELECT TOP 1 CertStoreLocation, CertStoreName, CertByName, CertSN, URL\rFROM TabQUELTAHGlob",
            "SELECT TOP 1 Legislativa FROM TabHGlob",
            JournalBatch(2, "QUELTA - Spustená synchronizácia - method: upload | list : bankcode"),
            "SELECT TOP 1 Legislativa FROM TabHGlob"}));
}

TEST_F(RunTest, UnknownOrMiscasedMethodWritesOnlyTheStartEntry) {
    run({"Upload", "srv", "Tarvik"});
    EXPECT_EQ(database().Journal(),
              (Journal{{2, "QUELTA - Spustená synchronizácia - method: Upload | list : "}}));
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(RunTest, MethodErrorIsJournaledAndShownOnlyInInteractiveMode) {
    struct Case {
        std::string showFlag;
        bool shown;
    };
    for (const auto& c : {Case{"0", true}, Case{"", false}, Case{"1", false}, Case{"00", false}}) {
        SetUp();
        ui.messages.clear();
        failure = std::make_exception_ptr(ESOAPFault("Chyba: it's :erpPk"));
        run({"upload", "srv", "Tarvik", "bank'code", c.showFlag});
        EXPECT_EQ(database().Journal(),
                  (Journal{{2, "QUELTA - Spustená synchronizácia - method: upload | list : bank'code"},
                           {0, "QUELTA - ESOAPFault error raised with message : Chyba: it's :erpPk"}}))
            << c.showFlag;
        EXPECT_EQ(
            ui.messages,
            c.shown ? std::vector<std::string>{"ESOAPFault error raised, with message : \nChyba: it's :erpPk"}
                    : std::vector<std::string>{})
            << c.showFlag;
    }
}

TEST_F(RunTest, BaseSynchronizerReportsMissingWorkflows) {
    RunEnvironment environment;
    environment.ui = &ui;
    environment.iniPath = dir / "quelta.INI";
    quelta::Run({"download", "srv", "Tarvik", "employee", "0", ""}, environment);
    ASSERT_EQ(database().Journal().size(), 2u);
    EXPECT_EQ(database().Journal()[1].second.rfind("QUELTA - EQueltaError error raised with message : Metoda "
                                                   "DownloadEmployeesFromPortal",
                                                   0),
              0u);
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(RunTest, MissingPortalClientIsAMethodError) {
    run({"preprocess", "srv", "Tarvik", "preprocess"});
    const auto journal = database().Journal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[1],
              (std::pair<int, std::string>{0, "QUELTA - EQueltaError error raised with message : Klient "
                                              "služby portálu není v této verzi programu Quelta k "
                                              "dispozici."}));
}

TEST_F(RunTest, BadEntityIdIsAMethodErrorAndNothingRuns) {
    run({"save", "srv", "Tarvik", "employee", "", "1 OR 1=1"});
    EXPECT_TRUE(calls.empty());
    const auto journal = database().Journal();
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[1].first, 0);
    EXPECT_NE(journal[1].second.find("EQueltaError"), std::string::npos);
    EXPECT_NE(journal[1].second.find("1 OR 1=1"), std::string::npos);

    database().batches.clear();
    run({"save", "srv", "Tarvik", "employee", "", "17"});
    EXPECT_EQ(calls, std::vector<std::string>{"save 17"});
}

TEST_F(RunTest, StartUpFailuresAreShownAlwaysAndNotJournaled) {
    struct Case {
        std::function<void(FakeDatabase&)> arrange;
        std::string message;
    };
    const Case cases[] = {
        {[](FakeDatabase& d) { d.connectError = "Login timeout expired"; },
         "EDatabaseError error raised, with message : \nLogin timeout expired"},
        {[](FakeDatabase& d) { d.portalRow[0] = db::Value::null(); },
         "EConvertError error raised, with message : \n"},
        {[](FakeDatabase& d) { d.legislativa = db::Value::null(); },
         "EConvertError error raised, with message : \n"},
        {[](FakeDatabase& d) { d.legislativa = db::Value::integer(3); }, "Unsupported legislation!"},
        {[](FakeDatabase& d) {
             d.journalError = "Could not find stored procedure 'dbo.hp_ZapisDoZurnalu'.";
             d.failingJournalCode = 2;
         },
         "EDatabaseError error raised, with message : \nCould not find stored procedure "
         "'dbo.hp_ZapisDoZurnalu'."},
    };
    for (const auto& c : cases) {
        SetUp();
        ui.messages.clear();
        c.arrange(database());
        run({"upload", "srv", "Tarvik", "bankcode", "1"});
        ASSERT_EQ(ui.messages.size(), 1u) << c.message;
        EXPECT_EQ(ui.messages[0].rfind(c.message, 0), 0u) << ui.messages[0];
        EXPECT_TRUE(database().Journal().empty());
        EXPECT_TRUE(calls.empty());
    }
}

TEST_F(RunTest, FailingErrorEntryIsShownEvenWhenSilent) {
    failure = std::make_exception_ptr(EQueltaError("první"));
    database().journalError = "journal full";
    database().failingJournalCode = 0;
    run({"upload", "srv", "Tarvik", "bankcode", ""});
    EXPECT_EQ(ui.messages,
              std::vector<std::string>{"EDatabaseError error raised, with message : \njournal full"});
}

TEST_F(RunTest, CancelledLoginEndsQuietly) {
    WriteTextFile(dir / "quelta.INI", "[settings]\ndriver=embedded\nlogin=sa\npassword=\n");
    run({"upload", "srv", "Tarvik", "bankcode", "0"});
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(database().connections.empty());
}

TEST_F(RunTest, OneProgressPanePerRun) {
    run({"payrollcalendar", "srv", "Tarvik", "payrollcalendar", "0"});
    EXPECT_EQ(calls, std::vector<std::string>{"one pane"});
    EXPECT_EQ(ui.panesCreated, 1);
}
