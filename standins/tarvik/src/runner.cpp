#include "standins/tarvik/runner.h"

#include "standins/tarvik/host_catalog.h"
#include "standins/tarvik/host_script.h"
#include "standins/tarvik/plugin_library.h"

#include "tsql/backend.h"
#include "tsql/engine.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

namespace standins::tarvik {

namespace {

using Command = RunnerOptions::Command;

template <typename T> T number(std::string_view option, std::string_view text, int base = 10) {
    T value{};
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) text.remove_prefix(2);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        throw std::invalid_argument(std::string(option) + " expects a" + (base == 16 ? " hexadecimal" : "") +
                                    " number, not '" + std::string(text) + "'");
    return value;
}

//! Which options each command takes.
struct OptionRule {
    const char* name;
    bool takesValue;
    bool create, run, install;
};

constexpr OptionRule kOptions[] = {
    {"--db", true, true, true, true},
    {"--demo", false, true, false, false},
    {"--sk", false, true, false, false},
    {"--scale", true, true, false, false},
    {"--seed", true, true, false, false},
    {"--wage-slips", true, true, false, false},
    {"--plugin", true, false, true, true},
    {"--browse", true, false, true, false},
    {"--extkom", true, false, true, false},
    {"--current", true, false, true, true},
    {"--marked", true, false, true, false},
    {"--period", true, false, true, true},
    {"--answer", true, false, true, true},
    {"--tarvik-version", true, false, true, true},
    {"--sql-server-version", true, false, true, true},
};

const OptionRule* findOption(std::string_view name) {
    for (const auto& rule : kOptions)
        if (name == rule.name) return &rule;
    return nullptr;
}

bool allowed(const OptionRule& rule, Command command) {
    return (command == Command::Create && rule.create) || (command == Command::Run && rule.run) ||
           (command == Command::Install && rule.install);
}

void apply(RunnerOptions& o, std::string_view name, const std::string& value) {
    if (name == "--db")
        o.database = value;
    else if (name == "--demo")
        o.demo = true;
    else if (name == "--sk")
        o.demoOptions.slovak = true;
    else if (name == "--scale") {
        o.demoOptions.scale = number<int>(name, value);
        if (o.demoOptions.scale < 1) throw std::invalid_argument("--scale must be at least 1");
    } else if (name == "--seed")
        o.demoOptions.seed = number<std::uint64_t>(name, value);
    else if (name == "--wage-slips")
        o.wageSlipFolder = value;
    else if (name == "--plugin")
        o.pluginLibrary = value;
    else if (name == "--browse") {
        o.browse.browse = number<int>(name, value);
        o.browseGiven = true;
    } else if (name == "--extkom")
        o.browse.extKomId = number<int>(name, value);
    else if (name == "--current")
        o.browse.currentId = number<long long>(name, value);
    else if (name == "--marked")
        o.browse.markedIds = parseIdList(value);
    else if (name == "--period")
        o.browse.periodId = number<int>(name, value);
    else if (name == "--answer")
        o.answers.push_back(ScriptedAnswer::parse(value));
    else if (name == "--tarvik-version")
        o.settings.tarvikVersion = number<std::uint64_t>(name, value, 16);
    else if (name == "--sql-server-version")
        o.settings.sqlServerVersion = number<std::uint32_t>(name, value, 16);
}

//! The line `line` (from 1) of a batch, or its first line that holds something.
std::string statementLine(std::string_view batch, int line) {
    std::vector<std::string> lines;
    std::istringstream in{std::string(batch)};
    for (std::string text; std::getline(in, text);)
        lines.push_back(text);
    if (line >= 1 && line <= static_cast<int>(lines.size())) return lines[static_cast<std::size_t>(line - 1)];
    for (const auto& text : lines)
        if (text.find_first_not_of(" \t\r") != std::string::npos) return text;
    return {};
}

//! Runs batches, stopping at the first error; `progress` (when set) hears how far it got in percent.
void runBatches(tsql::Session& session, const std::vector<std::string>& batches, std::string_view what,
                const CreationProgress& progress = {}) {
    int shown = -1;
    for (std::size_t i = 0; i < batches.size(); ++i) {
        const auto& batch = batches[i];
        if (progress) {
            const int percent = static_cast<int>(100 * i / batches.size());
            if (percent != shown) progress(what, shown = percent);
        }
        const auto output = session.execute(batch);
        for (const auto& event : output.events) {
            if (event.kind != tsql::BatchEvent::Kind::Message || !event.message.isError()) continue;
            throw std::runtime_error("Creating the " + std::string(what) + " failed: " + event.message.text +
                                     "\n  at line " + std::to_string(event.message.line) + ": " +
                                     statementLine(batch, event.message.line));
        }
    }
    if (progress) progress(what, 100);
}

//! A host message as a terminal line: CR (or CR LF) line breaks become newlines and the emphasis
//! marks (U+0001) are dropped.
std::string readable(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\x01') continue;
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

void removeDatabaseFiles(const std::filesystem::path& file) {
    std::error_code ignored;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::filesystem::remove(file.string() + suffix, ignored);
}

//! A front end that answers from the script and writes every interaction as it happens.
class EchoingFrontEnd : public FrontEnd {
public:
    EchoingFrontEnd(std::vector<ScriptedAnswer> answers, std::ostream& out)
        : script_(std::move(answers))
        , out_(out) {}

    void showInfo(std::string_view text) override {
        echo([&] { script_.showInfo(text); });
    }
    void showError(std::string_view text) override {
        echo([&] { script_.showError(text); });
    }
    bool askYesNo(std::string_view text) override {
        return echo([&] { return script_.askYesNo(text); });
    }
    plugin::TaAnswer askYesNoCancel(std::string_view text) override {
        return echo([&] { return script_.askYesNoCancel(text); });
    }
    bool selectValue(int browse, std::string_view field, plugin::TaVariant& value,
                     std::string_view caption) override {
        return echo([&] { return script_.selectValue(browse, field, value, caption); });
    }
    bool selectFromBrowse(plugin::TaBrowseSelection& selection) override {
        return echo([&] { return script_.selectFromBrowse(selection); });
    }
    void openBrowse(int browse, std::string_view condition) override {
        echo([&] { script_.openBrowse(browse, condition); });
    }
    std::size_t pendingAnswers() const { return script_.pendingAnswers(); }

private:
    template <typename F> auto echo(F call) -> decltype(call()) {
        struct Flush {
            EchoingFrontEnd& self;
            ~Flush() {
                const auto& transcript = self.script_.transcript();
                for (; self.printed_ < transcript.size(); ++self.printed_)
                    self.out_ << readable(transcript[self.printed_].describe()) << '\n';
                self.out_.flush();
            }
        } flush{*this};
        return call();
    }

    ScriptedFrontEnd script_;
    std::ostream& out_;
    std::size_t printed_ = 0;
};

std::unique_ptr<platform::db::Connection> openHostDatabase(const std::filesystem::path& file) {
    auto description = hostDatabaseDescription(file);
    if (!std::filesystem::is_regular_file(file))
        throw std::runtime_error("The host database " + file.string() +
                                 " does not exist (create it with tarvik create).");
    tsql::registerEmbeddedBackend();
    return platform::db::connect(description);
}

//! Checks that a positive ExtKom ID names an action of TabExtKom registered for the browse.
void checkAction(platform::db::Connection& connection, const BrowseState& state) {
    if (state.extKomId <= 0) return;
    const auto result =
        connection.execute("SELECT IdBrowse FROM dbo.TabExtKom WHERE ID = " + std::to_string(state.extKomId));
    if (result.resultSets.empty() || result.resultSets.front().rowCount() == 0)
        throw std::runtime_error("TabExtKom has no action with ID " + std::to_string(state.extKomId) + ".");
    const auto& browse = result.resultSets.front().rows()[0][0];
    if (!browse.isNull() && browse.asInt() != state.browse)
        throw std::runtime_error("The action " + std::to_string(state.extKomId) + " belongs to browse " +
                                 std::to_string(browse.asInt()) + ", not to browse " +
                                 std::to_string(state.browse) + ".");
}

int runPlugin(const RunnerOptions& options, bool silentInstall, std::ostream& out, std::ostream& err) {
    auto connection = openHostDatabase(options.database);
    checkAction(*connection, options.browse);
    PluginLibrary library(options.pluginLibrary);
    if (silentInstall && !library.readyForSilentInstall())
        throw std::runtime_error("The plug-in " + library.sysAndClassName() +
                                 " cannot be installed silently.");
    EchoingFrontEnd frontEnd(options.answers, out);
    std::string failure;
    {
        HostTarvik host(*connection, frontEnd, options.browse, options.settings);
        auto object = library.createObject();
        try {
            object->Run(host);
        } catch (const std::exception& e) {
            failure = e.what();
        }
        for (const auto& call : host.hostCalls())
            out << "HOST: " << call << '\n';
    }
    if (!failure.empty()) {
        err << "Run failed: " << readable(failure) << '\n';
        return 1;
    }
    if (frontEnd.pendingAnswers() > 0) {
        err << frontEnd.pendingAnswers() << " prepared answer(s) were not asked for.\n";
        return 1;
    }
    return 0;
}

} // namespace

RunnerOptions parseRunnerArguments(const std::vector<std::string>& args) {
    RunnerOptions o;
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") return o;
    if (args[0] == "create")
        o.command = Command::Create;
    else if (args[0] == "run")
        o.command = Command::Run;
    else if (args[0] == "install")
        o.command = Command::Install;
    else
        throw std::invalid_argument("unknown command '" + args[0] + "'");
    for (std::size_t i = 1; i < args.size(); ++i) {
        const auto* rule = findOption(args[i]);
        if (!rule || !allowed(*rule, o.command))
            throw std::invalid_argument("'" + args[i] + "' is not an option of tarvik " + args[0]);
        std::string value;
        if (rule->takesValue) {
            if (i + 1 >= args.size()) throw std::invalid_argument(args[i] + " expects a value");
            value = args[++i];
        }
        apply(o, rule->name, value);
    }
    if (o.database.empty()) throw std::invalid_argument("--db is required");
    const bool describesDemo = o.demoOptions.slovak || o.demoOptions.scale != 1 ||
                               o.demoOptions.seed != DemoOptions{}.seed || !o.wageSlipFolder.empty();
    if (o.command == Command::Create && describesDemo && !o.demo)
        throw std::invalid_argument(
            "--sk, --scale, --seed and --wage-slips describe the demo company; add --demo");
    hostDatabaseDescription(o.database);
    if (o.command != Command::Create && o.pluginLibrary.empty())
        throw std::invalid_argument("--plugin is required");
    if (o.command == Command::Run && !o.browseGiven) throw std::invalid_argument("--browse is required");
    if (o.command == Command::Install) {
        o.browse.browse = kPluginListBrowse;
        o.browse.extKomId = -3;
    }
    return o;
}

std::string runnerUsage() {
    return "usage:\n"
           "  tarvik create --db FILE.db [--demo [--sk] [--scale N] [--seed N] [--wage-slips DIR]]\n"
           "  tarvik run --db FILE.db --plugin LIB --browse N [--extkom ID] [--current ID]\n"
           "             [--marked 1,2,3] [--period ID] [--answer yes|no|cancel|value:TEXT]...\n"
           "             [--tarvik-version HEX] [--sql-server-version HEX]\n"
           "  tarvik install --db FILE.db --plugin LIB [--answer ...]...\n"
           "create makes a new host database (never overwrites one); run calls the plug-in with that\n"
           "browse state and prints every message it showed; install installs the plug-in silently.\n";
}

platform::db::ConnectionDescription hostDatabaseDescription(const std::filesystem::path& file) {
    if (file.extension() != ".db" || file.stem().empty())
        throw std::invalid_argument("the database file name must end in .db: " + file.string());
    platform::db::ConnectionDescription description;
    description.backend = "embedded";
    description.database = file.stem().string();
    description.dataDir = file.has_parent_path() ? file.parent_path().string() : ".";
    return description;
}

void createHostDatabase(const std::filesystem::path& file, bool demo, const DemoOptions& demoOptions,
                        const std::filesystem::path& wageSlipFolder, const CreationProgress& progress) {
    hostDatabaseDescription(file);
    if (std::filesystem::exists(file))
        throw std::runtime_error("The host database " + file.string() +
                                 " already exists; it was left as it is.");
    const auto partial = file.parent_path() / ("." + file.filename().string() + ".creating");
    removeDatabaseFiles(partial);
    try {
        {
            tsql::DatabaseOptions options;
            options.path = partial.string();
            options.name = file.stem().string();
            options.create = true;
            auto database = tsql::Database::open(options);
            const char* user = std::getenv("USER");
            auto session = database->connect(user && *user ? user : "user");
            runBatches(*session, hostScriptBatches(), "host database", progress);
            if (demo) {
                const auto company = generateDemoCompany(demoOptions);
                runBatches(*session, renderBatches(company), "demo company", progress);
                if (!wageSlipFolder.empty()) writeWageSlips(company, wageSlipFolder);
            }
        }
        for (const char* suffix : {"-wal", "-shm"})
            if (std::filesystem::exists(partial.string() + suffix))
                std::filesystem::rename(partial.string() + suffix, file.string() + suffix);
        std::filesystem::rename(partial, file);
    } catch (...) {
        removeDatabaseFiles(partial);
        throw;
    }
}

namespace {

//! One updating line on a terminal ("Creating the demo company: 40 %"); nothing when err is not one.
CreationProgress terminalProgress(std::ostream& err) {
    if (&err != &std::cerr || !::isatty(STDERR_FILENO)) return {};
    return [&err](std::string_view what, int percent) {
        err << "\rCreating the " << what << ": " << percent << " %" << (percent == 100 ? "\n" : "")
            << std::flush;
    };
}

} // namespace

int runTarvik(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    RunnerOptions options;
    try {
        options = parseRunnerArguments(args);
    } catch (const std::invalid_argument& e) {
        err << "tarvik: " << e.what() << "\n" << runnerUsage();
        return 2;
    }
    try {
        switch (options.command) {
        case Command::Help:
            out << runnerUsage();
            return 0;
        case Command::Create:
            createHostDatabase(options.database, options.demo, options.demoOptions, options.wageSlipFolder,
                               terminalProgress(err));
            out << "Created " << options.database.string() << '\n';
            return 0;
        case Command::Run:
            return runPlugin(options, false, out, err);
        case Command::Install:
            return runPlugin(options, true, out, err);
        }
    } catch (const std::exception& e) {
        err << "tarvik: " << e.what() << '\n';
    }
    return 1;
}

} // namespace standins::tarvik
