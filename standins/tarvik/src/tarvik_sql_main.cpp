// tarvik-sql: prints the host database script (and the demo company) for a T-SQL client.

#include "standins/tarvik/script_tool.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    try {
        const auto options =
            standins::tarvik::parseScriptToolArguments(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << standins::tarvik::scriptToolUsage();
            return 0;
        }
        standins::tarvik::writeHostDatabaseScript(std::cout, options);
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "tarvik-sql: writing the script failed\n";
            return 1;
        }
        return 0;
    } catch (const std::invalid_argument& e) {
        std::cerr << "tarvik-sql: " << e.what() << "\n" << standins::tarvik::scriptToolUsage();
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "tarvik-sql: " << e.what() << "\n";
        return 1;
    }
}
