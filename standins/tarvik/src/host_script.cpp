#include "standins/tarvik/host_script.h"

#include "common/ascii.h"

#include <algorithm>
#include <utility>

namespace standins::tarvik {

//! Defined in the source generated from the sql/ folder.
std::vector<std::pair<std::string_view, std::string_view>> embeddedHostScriptFiles();

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isGoLine(std::string_view line) {
    return common::EqualsIgnoreCaseAscii(trimmed(line), "GO");
}

bool onlyBlanks(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return isBlank(c) || c == '\r' || c == '\n'; });
}

} // namespace

std::vector<ScriptFile> hostScriptFiles() {
    std::vector<ScriptFile> files;
    for (const auto& [name, text] : embeddedHostScriptFiles())
        files.push_back({name, text});
    return files;
}

std::vector<std::string> splitBatches(std::string_view script) {
    std::vector<std::string> batches;
    std::string current;
    auto finish = [&] {
        if (!onlyBlanks(current)) batches.push_back(current);
        current.clear();
    };
    std::size_t pos = 0;
    while (pos < script.size()) {
        std::size_t end = pos;
        while (end < script.size() && script[end] != '\n' && script[end] != '\r')
            ++end;
        std::size_t next = end;
        if (next < script.size() && script[next] == '\r') ++next;
        if (next < script.size() && script[next] == '\n' && (next == end || script[end] == '\r')) ++next;
        const auto line = script.substr(pos, end - pos);
        if (isGoLine(line))
            finish();
        else
            current.append(script.substr(pos, next - pos));
        pos = next;
    }
    finish();
    return batches;
}

std::vector<std::string> hostScriptBatches() {
    std::vector<std::string> all;
    for (const auto& file : hostScriptFiles()) {
        auto batches = splitBatches(file.text);
        all.insert(all.end(), std::make_move_iterator(batches.begin()),
                   std::make_move_iterator(batches.end()));
    }
    return all;
}

} // namespace standins::tarvik
