#include "errors.h"

namespace tsql::engine {

void raise(int number, int line, const std::vector<std::string>& args) {
    SqlError e = SqlError::make(number, args);
    e.setLine(line);
    throw e;
}

void raiseUnsupported(int line, const std::string& construct) {
    throw SqlError(102, 15, 1, "Incorrect syntax: " + construct + " is not supported by this server.", line);
}

} // namespace tsql::engine
