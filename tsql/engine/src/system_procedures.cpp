#include "system_procedures.h"

#include "alter.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "tsql/convert.h"

#include <string_view>

namespace tsql::engine {

namespace {

//! A system procedure and what runs it.
struct SystemProcedure {
    std::string_view name;
    void (*run)(Executor& ex, const ExecStmt& stmt);
};

constexpr SystemProcedure kSystemProcedures[] = {
    {"sp_rename", executeRename},
    {"sp_refreshview", executeRefreshView},
    {"sp_executesql", executeSql},
};

} // namespace

bool runSystemProcedure(Executor& ex, const ExecStmt& stmt) {
    // A statement's procedure name stays what it was parsed as: the answer is kept with it.
    if (stmt.system == 0) return false;
    for (const auto& p : kSystemProcedures)
        if (equalsIgnoreCase(stmt.procedure.name(), p.name)) {
            stmt.system = 1;
            p.run(ex, stmt);
            return true;
        }
    stmt.system = 0;
    return false;
}

std::string systemArgument(Executor& ex, const ExecStmt& stmt, std::size_t position, const char* name) {
    for (std::size_t i = 0; i < stmt.arguments.size(); ++i) {
        const ExecArgument& a = stmt.arguments[i];
        bool match = a.name.empty() ? i == position : equalsIgnoreCase(a.name, name);
        if (!match || !a.value) continue;
        Value v = ex.evaluate(*a.value);
        return v.isNull() ? "" : toText(v);
    }
    return "";
}

std::vector<std::string> nameParts(const std::string& text) {
    std::vector<std::string> parts(1);
    bool bracket = false;
    for (char c : text) {
        if (c == '[' && !bracket)
            bracket = true;
        else if (c == ']' && bracket)
            bracket = false;
        else if (c == '.' && !bracket)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

} // namespace tsql::engine
