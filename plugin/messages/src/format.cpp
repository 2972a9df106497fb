#include "plugin/messages/hlasky.h"

#include <stdexcept>
#include <vector>

namespace plugin {

std::string Format(std::string_view vzor, std::initializer_list<std::string_view> hodnoty) {
    const std::vector<std::string_view> values(hodnoty);
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < vzor.size(); ++i) {
        if (vzor[i] != '%') {
            out += vzor[i];
            continue;
        }
        std::size_t j = i + 1;
        if (j < vzor.size() && vzor[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        std::size_t index = next;
        std::size_t digits = j;
        while (digits < vzor.size() && vzor[digits] >= '0' && vzor[digits] <= '9')
            ++digits;
        if (digits > j && digits < vzor.size() && vzor[digits] == ':') {
            index = std::stoul(std::string(vzor.substr(j, digits - j)));
            j = digits + 1;
        }
        if (j >= vzor.size() || (vzor[j] != 's' && vzor[j] != 'd'))
            throw std::invalid_argument("Unsupported placeholder at position " + std::to_string(i) + " of '" +
                                        std::string(vzor) + "'");
        if (index >= values.size())
            throw std::invalid_argument("The pattern '" + std::string(vzor) + "' needs more than " +
                                        std::to_string(values.size()) + " value(s)");
        out += values[index];
        next = index + 1;
        i = j;
    }
    return out;
}

} // namespace plugin
