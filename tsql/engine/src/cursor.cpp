#include "cursor.h"

#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "tsql/convert.h"
#include "tsql/sqlite.h"

#include <utility>

namespace tsql::engine {

//! A declared cursor: its query with the variables as they were at DECLARE, and its rows once open.
struct Cursor {
    std::string name;
    std::shared_ptr<const Query> query;
    std::vector<Variable> variables; //!< the declaring scope's variables, values fixed at DECLARE
    bool scrollable = false;
    bool keepsCount = false;
    bool open = false;
    std::vector<ResultColumn> columns;
    //! The rows one after another, columns.size() values each, kChunkRows rows to a chunk (values are
    //! never moved as rows are added).
    static constexpr std::size_t kChunkRows = 256;
    std::vector<std::vector<Value>> chunks;
    long long rows = 0;
    //! Current row: -1 before the first, rows after the last.
    long long position = -1;
    const Value* row(long long i) const {
        const auto n = static_cast<std::size_t>(i);
        return chunks[n / kChunkRows].data() + (n % kChunkRows) * columns.size();
    }
};

using CursorMap = std::map<std::string, std::shared_ptr<Cursor>>; //!< by upper-case name

struct CursorState {
    CursorMap global;
    std::vector<CursorMap> local; //!< one map per running scope, innermost last
    //! Counts the changes of what names find (FetchPlan).
    std::uint64_t generation = 1;
};

namespace {

CursorState& state(Session::Impl& s) {
    if (!s.cursors) s.cursors = std::make_shared<CursorState>();
    return *s.cursors;
}

//! The cursor a statement names: the scope's LOCAL cursor first, then the GLOBAL one.
std::shared_ptr<Cursor> find(Session::Impl& s, const std::string& name, bool global, int line) {
    CursorState& st = state(s);
    std::string key = upper(name);
    if (!global && !st.local.empty()) {
        auto it = st.local.back().find(key);
        if (it != st.local.back().end()) return it->second;
    }
    auto it = st.global.find(key);
    if (it == st.global.end()) raise(16916, line, {name});
    return it->second;
}

//! Runs the cursor's query with the variables of its DECLARE in place of the current ones.
void materialise(Executor& ex, Cursor& c) {
    auto& s = ex.session();
    std::vector<Variable> saved = std::exchange(s.variables, c.variables);
    auto restore = [&] { s.variables = std::move(saved); };
    try {
        Binder b(s);
        QueryShape shape = b.query(*c.query, nullptr);
        sqlite3_stmt* st = ex.prepare(shape.sql);
        StatementReset reset(st);
        const std::size_t width = shape.columns.size();
        c.chunks.clear();
        c.rows = 0;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            if (static_cast<std::size_t>(c.rows) % Cursor::kChunkRows == 0) {
                // The first chunk grows as rows come (a cursor of a few rows takes little); the next
                // ones take their full size at once.
                c.chunks.emplace_back();
                if (c.chunks.size() > 1) c.chunks.back().reserve(Cursor::kChunkRows * width);
            }
            std::vector<Value>& chunk = c.chunks.back();
            for (std::size_t i = 0; i < width; ++i)
                chunk.push_back(readColumn(st, static_cast<int>(i), shape.columns[i].type));
            ++c.rows;
        }
        if (rc != SQLITE_DONE) throwSqlite(s.db, rc, shape.sql);
        c.columns = std::move(shape.columns);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void declare(Executor& ex, const DeclareCursorStmt& stmt) {
    auto& s = ex.session();
    CursorState& st = state(s);
    CursorMap& scope = stmt.global || st.local.empty() ? st.global : st.local.back();
    std::string key = upper(stmt.name);
    if (scope.count(key)) raise(16915, stmt.line, {stmt.name});
    auto c = std::make_shared<Cursor>();
    c->name = stmt.name;
    c->query = stmt.query;
    c->variables = s.variables;
    c->scrollable = stmt.scroll;
    c->keepsCount = stmt.keepsCount;
    scope[key] = std::move(c);
    ++st.generation;
    s.rowCount = 1;
}

//! The row FETCH moves to (outside 0..size-1 past either end).
long long target(Executor& ex, const CursorStmt& stmt, const Cursor& c) {
    const long long size = c.rows;
    auto offset = [&] {
        Value v = ex.evaluate(*stmt.offset);
        return v.isNull() ? 0 : convert(v, Type::bigInt()).asInt();
    };
    switch (stmt.direction) {
    case FetchDirection::Next:
        return c.position + 1;
    case FetchDirection::Prior:
        return c.position - 1;
    case FetchDirection::First:
        return 0;
    case FetchDirection::Last:
        return size - 1;
    case FetchDirection::Absolute: {
        long long n = offset();
        if (n == 0) return -1;
        return n > 0 ? n - 1 : size + n;
    }
    case FetchDirection::Relative:
        return c.position + offset();
    }
    return c.position + 1;
}

constexpr const char* directionNames[] = {"NEXT", "PRIOR", "FIRST", "LAST", "ABSOLUTE", "RELATIVE"};

void fetch(Executor& ex, const CursorStmt& stmt) {
    auto& s = ex.session();
    auto c = find(s, stmt.name, stmt.global, stmt.line);
    if (!c->open) raise(16917, stmt.line, {});
    if (stmt.direction != FetchDirection::Next && !c->scrollable)
        raise(16911, stmt.line, {directionNames[static_cast<int>(stmt.direction)]});
    std::vector<Variable*> targets;
    if (stmt.hasInto) {
        if (stmt.into.size() != c->columns.size()) raise(16924, stmt.line, {});
        for (const auto& name : stmt.into) {
            Variable* v = s.variable(name);
            if (!v) raise(137, stmt.line, {name});
            targets.push_back(v);
        }
    }
    const long long size = c->rows;
    long long row = target(ex, stmt, *c);
    bool found = row >= 0 && row < size;
    // Past either end the cursor stays just outside the rows, as a later NEXT or PRIOR expects.
    c->position = found ? row : (row < 0 ? -1 : size);
    s.fetchStatus = found ? 0 : -1;
    s.rowCount = found ? 1 : 0;
    if (stmt.hasInto) {
        if (!found) return;
        const Value* values = c->row(row);
        for (std::size_t i = 0; i < targets.size(); ++i)
            ex.assign(*targets[i], values[i]);
        return;
    }
    std::vector<std::vector<Value>> rows;
    if (found) rows.emplace_back(c->row(row), c->row(row) + c->columns.size());
    ex.sendRows(c->columns, rows);
}

void close(Session::Impl& s, Cursor& c) {
    c.open = false;
    c.chunks.clear();
    c.rows = 0;
    c.columns.clear();
    c.position = -1;
    s.cursorRows = 0;
}

void deallocate(Session::Impl& s, const CursorStmt& stmt) {
    CursorState& st = state(s);
    std::string key = upper(stmt.name);
    CursorMap* scope = &st.global;
    if (!stmt.global && !st.local.empty() && st.local.back().count(key)) scope = &st.local.back();
    auto it = scope->find(key);
    if (it == scope->end()) raise(16916, stmt.line, {stmt.name});
    if (it->second->open) close(s, *it->second);
    scope->erase(it);
    ++st.generation;
}

} // namespace

void executeCursor(Executor& ex, const Statement& stmt) {
    auto& s = ex.session();
    if (stmt.kind == StmtKind::DeclareCursor) {
        declare(ex, static_cast<const DeclareCursorStmt&>(stmt));
        return;
    }
    const auto& cs = static_cast<const CursorStmt&>(stmt);
    switch (stmt.kind) {
    case StmtKind::OpenCursor: {
        auto c = find(s, cs.name, cs.global, stmt.line);
        if (c->open) raise(16905, stmt.line, {});
        materialise(ex, *c);
        c->open = true;
        c->position = -1;
        s.cursorRows = c->keepsCount ? c->rows : -1;
        s.rowCount = 0;
        break;
    }
    case StmtKind::FetchCursor:
        fetch(ex, cs);
        break;
    case StmtKind::CloseCursor: {
        auto c = find(s, cs.name, cs.global, stmt.line);
        if (!c->open) raise(16917, stmt.line, {});
        close(s, *c);
        s.rowCount = 0;
        break;
    }
    case StmtKind::DeallocateCursor:
        deallocate(s, cs);
        s.rowCount = 0;
        break;
    default:
        break;
    }
}

bool fetchNext(Executor& ex, const CursorStmt& stmt, FetchPlan& plan) {
    auto& s = ex.session();
    CursorState& st = state(s);
    if (plan.generation != st.generation) {
        plan.cursor.reset();
        try {
            plan.cursor = find(s, stmt.name, stmt.global, stmt.line);
        } catch (const SqlError&) {
            return false;
        }
        plan.generation = st.generation;
    }
    Cursor& c = *plan.cursor;
    if (!c.open || plan.slots.size() != c.columns.size()) return false;
    const long long row = c.position + 1;
    const bool found = row < c.rows;
    c.position = found ? row : c.rows;
    s.fetchStatus = found ? 0 : -1;
    s.rowCount = found ? 1 : 0;
    if (!found) return true;
    const Value* values = c.row(row);
    for (std::size_t i = 0; i < plan.slots.size(); ++i)
        ex.assign(s.variables[plan.slots[i]], values[i]);
    return true;
}

CursorScope::CursorScope(Session::Impl& session)
    : s_(session) {
    state(s_).local.emplace_back();
    ++state(s_).generation;
}

CursorScope::~CursorScope() {
    CursorState& st = state(s_);
    for (auto& [key, c] : st.local.back())
        if (c->open) c->open = false;
    st.local.pop_back();
    ++st.generation;
}

} // namespace tsql::engine
