#include "exec.h"

#include "alter.h"
#include "cursor.h"
#include "ddl.h"
#include "errors.h"
#include "fast_steps.h"
#include "lexer.h"
#include "table_variable.h"
#include "trigger.h"
#include "tsql/convert.h"
#include "tsql/message_format.h"
#include "tsql/operators.h"
#include "tsql/sqlite.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

namespace tsql::engine {

namespace {

void sqliteStep(sqlite3* db, sqlite3_stmt* stmt, int rc) {
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) throwSqlite(db, rc, sqlite3_sql(stmt));
}

} // namespace

std::optional<BinaryOp> compoundAssignment(const std::string& op) {
    if (op.size() != 2 || op[1] != '=') return std::nullopt;
    return arithmeticOperator(op.substr(0, 1));
}

void Executor::bindVariables(sqlite3_stmt* stmt) {
    bindVariables(stmt, static_cast<std::size_t>(sqlite3_bind_parameter_count(stmt)));
}

void Executor::bindVariables(sqlite3_stmt* stmt, std::size_t n) {
    const std::size_t variables = s_.variables.size();
    for (std::size_t i = 1; i <= n; ++i) {
        if (i <= variables) {
            bindValue(stmt, static_cast<int>(i), s_.variables[i - 1].value);
        } else {
            // Every parameter is bound, NULL when there is no such constant: what a statement was bound
            // to before never stays.
            std::size_t literal = s_.literalBase + (i - variables - 1);
            if (literal < s_.literals.size())
                bindValue(stmt, static_cast<int>(i), s_.literals[literal]);
            else
                sqlite3_bind_null(stmt, static_cast<int>(i));
        }
    }
}

sqlite3_stmt* Executor::prepare(const std::string& sql) {
    sqlite3_stmt* stmt = s_.statements.get(sql);
    bindVariables(stmt);
    return stmt;
}

sqlite3_stmt* Executor::prepare(const BoundQuery& bound) {
    if (!bound.prepared || bound.preparedIn != &s_.statements ||
        bound.preparedGeneration != s_.statements.generation()) {
        bound.prepared = s_.statements.get(bound.shape.sql);
        bound.preparedIn = &s_.statements;
        bound.preparedGeneration = s_.statements.generation();
        bound.parameters = static_cast<std::size_t>(sqlite3_bind_parameter_count(bound.prepared));
    }
    bindVariables(bound.prepared, bound.parameters);
    return bound.prepared;
}

long long Executor::run(const std::string& sql) {
    sqlite3_stmt* stmt = prepare(sql);
    StatementReset reset(stmt);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    sqliteStep(s_.db, stmt, rc);
    return sqlite3_changes(s_.db);
}

std::vector<std::vector<Value>> Executor::rows(const std::string& sql,
                                               const std::vector<ResultColumn>& columns) {
    sqlite3_stmt* stmt = prepare(sql);
    StatementReset reset(stmt);
    std::vector<std::vector<Value>> out;
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        std::vector<Value> row;
        row.reserve(columns.size());
        for (std::size_t i = 0; i < columns.size(); ++i)
            row.push_back(readColumn(stmt, static_cast<int>(i), columns[i].type));
        out.push_back(std::move(row));
    }
    sqliteStep(s_.db, stmt, rc);
    return out;
}

//! An expression without FROM as bound: its SQL (a whole SELECT), type or folded value, and the
//! constants the SQL reads as parameters. Binding such an expression reads nothing but the variables
//! of the scope (slots and types), its constants and the trigger context, so the SQL applies again
//! while those are the same; an expression holding a query (tables, table variables) is bound anew
//! each time.
struct BoundScalar {
    bool cacheable = false;
    //! Holds a query: valid only in `context` for the statement it belongs to.
    bool query = false;
    BindContext context;
    bool condition = false;
    const Session::Impl* session = nullptr;
    std::size_t variables = 0;
    std::size_t variableTypes = 0;
    int nestLevel = 0;
    int triggerLevel = 0;
    const TableInfo* inserted = nullptr;
    std::string sql;
    Type type;
    std::optional<Value> constant;
    std::vector<Value> literals;
    //! The texts of the expression's literals when bound: a kept batch may have got other constants since.
    std::vector<std::string> literalTexts;
};

