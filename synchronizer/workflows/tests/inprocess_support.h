#pragma once
// Runs of Quelta inside the test process, with a user interface the test can read.

#include "quelta/portal/client_options.h"
#include "quelta/run.h"
#include "quelta/workflows/workflow_synch.h"

#include <memory>
#include <string>
#include <vector>

namespace scenario {

//! Everything the progress pane was told, as "list X", "rowcount N", "show", "inc".
struct PaneLog {
    std::vector<std::string> events;
};

//! A progress pane that writes into a log.
class LoggingPane : public quelta::ProgressPane {
public:
    explicit LoggingPane(std::shared_ptr<PaneLog> log)
        : log_(std::move(log)) {}
    void SetCiselnik(const std::string& list) override { log_->events.push_back("list " + list); }
    void SetRowcount(int rowcount) override {
        log_->events.push_back("rowcount " + std::to_string(rowcount));
    }
    void SetCaption(const std::string& caption) override { log_->events.push_back("caption " + caption); }
    void SetLabel1(const std::string& text) override { log_->events.push_back("label1 " + text); }
    void SetListLabel(const std::string& text) override { log_->events.push_back("lbList " + text); }
    void Show() override { log_->events.push_back("show"); }
    void inc() override { log_->events.push_back("inc"); }

private:
    std::shared_ptr<PaneLog> log_;
};

//! Message boxes recorded; progress panes logged; no login form.
class RecordingUi : public quelta::UserInterface {
public:
    std::vector<std::string> messages;
    std::shared_ptr<PaneLog> pane = std::make_shared<PaneLog>();
    int panesCreated = 0;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::unique_ptr<quelta::ProgressPane> CreateProgressPane() override {
        ++panesCreated;
        return std::make_unique<LoggingPane>(pane);
    }
    std::optional<quelta::LoginAnswer> Ask(const std::string&) override { return std::nullopt; }
};

//! Runs one method of Quelta in this process on the site's database, interactively ("0") or silently.
inline void RunInProcess(const std::filesystem::path& siteFolder, quelta::UserInterface& ui,
                         const std::vector<std::string>& args, quelta::EndpointFactory endpoint = {}) {
    quelta::CommandLine command;
    std::string* fields[] = {&command.method, &command.list, &command.showFlag, &command.entityId};
    for (std::size_t i = 0; i < args.size() && i < 4; ++i)
        *fields[i] = args[i];
    command.server = "LOCAL";
    command.database = "Tarvik";
    quelta::RunEnvironment environment;
    environment.ui = &ui;
    environment.iniPath = siteFolder / "Quelta.INI";
    environment.endpointFactory = endpoint ? endpoint : quelta::MakePortalEndpointFactory({});
    environment.synchFactory = quelta::WorkflowSynchFactory();
    quelta::Run(command, environment);
}

} // namespace scenario
