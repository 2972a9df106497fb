#include "standins/tarvik/script_tool.h"

#include "standins/tarvik/host_script.h"

#include <charconv>
#include <stdexcept>

namespace standins::tarvik {

namespace {

template <typename T> T number(const std::string& option, const std::string& text, T minimum) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < minimum)
        throw std::invalid_argument(option + " needs a whole number of at least " + std::to_string(minimum) +
                                    ", not '" + text + "'");
    return value;
}

} // namespace

ScriptToolOptions parseScriptToolArguments(const std::vector<std::string>& args) {
    ScriptToolOptions o;
    auto value = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) throw std::invalid_argument(args[i] + " needs a value");
        return args[++i];
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& a = args[i];
        if (a == "--help" || a == "-h")
            o.help = true;
        else if (a == "--demo")
            o.demo = true;
        else if (a == "--sk")
            o.demoOptions.slovak = true;
        else if (a == "--scale")
            o.demoOptions.scale = number<int>(a, value(i), 1);
        else if (a == "--seed")
            o.demoOptions.seed = number<std::uint64_t>(a, value(i), 0);
        else if (a == "--wage-slips")
            o.wageSlipFolder = value(i);
        else
            throw std::invalid_argument("Unknown argument '" + a + "'");
    }
    if (!o.demo && (o.demoOptions.slovak || o.demoOptions.scale != 1 || !o.wageSlipFolder.empty()))
        throw std::invalid_argument("--sk, --scale and --wage-slips describe the demo company; add --demo");
    return o;
}

std::string scriptToolUsage() {
    return "Usage: tarvik-sql [--demo [--sk] [--scale N] [--seed N] [--wage-slips DIR]]\n"
           "Writes the T-SQL script that creates the Tarvik host database (tables and procedures);\n"
           "with --demo also the demo company (Slovak with --sk, N x 24 employees with --scale) and,\n"
           "with --wage-slips, its wage-slip PDF files into DIR. Batches end with a line GO.\n";
}

void writeHostDatabaseScript(std::ostream& out, const ScriptToolOptions& options) {
    for (const auto& batch : hostScriptBatches())
        out << batch << (batch.ends_with('\n') ? "" : "\n") << "GO\n";
    if (!options.demo) return;
    const auto company = generateDemoCompany(options.demoOptions);
    for (const auto& batch : renderBatches(company))
        out << batch << "GO\n";
    if (!options.wageSlipFolder.empty()) writeWageSlips(company, options.wageSlipFolder);
}

} // namespace standins::tarvik