namespace {

bool holdsNoQuery(const Expr& e) {
    if (e.query) return false;
    for (const auto& a : e.args)
        if (a && !holdsNoQuery(*a)) return false;
    return true;
}

//! Appends the texts of the literals of `e` (without subqueries) in the order of the tree.
void collectLiteralTexts(const Expr& e, std::vector<std::string>& out) {
    if (e.kind == ExprKind::Literal) out.push_back(e.text);
    for (const auto& a : e.args)
        if (a) collectLiteralTexts(*a, out);
}

//! True when the literals of `e` have the texts `texts` (from collectLiteralTexts), counted by `at`.
bool sameLiteralTexts(const Expr& e, const std::vector<std::string>& texts, std::size_t& at) {
    if (e.kind == ExprKind::Literal && (at >= texts.size() || texts[at++] != e.text)) return false;
    for (const auto& a : e.args)
        if (a && !sameLiteralTexts(*a, texts, at)) return false;
    return true;
}

//! True when `e` is one of the expressions statement `s` evaluates itself (so its constants are `s`'s).
bool evaluatedBy(const Statement& s, const Expr& e) {
    switch (s.kind) {
    case StmtKind::Set:
        return static_cast<const SetStmt&>(s).value.get() == &e;
    case StmtKind::If:
        return static_cast<const IfStmt&>(s).condition.get() == &e;
    case StmtKind::While:
        return static_cast<const WhileStmt&>(s).condition.get() == &e;
    case StmtKind::Print:
    case StmtKind::Return:
        return static_cast<const SimpleStmt&>(s).value.get() == &e;
    case StmtKind::Declare:
        for (const auto& v : static_cast<const DeclareStmt&>(s).variables)
            if (v.init.get() == &e) return true;
        return false;
    default:
        return false;
    }
}

//! The names (upper case), types and kinds of the variables, in slot order.
std::string frameOf(const std::vector<Variable>& variables) {
    std::string out;
    for (const auto& v : variables) {
        out += upper(v.name);
        out += v.table ? '\1' : '\2';
        out += std::to_string(v.type.code());
        out += ';';
    }
    return out;
}

void pushLiterals(Session::Impl& s, const std::vector<Value>& literals) {
    for (const auto& v : literals) {
        s.literalIndex.emplace(literalHash(v), s.literals.size());
        s.literals.push_back(v);
    }
}

std::size_t variableTypes(const std::vector<Variable>& variables) {
    std::size_t h = variables.size();
    for (const auto& v : variables)
        h = h * 1000003u ^ static_cast<std::size_t>(v.type.code()) ^ (v.table ? 0x9e3779b9u : 0u);
    return h;
}

} // namespace

BindContext Executor::bindContext(const Statement& owner) const {
    return {&s_, s_.catalog.version(), program_ ? program_->frame : std::string(), owner.literalStamp};
}

bool Executor::inContext(const BindContext& context, const Statement& owner) const {
    return program_ && context.session == &s_ && context.catalog == s_.catalog.version() &&
           context.stamp == owner.literalStamp && context.frame == program_->frame;
}

std::shared_ptr<const BoundQuery> Executor::boundQuery(const Statement& owner,
                                                       std::shared_ptr<const BoundQuery>& kept,
                                                       const std::function<QueryShape(Binder&)>& bind) {
    // Constants are parameters numbered from the scope's first one: only SQL bound with no other
    // constant of the statement before it can be reused.
    const bool fresh = s_.literals.size() == s_.literalBase && current_ == &owner;
    std::shared_ptr<const BoundQuery> cached = kept;
    if (fresh && cached && inContext(cached->context, owner)) {
        pushLiterals(s_, cached->literals);
        return cached;
    }
    const std::size_t mark = s_.literals.size();
    Binder b(s_);
    auto bound = std::make_shared<BoundQuery>();
    bound->shape = bind(b);
    if (fresh && b.reusable()) {
        bound->context = bindContext(owner);
        bound->literals.assign(s_.literals.begin() + static_cast<std::ptrdiff_t>(mark), s_.literals.end());
        kept = bound;
    }
    return bound;
}

std::shared_ptr<const BoundScalar> Executor::bindScalar(const Expr& e, bool condition) {
    std::shared_ptr<const BoundScalar> cached = e.bound;
    // Constants are parameters numbered from the scope's first one: only SQL bound with no other
    // constant of the statement before it can be reused.
    const bool fresh = s_.literals.size() == s_.literalBase;
    if (cached && fresh && cached->query) {
        // Bound from the running statement's own expression under the same catalog and variables.
        if (current_ && cached->condition == condition && inContext(cached->context, *current_) &&
            evaluatedBy(*current_, e)) {
            pushLiterals(s_, cached->literals);
            return cached;
        }
    } else if (cached && fresh && cached->cacheable && cached->condition == condition &&
               cached->session == &s_ && cached->variables == s_.variables.size() &&
               cached->nestLevel == s_.nestLevel && cached->triggerLevel == s_.triggerLevel &&
               cached->inserted == s_.inserted.get() &&
               cached->variableTypes == variableTypes(s_.variables) && [&] {
                   std::size_t at = 0;
                   return sameLiteralTexts(e, cached->literalTexts, at) && at == cached->literalTexts.size();
               }()) {
        pushLiterals(s_, cached->literals);
        return cached;
    }
    auto bound = std::make_shared<BoundScalar>();
    const std::size_t mark = s_.literals.size();
    Binder b(s_);
    if (condition) {
        bound->sql = "SELECT CASE WHEN " + b.condition(e, Scope{}) + " THEN 1 ELSE 0 END";
        bound->type = Type::integer();
    } else {
        Bound x = b.expr(e, Scope{});
        bound->sql = "SELECT " + x.sql;
        bound->type = x.type;
        bound->constant = std::move(x.constant);
    }
    bound->condition = condition;
    bound->cacheable = fresh && holdsNoQuery(e);
    if (!bound->cacheable && fresh && current_ && b.reusable() && evaluatedBy(*current_, e)) {
        bound->query = true;
        bound->context = bindContext(*current_);
        bound->literals.assign(s_.literals.begin() + static_cast<std::ptrdiff_t>(mark), s_.literals.end());
    } else if (bound->cacheable) {
        bound->session = &s_;
        bound->variables = s_.variables.size();
        bound->variableTypes = variableTypes(s_.variables);
        bound->nestLevel = s_.nestLevel;
        bound->triggerLevel = s_.triggerLevel;
        bound->inserted = s_.inserted.get();
        bound->literals.assign(s_.literals.begin() + static_cast<std::ptrdiff_t>(mark), s_.literals.end());
        collectLiteralTexts(e, bound->literalTexts);
    }
    e.bound = bound;
    return bound;
}

