// The command line that asks the host for a silent installation.

#include "plugin/install/instalace.h"

#include <fstream>
#include <iterator>

namespace plugin {

bool TichaInstalaceZPrikazoveRadky(const std::vector<std::string>& argumenty) {
    for (const auto& argument : argumenty) {
        if (argument.size() < 3 || (argument[0] != '-' && argument[0] != '/')) continue;
        if ((argument[1] == 'X' || argument[1] == 'x') && (argument[2] == 'X' || argument[2] == 'x'))
            return true;
    }
    return false;
}

std::vector<std::string> ArgumentyProcesu() {
    std::ifstream soubor("/proc/self/cmdline", std::ios::binary);
    const std::string obsah{std::istreambuf_iterator<char>(soubor), std::istreambuf_iterator<char>()};
    std::vector<std::string> argumenty;
    for (std::size_t zacatek = 0; zacatek < obsah.size();) {
        const auto konec = obsah.find('\0', zacatek);
        argumenty.push_back(obsah.substr(zacatek, konec - zacatek));
        if (konec == std::string::npos) break;
        zacatek = konec + 1;
    }
    return argumenty;
}

} // namespace plugin
