#include "messages.h"

#include "tsql/error.h"

#include <stdexcept>

namespace tsql::server {

Message serverMessage(int number, const std::vector<std::string>& args) {
    for (const auto& m : kServerMessages)
        if (m.number == number) {
            Message out;
            out.number = m.number;
            out.severity = m.severity;
            out.state = m.state;
            out.line = 1;
            out.text = formatMessage(m.text, args);
            return out;
        }
    throw std::logic_error("no server message " + std::to_string(number));
}

} // namespace tsql::server