std::optional<Value> Executor::integerValue(const Expr& e) {
    const auto integral = [](const Value& v) {
        return v.type().id == TypeId::Int || v.type().id == TypeId::BigInt;
    };
    switch (e.kind) {
    case ExprKind::Variable: {
        const Variable* v = s_.variable(e.text, e.slotHint);
        if (!v || v->table || !integral(v->value)) return std::nullopt;
        return v->value;
    }
    case ExprKind::Literal: {
        if (e.literal != LiteralKind::Integer) return std::nullopt;
        Value v = Binder::literalValue(e);
        if (!integral(v)) return std::nullopt;
        return v;
    }
    case ExprKind::Global: {
        // The INT values tsql_session gives these.
        long long v = 0;
        if (e.text == "@@FETCH_STATUS")
            v = s_.fetchStatus;
        else if (e.text == "@@ROWCOUNT")
            v = s_.rowCount;
        else if (e.text == "@@ERROR")
            v = s_.error;
        else
            return std::nullopt;
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
            return std::nullopt;
        return Value::integer(v);
    }
    case ExprKind::Binary: {
        const auto op = arithmeticOperator(e.text);
        if (!op) return std::nullopt;
        auto l = integerValue(*e.args[0]);
        if (!l) return std::nullopt;
        auto r = integerValue(*e.args[1]);
        if (!r) return std::nullopt;
        try {
            Value v = binaryOp(*op, *l, *r);
            if (!integral(v)) return std::nullopt;
            return v;
        } catch (const SqlError&) {
            return std::nullopt; // raised again, with its line, by the statement SQLite runs
        }
    }
    default:
        return std::nullopt;
    }
}

Value Executor::evaluate(const Expr& e) {
    if (e.kind == ExprKind::Variable) {
        if (Variable* v = s_.variable(e.text, e.slotHint)) return v->value;
    }
    if (auto v = integerValue(e)) return *v;
    const auto x = bindScalar(e, false);
    if (x->constant) return *x->constant;
    auto result = rows(x->sql, {{"", x->type}});
    return result.at(0).at(0);
}

bool Executor::holds(const Expr& e) {
    if (e.kind == ExprKind::Binary && e.args.size() == 2) {
        static constexpr std::string_view kComparisons[] = {"=", "<>", "<", ">", "<=", ">="};
        const auto which = std::find(std::begin(kComparisons), std::end(kComparisons), e.text);
        if (which != std::end(kComparisons)) {
            auto l = integerValue(*e.args[0]);
            auto r = l ? integerValue(*e.args[1]) : std::nullopt;
            if (l && r) {
                const std::optional<int> c = compare(*l, *r);
                if (!c) return false; // NULL: the condition does not hold
                switch (which - std::begin(kComparisons)) {
                case 0:
                    return *c == 0;
                case 1:
                    return *c != 0;
                case 2:
                    return *c < 0;
                case 3:
                    return *c > 0;
                case 4:
                    return *c <= 0;
                default:
                    return *c >= 0;
                }
            }
        }
    }
    const auto x = bindScalar(e, true);
    auto result = rows(x->sql, {{"", x->type}});
    return result.at(0).at(0).asInt() == 1;
}

