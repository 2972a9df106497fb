#include "tsql/shell.h"

#include "tsql/format.h"

#include <istream>
#include <sstream>

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

void forEachBatch(std::istream& in, const std::function<void(const std::string&)>& run) {
    std::string current, line;
    auto flush = [&] {
        if (current.find_first_not_of(" \t\r\n") != std::string::npos) run(current);
        current.clear();
    };
    std::streambuf* buffer = in.rdbuf();
    for (;;) {
        // One line and the break that ends it (LF, CRLF or CR), kept in the batch as written.
        line.clear();
        std::string breakChars;
        int c;
        while ((c = buffer->sbumpc()) != std::char_traits<char>::eof()) {
            if (c == '\n') {
                breakChars = "\n";
                break;
            }
            if (c == '\r') {
                breakChars = "\r";
                if (buffer->sgetc() == '\n') breakChars += static_cast<char>(buffer->sbumpc());
                break;
            }
            line += static_cast<char>(c);
        }
        bool end = c == std::char_traits<char>::eof();
        if (isGo(line))
            flush();
        else
            current += line + breakChars;
        if (end) break;
    }
    flush();
}

std::vector<std::string> splitBatches(const std::string& text) {
    std::vector<std::string> batches;
    std::istringstream in(text);
    forEachBatch(in, [&](const std::string& batch) { batches.push_back(batch); });
    return batches;
}

void ShellPrinter::onColumns(const std::vector<ResultColumn>& columns) {
    for (std::size_t i = 0; i < columns.size(); ++i)
        out_ << (i ? "\t" : "") << columns[i].name;
    out_ << '\n';
}

void ShellPrinter::onRow(const std::vector<Value>& row) {
    for (std::size_t i = 0; i < row.size(); ++i)
        out_ << (i ? "\t" : "") << formatForShell(row[i]);
    out_ << '\n';
}

void ShellPrinter::onDone(long long rows) {
    out_ << '(' << rows << " rows)\n";
}

void ShellPrinter::onMessage(const Message& m) {
    if (m.isError()) {
        errors_ = true;
        out_ << "Msg " << m.number << ", Level " << m.severity << ", State " << m.state << ": " << m.text
             << '\n';
    } else {
        out_ << m.text << '\n';
    }
}

bool formatOutput(const BatchOutput& out, std::string& text) {
    std::ostringstream printed;
    ShellPrinter printer(printed);
    for (const auto& ev : out.events) {
        if (ev.kind == BatchEvent::Kind::Rows) {
            printer.onColumns(ev.rows.columns);
            for (const auto& row : ev.rows.rows)
                printer.onRow(row);
            printer.onDone(static_cast<long long>(ev.rows.rows.size()));
        } else {
            printer.onMessage(ev.message);
        }
    }
    text += printed.str();
    return printer.errors();
}

} // namespace tsql
