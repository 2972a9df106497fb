#include "tsql/shell.h"

#include "tsql/format.h"

namespace tsql {

namespace {

bool isGo(std::string_view line) {
    std::size_t b = line.find_first_not_of(" \t");
    if (b == std::string_view::npos) return false;
    std::size_t e = line.find_last_not_of(" \t");
    std::string_view word = line.substr(b, e - b + 1);
    return word.size() == 2 && (word[0] == 'G' || word[0] == 'g') && (word[1] == 'O' || word[1] == 'o');
}

} // namespace

std::vector<std::string> splitBatches(const std::string& text) {
    std::vector<std::string> batches;
    std::string current;
    auto flush = [&] {
        if (current.find_first_not_of(" \t\r\n") != std::string::npos) batches.push_back(current);
        current.clear();
    };
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        std::size_t next = end;
        if (next < text.size())
            next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        if (isGo(std::string_view(text.data() + i, end - i)))
            flush();
        else
            current.append(text, i, next - i);
        i = next;
    }
    flush();
    return batches;
}

bool formatOutput(const BatchOutput& out, std::string& text) {
    bool errors = false;
    for (const auto& ev : out.events) {
        if (ev.kind == BatchEvent::Kind::Rows) {
            for (std::size_t i = 0; i < ev.rows.columns.size(); ++i)
                text += (i ? "\t" : "") + ev.rows.columns[i].name;
            text += '\n';
            for (const auto& row : ev.rows.rows) {
                for (std::size_t i = 0; i < row.size(); ++i)
                    text += (i ? "\t" : "") + formatForShell(row[i]);
                text += '\n';
            }
            text += "(" + std::to_string(ev.rows.rows.size()) + " rows)\n";
        } else if (ev.message.isError()) {
            errors = true;
            text += "Msg " + std::to_string(ev.message.number) + ", Level " +
                    std::to_string(ev.message.severity) + ", State " + std::to_string(ev.message.state) +
                    ": " + ev.message.text + "\n";
        } else {
            text += ev.message.text + "\n";
        }
    }
    return errors;
}

} // namespace tsql