void Executor::atomically(const std::function<void()>& work) {
    // An uncommittable transaction takes no more changes, only its rollback.
    if (s_.doomed && s_.tranCount > 0) raise(3930, 0, {});
    auto step = [&](const char* sql) { run(sql); };
    if (s_.tranCount == 0) {
        step("BEGIN IMMEDIATE");
        try {
            work();
            step("COMMIT");
        } catch (...) {
            sqlite3_exec(s_.db, "ROLLBACK", nullptr, nullptr, nullptr);
            s_.catalog.invalidate();
            throw;
        }
    } else {
        step("SAVEPOINT tsql_statement");
        try {
            work();
            step("RELEASE tsql_statement");
        } catch (...) {
            sqlite3_exec(s_.db, "ROLLBACK TO tsql_statement; RELEASE tsql_statement", nullptr, nullptr,
                         nullptr);
            s_.catalog.invalidate();
            throw;
        }
    }
}

Value assignedValue(const Value& value, const Type& type) {
    return keepsItsType(value, type) ? value : convert(value, type, ConversionKind::Assignment);
}

Value assignedValue(Value&& value, const Type& type) {
    return keepsItsType(value, type) ? std::move(value) : convert(value, type, ConversionKind::Assignment);
}

void Executor::assign(Variable& v, const Value& value) {
    if (keepsItsType(value, v.type))
        v.value = value;
    else
        v.value = convert(value, v.type, ConversionKind::Assignment);
}

void Executor::assign(Variable& v, Value&& value) {
    if (keepsItsType(value, v.type))
        v.value = std::move(value);
    else
        v.value = convert(value, v.type, ConversionKind::Assignment);
}

void Executor::message(const std::string& text) {
    Message m;
    m.text = text;
    out_.onMessage(m);
}

void Executor::sendRows(const std::vector<ResultColumn>& columns,
                        const std::vector<std::vector<Value>>& rows) {
    out_.onColumns(columns);
    for (const auto& row : rows)
        out_.onRow(row);
    out_.onDone(static_cast<long long>(rows.size()));
}

namespace {

//! True when `stmt` is or holds a DECLARE (of variables or table variables).
bool holdsDeclarations(const Statement& stmt) {
    switch (stmt.kind) {
    case StmtKind::Declare:
        return true;
    case StmtKind::Block:
        for (const auto& s : static_cast<const BlockStmt&>(stmt).body)
            if (holdsDeclarations(*s)) return true;
        return false;
    case StmtKind::If: {
        const auto& i = static_cast<const IfStmt&>(stmt);
        return holdsDeclarations(*i.then) || (i.otherwise && holdsDeclarations(*i.otherwise));
    }
    case StmtKind::While:
        return holdsDeclarations(*static_cast<const WhileStmt&>(stmt).body);
    case StmtKind::Try:
        for (const auto& s : static_cast<const TryStmt&>(stmt).body)
            if (holdsDeclarations(*s)) return true;
        for (const auto& s : static_cast<const TryStmt&>(stmt).handler)
            if (holdsDeclarations(*s)) return true;
        return false;
    default:
        return false;
    }
}

} // namespace

void Executor::declare(const Statement& stmt) {
    switch (stmt.kind) {
    case StmtKind::Declare:
        for (const auto& v : static_cast<const DeclareStmt&>(stmt).variables) {
            if (s_.variable(v.name)) raise(134, stmt.line, {v.name});
            if (v.table) {
                auto table = declareTableVariable(*this, v.name, *v.table);
                s_.variables.push_back({v.name, Type::null(), Value(), std::move(table)});
                continue;
            }
            Type t = Binder::resolveType(v.type, stmt.line);
            s_.variables.push_back({v.name, t, Value::null(t), nullptr});
        }
        break;
    case StmtKind::Block:
        for (const auto& s : static_cast<const BlockStmt&>(stmt).body)
            declare(*s);
        break;
    case StmtKind::If: {
        const auto& i = static_cast<const IfStmt&>(stmt);
        declare(*i.then);
        if (i.otherwise) declare(*i.otherwise);
        break;
    }
    case StmtKind::While:
        declare(*static_cast<const WhileStmt&>(stmt).body);
        break;
    case StmtKind::Try:
        for (const auto& s : static_cast<const TryStmt&>(stmt).body)
            declare(*s);
        for (const auto& s : static_cast<const TryStmt&>(stmt).handler)
            declare(*s);
        break;
    default:
        break;
    }
}

