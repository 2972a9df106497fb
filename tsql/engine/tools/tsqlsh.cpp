//! tsqlsh: runs T-SQL batches from files or standard input on the embedded engine and prints what they
//! produce in a stable text form that scripts and tests rely on.

#include "tsql/engine.h"
#include "tsql/shell.h"

#include <fstream>
#include <iostream>
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
        // Batches run as soon as they have been read and print what they produce as it comes.
        tsql::ShellPrinter printer(std::cout);
        auto runBatch = [&](const std::string& batch) {
            session->execute(batch, printer);
            std::cout.flush();
        };
        if (files.empty()) files.push_back("-");
        for (const auto& f : files) {
            if (f == "-") {
                tsql::forEachBatch(std::cin, runBatch);
                continue;
            }
            std::ifstream in(f, std::ios::binary);
            if (!in) {
                std::cerr << "tsqlsh: cannot read " << f << '\n';
                return 2;
            }
            tsql::forEachBatch(in, runBatch);
        }
        errors = printer.errors();
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
