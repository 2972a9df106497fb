//! tsqlsh: runs T-SQL batches from files or standard input on the embedded engine and prints what they
//! produce in a stable text form that scripts and tests rely on.

#include "tsql/engine.h"
#include "tsql/shell.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

void usage() {
    std::cerr << "usage: tsqlsh [--db PATH [--create]] [--login NAME] [--server NAME] [FILE...]\n";
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
            for (const auto& batch : tsql::splitBatches(text)) {
                std::string printed;
                errors = tsql::formatOutput(session->execute(batch), printed) || errors;
                std::cout << printed;
            }
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