void Executor::compile(const Statement& stmt) {
    auto emit = [&](Instruction in) {
        in.line = in.line ? in.line : stmt.line;
        build_.code.push_back(in);
        return build_.code.size() - 1;
    };
    switch (stmt.kind) {
    case StmtKind::Block:
        for (const auto& s : static_cast<const BlockStmt&>(stmt).body)
            compile(*s);
        break;
    case StmtKind::If: {
        const auto& i = static_cast<const IfStmt&>(stmt);
        std::size_t test = emit({Instruction::Op::JumpIfNot, &stmt, i.condition.get(), 0, stmt.line});
        compile(*i.then);
        if (i.otherwise) {
            std::size_t skip = emit({Instruction::Op::Jump, &stmt, nullptr, 0, stmt.line});
            build_.code[test].target = build_.code.size();
            compile(*i.otherwise);
            build_.code[skip].target = build_.code.size();
        } else {
            build_.code[test].target = build_.code.size();
        }
        build_.code[test].failTarget = build_.code.size();
        break;
    }
    case StmtKind::While: {
        const auto& w = static_cast<const WhileStmt&>(stmt);
        std::size_t start = build_.code.size();
        std::size_t test = emit({Instruction::Op::JumpIfNot, &stmt, w.condition.get(), 0, stmt.line});
        loops_.push_back({start, {}});
        compile(*w.body);
        emit({Instruction::Op::Jump, &stmt, nullptr, start, stmt.line});
        build_.code[test].target = build_.code.size();
        build_.code[test].failTarget = build_.code.size();
        for (std::size_t b : loops_.back().breaks)
            build_.code[b].target = build_.code.size();
        loops_.pop_back();
        break;
    }
    case StmtKind::Break:
    case StmtKind::Continue: {
        if (loops_.empty()) raise(102, stmt.line, {stmt.kind == StmtKind::Break ? "BREAK" : "CONTINUE"});
        std::size_t j = emit({Instruction::Op::Jump, &stmt, nullptr, loops_.back().start, stmt.line});
        if (stmt.kind == StmtKind::Break) loops_.back().breaks.push_back(j);
        break;
    }
    case StmtKind::Try: {
        const auto& t = static_cast<const TryStmt&>(stmt);
        const std::size_t region = build_.tries.size();
        build_.tries.push_back({build_.code.size(), 0, 0, 0});
        for (const auto& s : t.body)
            compile(*s);
        const std::size_t skip = emit({Instruction::Op::Jump, &stmt, nullptr, 0, stmt.line});
        build_.tries[region].tryEnd = build_.code.size();
        build_.tries[region].catchStart = build_.code.size();
        for (const auto& s : t.handler)
            compile(*s);
        build_.tries[region].catchEnd = build_.code.size();
        build_.code[skip].target = build_.code.size();
        break;
    }
    case StmtKind::Goto:
        gotos_.emplace_back(emit({Instruction::Op::Jump, &stmt, nullptr, 0, stmt.line}),
                            static_cast<const SimpleStmt&>(stmt).name);
        break;
    case StmtKind::Label: {
        std::string name = upper(static_cast<const SimpleStmt&>(stmt).name);
        if (labels_.count(name)) raise(132, stmt.line, {static_cast<const SimpleStmt&>(stmt).name});
        labels_[name] = build_.code.size();
        break;
    }
    case StmtKind::Return:
        if (static_cast<const SimpleStmt&>(stmt).value && kind_ != ScopeKind::Procedure)
            raise(178, stmt.line, {});
        emit({Instruction::Op::Return, &stmt, nullptr, 0, stmt.line});
        break;
    case StmtKind::Select:
    case StmtKind::Insert:
    case StmtKind::Update:
    case StmtKind::Delete:
    case StmtKind::Declare:
    case StmtKind::Set:
    case StmtKind::Print:
    case StmtKind::CreateTable:
    case StmtKind::DropTable:
    case StmtKind::CreateView:
    case StmtKind::DropView:
    case StmtKind::BeginTran:
    case StmtKind::CommitTran:
    case StmtKind::RollbackTran:
    case StmtKind::Raiserror:
    case StmtKind::SetOption:
    case StmtKind::CreateProcedure:
    case StmtKind::DropProcedure:
    case StmtKind::Exec:
    case StmtKind::Noop:
    case StmtKind::CreateTrigger:
    case StmtKind::DropTrigger:
    case StmtKind::Use:
    case StmtKind::Permission:
    case StmtKind::DeclareCursor:
    case StmtKind::OpenCursor:
    case StmtKind::FetchCursor:
    case StmtKind::CloseCursor:
    case StmtKind::DeallocateCursor:
    case StmtKind::AlterTable:
    case StmtKind::CreateIndex:
    case StmtKind::DropIndex:
        emit({Instruction::Op::Exec, &stmt, nullptr, 0, stmt.line});
        break;
    }
}

void Executor::report(const SqlError& e) {
    s_.error = e.number();
    out_.onMessage(messageOf(e));
}

void Executor::run(const Batch& batch) {
    s_.variables.clear();
    runStatements(batch.statements, &batch.compiled);
}

