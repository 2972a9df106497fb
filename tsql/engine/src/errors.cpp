#include "errors.h"

namespace tsql::engine {

SqlError messageError(int number, int line, const std::vector<std::string>& args, int state) {
    const MessageInfo* info = findMessage(number, state);
    if (!info)
        return messageError(kInternalErrorNumber, line,
                            {"no text for message " + std::to_string(number) + "."});
    return SqlError(number, info->severity, state, formatMessage(info->text, args), line);
}

void raise(int number, int line, const std::vector<std::string>& args, int state) {
    throw messageError(number, line, args, state);
}

void raiseUnsupported(int line, const std::string& construct) {
    throw SqlError(102, 15, 1, "Incorrect syntax: " + construct + " is not supported by this server.", line);
}

} // namespace tsql::engine
