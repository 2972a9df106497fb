#include "errors.h"

namespace tsql::engine {

void raise(int number, int line, const std::vector<std::string>& args, int state) {
    const MessageInfo* info = findMessage(number);
    if (!info) raise(8630, line, {"no text for message " + std::to_string(number) + "."});
    throw SqlError(number, info->severity, state, formatMessage(info->text, args), line);
}

void raiseUnsupported(int line, const std::string& construct) {
    throw SqlError(102, 15, 1, "Incorrect syntax: " + construct + " is not supported by this server.", line);
}

} // namespace tsql::engine