namespace {

//! Counts a scope whose running statement is inside a TRY block (Session::Impl::tryDepth).
class InTry {
public:
    InTry(Session::Impl& s, bool on)
        : s_(s)
        , on_(on) {
        if (on_) ++s_.tryDepth;
    }
    ~InTry() {
        if (on_) --s_.tryDepth;
    }
    InTry(const InTry&) = delete;
    InTry& operator=(const InTry&) = delete;

private:
    Session::Impl& s_;
    bool on_;
};

//! Ends the CATCH blocks of a scope with it, whichever way it ends.
class CatchBlocks {
public:
    explicit CatchBlocks(Session::Impl& s)
        : s_(s)
        , depth_(s.caught.size()) {}
    ~CatchBlocks() {
        s_.caught.erase(s_.caught.begin() + static_cast<std::ptrdiff_t>(depth_), s_.caught.end());
    }
    CatchBlocks(const CatchBlocks&) = delete;
    CatchBlocks& operator=(const CatchBlocks&) = delete;

private:
    Session::Impl& s_;
    std::size_t depth_;
};

} // namespace

void Executor::runStatements(const std::vector<StmtPtr>& statements,
                             std::shared_ptr<const CompiledScope>* kept) {
    CursorScope cursorScope(s_);
    LiteralScope literalScope(s_, true);
    CatchBlocks catchBlocks(s_);
    try {
        if (!catalogChecked_) s_.catalog.refreshIfChanged();
        // What was compiled for the same kind of scope and the same variables is compiled again the
        // same way: the checks and the instructions depend on the tree, the kind and those names only.
        const auto sameDeclared = [&](const CompiledScope& c) {
            if (c.declared.size() != s_.variables.size()) return false;
            for (std::size_t i = 0; i < c.declared.size(); ++i)
                if (c.declared[i] != s_.variables[i].name || c.declaredTypes[i] != s_.variables[i].type ||
                    s_.variables[i].table)
                    return false;
            return true;
        };
        if (kept && *kept && (*kept)->kind == kind_ && sameDeclared(**kept)) {
            program_ = *kept;
            for (const Statement* st : program_->declarations)
                declare(*st);
        } else {
            std::vector<std::string> declared;
            for (const auto& v : s_.variables) {
                declared.push_back(v.name);
                build_.declaredTypes.push_back(v.type);
            }
            checkScope(statements, declared, kind_);
            for (const auto& st : statements)
                declare(*st);
            build_.kind = kind_;
            build_.declared = std::move(declared);
            // The variables now are those the same tree declares after the same ones every time.
            build_.frame = frameOf(s_.variables);
            for (const auto& st : statements) {
                compile(*st);
                if (holdsDeclarations(*st)) build_.declarations.push_back(st.get());
            }
            for (const auto& [index, label] : gotos_) {
                auto it = labels_.find(upper(label));
                if (it == labels_.end()) raise(133, build_.code[index].line, {label});
                build_.code[index].target = it->second;
            }
            program_ = std::make_shared<const CompiledScope>(std::move(build_));
            if (kept) *kept = program_;
        }
    } catch (SqlError& e) {
        compileError(e);
        return;
    } catch (const std::exception& e) {
        report(messageError(kInternalErrorNumber, 0, {e.what()}));
        aborted_ = true;
        return;
    }
    const std::vector<Instruction>& code = program_->code;
    // The compiled steps are made for each run: the slots they resolve hold for every run of the same
    // program, the cursor a FETCH step finds only for this one. A scope without any (a procedure's
    // body of a query and RETURN) allocates nothing for them.
    fast_.clear();
    for (std::size_t i = 0; i < code.size(); ++i) {
        const Instruction& in = code[i];
        const bool usual = in.op == Instruction::Op::JumpIfNot ||
                           (in.op == Instruction::Op::Exec &&
                            (in.stmt->kind == StmtKind::Set || in.stmt->kind == StmtKind::FetchCursor));
        if (!usual) continue;
        auto step = compileFastStep(in.condition ? nullptr : in.stmt, in.condition, s_);
        if (!step) continue;
        if (fast_.empty()) fast_.resize(code.size());
        fast_[i] = std::move(step);
    }
    std::size_t pc = 0;
    while (pc < code.size()) {
        if (out_.cancelled()) throw BatchCancelled{};
        leaveCatches(pc);
        const Instruction& in = code[pc];
        if (in.op == Instruction::Op::Jump) {
            pc = in.target; // nothing to bind, nothing that fails
            continue;
        }
        current_ = in.stmt;
        const std::size_t region = tryAt(pc);
        FastStep* fast = pc < fast_.size() ? fast_[pc].get() : nullptr;
        // What the general path needs and a compiled step does not: a scope for the statement's
        // constants, and the count of scopes in TRY blocks for the scopes the statement may call.
        std::optional<LiteralScope> statementLiterals;
        std::optional<InTry> inTry;
        const auto general = [&] {
            statementLiterals.emplace(s_, false);
            inTry.emplace(s_, region != kNoRegion);
        };
        try {
            switch (in.op) {
            case Instruction::Op::Exec:
                statementError_ = 0;
                if (!fast || !runFastStep(*fast, *this, *in.stmt)) {
                    general();
                    execute(*in.stmt);
                }
                s_.error = std::exchange(statementError_, 0);
                ++pc;
                break;
            case Instruction::Op::JumpIfNot: {
                bool ok = false;
                if (!fast || !fastHolds(*fast, s_, ok)) {
                    general();
                    ok = holds(*in.condition);
                }
                s_.error = 0;
                pc = ok ? pc + 1 : in.target;
                break;
            }
            case Instruction::Op::Jump: // taken above
                break;
            case Instruction::Op::Return:
                if (const auto& value = static_cast<const SimpleStmt&>(*in.stmt).value) {
                    // `RETURN @@ROWCOUNT`, `RETURN @status`, `RETURN 0` need no scope of constants.
                    std::optional<Value> integer = integerValue(*value);
                    if (!integer) general();
                    Value v = integer ? std::move(*integer) : evaluate(*value);
                    returnValue_ = v.isNull() ? 0
                                   : v.type().id == TypeId::Int
                                       ? static_cast<int>(v.asInt())
                                       : static_cast<int>(convert(v, Type::integer()).asInt());
                }
                pc = code.size();
                break;
            }
        } catch (const BatchAbort&) {
            aborted_ = true;
            break;
        } catch (const StatementFailed&) {
            s_.error = std::exchange(statementError_, 0);
            pc = in.op == Instruction::Op::JumpIfNot ? in.failTarget : pc + 1;
        } catch (UnwindToCatch& u) {
            // An error of a called scope while this one runs inside a TRY block.
            if (region == kNoRegion) throw;
            pc = enterCatch(region, u.error, u.dooms);
        } catch (SqlError& e) {
            if (!handleError(e, in, region, pc)) break;
        } catch (const std::exception& e) {
            // A fault of the engine itself: reported like a server's internal error, ending the batch.
            report(messageError(kInternalErrorNumber, in.line, {e.what()}));
            aborted_ = true;
            break;
        }
    }
}

