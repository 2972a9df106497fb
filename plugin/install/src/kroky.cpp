#include "plugin/install/kroky.h"

#include <stdexcept>

namespace plugin {

void TplgKrokyInstalace::Registruj(std::string popis, std::function<bool()> operace) {
    if (kroky_.size() >= kNejvice) throw std::logic_error("Chybny pocet kroku !!");
    kroky_.push_back({std::move(popis), std::move(operace)});
}

} // namespace plugin
