//! tsqlsh: runs T-SQL batches from files or standard input on the embedded engine and prints what they
//! produce in a stable text form that scripts and tests rely on.

#include "tsql/engine.h"
#include "tsql/format.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

void usage() {
    std::cerr << "usage: tsqlsh [--db PATH [--create]] [--login NAME] [--server NAME] [FILE...]\n";
}

//! True for a line that holds only GO (blanks around allowed, any case).
bool isGo(std::string_view line) {
    std::size_t b = line.find_first_not_of(" \t");
    if (b == std::string_view::npos) return false;
    std::size_t e = line.find_last_not_of(" \t");
    std::string_view word = line.substr(b, e - b + 1);
    return word.size() == 2 && (word[0] == 'G' || word[0] == 'g') && (word[1] == 'O' || word[1] == 'o');
}

//! Splits a script into batches at lines that hold only GO; lines end at LF, CRLF or CR.
std::vector<std::string> splitBatches(const std::string& text) {
    std::vector<std::string> batches;
    std::string current;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        std::size_t next = end;
        if (next < text.size())
            next += (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n') ? 2 : 1;
        std::string_view line(text.data() + i, end - i);
        if (isGo(line)) {
            batches.push_back(current);
            current.clear();
        } else {
            current.append(text, i, next - i);
        }
        i = next;
    }
    if (current.find_first_not_of(" \t\r\n") != std::string::npos) batches.push_back(current);
    return batches;
}

bool print(const tsql::BatchOutput& out) {
    bool errors = false;
    for (const auto& ev : out.events) {
        if (ev.kind == tsql::BatchEvent::Kind::Rows) {
            std::string line;
            for (std::size_t i = 0; i < ev.rows.columns.size(); ++i)
                line += (i ? "\t" : "") + ev.rows.columns[i].name;
            std::cout << line << '\n';
            for (const auto& row : ev.rows.rows) {
                line.clear();
                for (std::size_t i = 0; i < row.size(); ++i)
                    line += (i ? "\t" : "") + tsql::formatForShell(row[i]);
                std::cout << line << '\n';
            }
            std::cout << '(' << ev.rows.rows.size() << " rows)\n";
        } else if (ev.message.isError()) {
            errors = true;
            std::cout << "Msg " << ev.message.number << ", Level " << ev.message.severity << ", State "
                      << ev.message.state << ": " << ev.message.text << '\n';
        } else {
            std::cout << ev.message.text << '\n';
        }
    }
    return errors;
}

} // namespace

int main(int argc, char** argv) {
    tsql::DatabaseOptions options;
    std::string login = "sa";
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--db")
            options.path = value();
        else if (a == "--login")
            login = value();
        else if (a == "--server")
            options.serverName = value();
        else if (a == "--create")
            options.create = true;
        else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            usage();
            return 2;
        } else
            files.push_back(a);
    }
    bool errors = false;
    try {
        auto db = tsql::Database::open(options);
        auto session = db->connect(login);
        auto runText = [&](const std::string& text) {
            for (const auto& batch : splitBatches(text))
                errors = print(session->execute(batch)) || errors;
        };
        if (files.empty()) files.push_back("-");
        for (const auto& f : files) {
            std::stringstream buffer;
            if (f == "-") {
                buffer << std::cin.rdbuf();
            } else {
                std::ifstream in(f, std::ios::binary);
                if (!in) {
                    std::cerr << "tsqlsh: cannot read " << f << '\n';
                    return 2;
                }
                buffer << in.rdbuf();
            }
            runText(buffer.str());
        }
        std::cout.flush();
    } catch (const tsql::SqlError& e) {
        std::cout << "Msg " << e.number() << ", Level " << e.severity() << ", State " << e.state() << ": "
                  << e.message() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "tsqlsh: " << e.what() << '\n';
        return 1;
    }
    return errors ? 1 : 0;
}