void Executor::execute(const Statement& stmt) {
    switch (stmt.kind) {
    case StmtKind::Select:
        select(static_cast<const SelectStmt&>(stmt));
        break;
    case StmtKind::Insert:
        executeInsert(*this, static_cast<const InsertStmt&>(stmt));
        break;
    case StmtKind::Update:
        executeUpdate(*this, static_cast<const UpdateStmt&>(stmt));
        break;
    case StmtKind::Delete:
        executeDelete(*this, static_cast<const DeleteStmt&>(stmt));
        break;
    case StmtKind::Declare:
        for (const auto& v : static_cast<const DeclareStmt&>(stmt).variables)
            if (v.init) assign(*s_.variable(v.name), evaluate(*v.init));
        break;
    case StmtKind::Set:
        setVariable(static_cast<const SetStmt&>(stmt));
        break;
    case StmtKind::Print: {
        Value v = evaluate(*static_cast<const SimpleStmt&>(stmt).value);
        message(v.isNull() ? "" : toText(v));
        s_.rowCount = 0;
        break;
    }
    case StmtKind::CreateTable:
        executeCreateTable(*this, static_cast<const CreateTableStmt&>(stmt));
        break;
    case StmtKind::CreateView:
        executeCreateView(*this, static_cast<const CreateViewStmt&>(stmt));
        break;
    case StmtKind::DropTable:
    case StmtKind::DropView:
        executeDrop(*this, static_cast<const DropStmt&>(stmt));
        break;
    case StmtKind::BeginTran:
    case StmtKind::CommitTran:
    case StmtKind::RollbackTran:
        transaction(static_cast<const SimpleStmt&>(stmt));
        break;
    case StmtKind::Raiserror:
        raiserror(static_cast<const RaiserrorStmt&>(stmt));
        break;
    case StmtKind::SetOption:
        setOption(static_cast<const SimpleStmt&>(stmt));
        break;
    case StmtKind::CreateTrigger:
        executeCreateTrigger(*this, static_cast<const CreateTriggerStmt&>(stmt));
        break;
    case StmtKind::DropTrigger:
        executeDropTrigger(*this, static_cast<const DropStmt&>(stmt));
        break;
    case StmtKind::Use:
        useDatabase(static_cast<const SimpleStmt&>(stmt));
        break;
    case StmtKind::Permission:
        recordPermission(*this, static_cast<const PermissionStmt&>(stmt));
        break;
    case StmtKind::CreateProcedure:
        executeCreateProcedure(*this, static_cast<const CreateProcedureStmt&>(stmt));
        break;
    case StmtKind::DropProcedure:
        executeDropProcedure(*this, static_cast<const DropStmt&>(stmt));
        break;
    case StmtKind::Exec:
        executeExec(*this, static_cast<const ExecStmt&>(stmt));
        break;
    case StmtKind::DeclareCursor:
    case StmtKind::OpenCursor:
    case StmtKind::FetchCursor:
    case StmtKind::CloseCursor:
    case StmtKind::DeallocateCursor:
        executeCursor(*this, stmt);
        break;
    case StmtKind::AlterTable:
        executeAlterTable(*this, static_cast<const AlterTableStmt&>(stmt));
        break;
    case StmtKind::CreateIndex:
        executeCreateIndex(*this, static_cast<const CreateIndexStmt&>(stmt));
        break;
    case StmtKind::DropIndex:
        executeDropIndex(*this, static_cast<const DropIndexStmt&>(stmt));
        break;
    case StmtKind::Noop:
        break;
    case StmtKind::If:
    case StmtKind::Block:
    case StmtKind::While:
    case StmtKind::Try:
    case StmtKind::Break:
    case StmtKind::Continue:
    case StmtKind::Goto:
    case StmtKind::Label:
    case StmtKind::Return:
        // Control flow became jumps when the batch was compiled.
        throw std::logic_error("control flow statement reached the executor");
    }
}

void Executor::select(const SelectStmt& stmt) {
    const Query& q = stmt.query;
    if (q.cores.front().into) return executeSelectInto(*this, stmt);
    bool assigning = !q.cores.front().items.front().assign.empty();
    if (!assigning) {
        // Rows go to the sink as SQLite produces them; the result set starts with its first row (or
        // its end), so that an error before any row sends none.
        const auto bound = boundQuery(stmt, stmt.bound, [&](Binder& b) { return b.query(q, nullptr); });
        const QueryShape& shape = bound->shape;
        sqlite3_stmt* st = prepare(*bound);
        StatementReset reset(st, false);
        long long count = 0;
        std::vector<Value> row(shape.columns.size());
        int rc;
        try {
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
                for (std::size_t i = 0; i < row.size(); ++i)
                    row[i] = readColumn(st, static_cast<int>(i), shape.columns[i].type);
                if (count++ == 0) out_.onColumns(shape.columns);
                out_.onRow(row);
            }
            sqliteStep(s_.db, st, rc);
        } catch (const std::exception&) {
            if (count > 0) out_.onDone(count);
            throw;
        }
        if (count == 0) out_.onColumns(shape.columns);
        out_.onDone(count);
        s_.rowCount = count;
        return;
    }
    executeSelectAssign(*this, stmt);
}

void Executor::setVariable(const SetStmt& stmt) {
    Variable* v = s_.variable(stmt.variable, stmt.slotHint);
    if (!v) raise(137, stmt.line, {stmt.variable});
    Value value = evaluate(*stmt.value);
    auto op = compoundAssignment(stmt.op);
    assign(*v, op ? binaryOp(*op, v->value, value) : value);
    s_.rowCount = 1;
}

void Executor::raiserror(const RaiserrorStmt& stmt) {
    std::vector<Value> args;
    for (const auto& a : stmt.args)
        args.push_back(evaluate(*a));
    auto toInt = [&](const Value& v) {
        return v.isNull() ? 0 : static_cast<int>(convert(v, Type::integer()).asInt());
    };
    int severity = toInt(args[1]);
    int state = toInt(args[2]);
    int number = 50000;
    std::string templ;
    if (isCharacterType(args[0].type().id)) {
        templ = args[0].isNull() ? "" : args[0].asString();
    } else {
        number = toInt(args[0]);
        if (number < 13000 || number == 50000) raise(2732, stmt.line, {std::to_string(number)});
        const MessageInfo* info = findMessage(number);
        if (!info)
            raise(18054, stmt.line,
                  {std::to_string(number), std::to_string(severity), std::to_string(state)});
        templ = info->text;
    }
    std::string text = formatRaiserror(templ, std::span<const Value>(args).subspan(3));
    if (severity < 0) severity = 0;
    if (severity > 25) severity = 25;
    if (severity <= 10) {
        out_.onMessage({number == 50000 ? 0 : number, severity, state, stmt.line, text, module_});
        s_.rowCount = 0;
        if (stmt.setError) statementError_ = number;
        return;
    }
    throw SqlError(number, severity, state < 0 ? 1 : state, text, stmt.line);
}

void Executor::transaction(const SimpleStmt& stmt) {
    s_.rowCount = 0;
    if (stmt.kind == StmtKind::BeginTran) {
        if (s_.tranCount == 0) run("BEGIN IMMEDIATE");
        ++s_.tranCount;
        return;
    }
    if (stmt.kind == StmtKind::CommitTran) {
        if (s_.tranCount == 0) raise(3902, stmt.line, {});
        if (s_.doomed) raise(3930, stmt.line, {});
        if (--s_.tranCount == 0) run("COMMIT");
        return;
    }
    if (s_.tranCount == 0) raise(3903, stmt.line, {});
    s_.tranCount = 0;
    TableVariablesKept kept(s_);
    s_.doomed = false;
    run("ROLLBACK");
    s_.catalog.invalidate();
    kept.restore();
}

} // namespace tsql::engine
