#include "alter.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "parser.h"
#include "tsql/convert.h"

#include <utility>

namespace tsql::engine {

namespace {

//! The parsed definition of a procedure, cached by its text.
std::shared_ptr<const Batch> parsedProcedure(Session::Impl& s, const std::string& text) {
    auto it = s.procedures.find(text);
    if (it != s.procedures.end()) return it->second;
    auto batch = std::make_shared<Batch>(parseBatch(text));
    if (batch->statements.size() != 1 || batch->statements.front()->kind != StmtKind::CreateProcedure)
        throw std::runtime_error("the stored text of a procedure does not define one procedure");
    s.procedures[text] = batch;
    return batch;
}

//! Swaps the session's variables (and SCOPE_IDENTITY, which belongs to a scope) for a callee's frame
//! and restores the caller's on the way out.
class Frame {
public:
    Frame(Session::Impl& s, std::vector<Variable> variables)
        : s_(s)
        , savedVariables_(std::move(s.variables))
        , savedIndex_(std::move(s.variableIndex))
        , savedScopeIdentity_(std::exchange(s.scopeIdentity, std::nullopt))
        , savedXactAbort_(s.xactAbort) {
        s_.variables = std::move(variables);
        s_.variableIndex.clear();
        for (std::size_t i = 0; i < s_.variables.size(); ++i)
            s_.variableIndex[upper(s_.variables[i].name)] = i;
        if (++s_.nestLevel > kMaxNestLevel) {
            restore();
            raise(217, 0, {});
        }
    }
    ~Frame() {
        if (!restored_) restore();
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;

    //! Gives the caller's variables back and returns the callee's.
    std::vector<Variable> restore() {
        restored_ = true;
        --s_.nestLevel;
        std::vector<Variable> callee = std::move(s_.variables);
        s_.variables = std::move(savedVariables_);
        s_.variableIndex = std::move(savedIndex_);
        s_.scopeIdentity = savedScopeIdentity_;
        s_.xactAbort = savedXactAbort_; // SET options of a procedure last until it returns
        return callee;
    }

private:
    Session::Impl& s_;
    std::vector<Variable> savedVariables_;
    std::map<std::string, std::size_t> savedIndex_;
    std::optional<long long> savedScopeIdentity_;
    bool savedXactAbort_;
    bool restored_ = false;
};

void runDynamic(Executor& ex, const ExecStmt& stmt) {
    auto& s = ex.session();
    Value text = ex.evaluate(*stmt.dynamic);
    if (text.isNull()) return;
    Batch batch;
    try {
        batch = parseBatch(toText(text));
    } catch (SqlError& e) {
        // A batch that does not parse is an error of a lower scope: a caller's TRY block catches it,
        // otherwise it fails only this statement.
        if (e.severity() > 10 && e.severity() < 20 && s.tryDepth > 0) throw UnwindToCatch{e, false};
        BatchEvent ev;
        ev.message = {e.number(), e.severity(), e.state(), e.line(), e.message()};
        ex.output().events.push_back(std::move(ev));
        ex.setStatementError(e.number());
        return;
    }
    Frame frame(s, {});
    Executor inner(s, ex.output(), ScopeKind::Dynamic);
    inner.runStatements(batch.statements);
    frame.restore();
    ex.setStatementError(s.error);
    if (inner.abortsCaller()) throw BatchAbort{};
}

} // namespace

void executeCreateProcedure(Executor& ex, const CreateProcedureStmt& stmt) {
    auto& s = ex.session();
    const std::string& name = stmt.procedure.name();
    for (const auto& p : stmt.parameters)
        Binder::resolveType(p.type, p.line);
    s.rowCount = 0;
    if (!stmt.alter) {
        if (s.catalog.nameTaken(name, false)) raise(2714, stmt.line, {name});
        ex.atomically([&] { s.catalog.recordProcedure(s.catalog.newId(false), name, stmt.text); });
        return;
    }
    auto id = s.catalog.objectId(name, "P");
    if (!id) raise(208, stmt.line, {name});
    ex.atomically([&] { s.catalog.setDefinition(*id, stmt.text); });
}

void executeDropProcedure(Executor& ex, const DropStmt& stmt) {
    auto& s = ex.session();
    s.rowCount = 0;
    for (const auto& n : stmt.names) {
        auto id = s.catalog.objectId(n.name(), "P");
        if (!id) {
            if (stmt.ifExists) continue;
            raise(3701, stmt.line, {"procedure", n.name()});
        }
        ex.atomically([&] { s.catalog.removeObject(*id); });
    }
}

void executeExec(Executor& ex, const ExecStmt& stmt) {
    if (stmt.dynamic) {
        runDynamic(ex, stmt);
        return;
    }
    auto& s = ex.session();
    Variable* returnTarget = nullptr;
    if (!stmt.returnVariable.empty()) {
        returnTarget = s.variable(stmt.returnVariable);
        if (!returnTarget) raise(137, stmt.line, {stmt.returnVariable});
    }
    if (equalsIgnoreCase(stmt.procedure.name(), "sp_rename")) return executeRename(ex, stmt);
    auto text = s.catalog.procedureText(stmt.procedure.name());
    if (!text) raise(2812, stmt.line, {stmt.procedure.written()});
    auto batch = parsedProcedure(s, *text);
    const auto& proc = static_cast<const CreateProcedureStmt&>(*batch->statements.front());
    const std::string& procName = proc.procedure.name();
    const auto& params = proc.parameters;

    // Match the arguments to the parameters; values are evaluated in the caller's frame.
    std::vector<const ExecArgument*> given(params.size(), nullptr);
    bool named = false;
    for (std::size_t i = 0; i < stmt.arguments.size(); ++i) {
        const ExecArgument& a = stmt.arguments[i];
        std::size_t index = 0;
        if (a.name.empty()) {
            if (named) raise(119, stmt.line, {std::to_string(i + 1)});
            if (i >= params.size()) raise(8144, stmt.line, {procName});
            index = i;
        } else {
            named = true;
            while (index < params.size() && !equalsIgnoreCase(params[index].name, a.name))
                ++index;
            if (index == params.size()) raise(8145, stmt.line, {a.name, procName});
        }
        if (given[index]) raise(8143, stmt.line, {params[index].name});
        if (a.output && !params[index].output) raise(8162, stmt.line, {params[index].name});
        given[index] = &a;
    }
    std::vector<Variable> frame;
    std::vector<Variable*> outputs(params.size(), nullptr);
    for (std::size_t i = 0; i < params.size(); ++i) {
        const ParameterDecl& p = params[i];
        Type type = Binder::resolveType(p.type, stmt.line);
        Value value = Value::null(type);
        const ExecArgument* a = given[i];
        if (a && a->value) {
            value = ex.evaluate(*a->value);
            if (a->output && a->value->kind == ExprKind::Variable) {
                outputs[i] = s.variable(a->value->text);
                if (!outputs[i]) raise(137, stmt.line, {a->value->text});
            }
        } else if (p.defaultValue) {
            value = ex.evaluate(*p.defaultValue);
        } else {
            raise(201, stmt.line, {procName, p.name});
        }
        Value converted;
        try {
            converted = convert(value, type, ConversionKind::Assignment);
        } catch (const SqlError&) {
            // A value that does not fit the parameter fails the call, not the batch.
            raise(8114, stmt.line, {std::string(value.type().baseName()), std::string(type.baseName())});
        }
        frame.push_back({p.name, type, std::move(converted)});
    }

    int tranCount = s.tranCount;
    Frame callee(s, std::move(frame));
    Executor inner(s, ex.output(), ScopeKind::Procedure, procName);
    inner.runStatements(proc.body);
    std::vector<Variable> results = callee.restore();
    ex.setStatementError(s.error);
    if (inner.abortsCaller()) throw BatchAbort{};
    // Caller variables are looked up again: the callee's frame swap moved the vector.
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (!outputs[i]) continue;
        ex.assign(*s.variable(given[i]->value->text), results[i].value);
    }
    if (returnTarget) ex.assign(*s.variable(stmt.returnVariable), Value::integer(inner.returnValue()));
    if (s.tranCount != tranCount)
        raise(266, stmt.line, {std::to_string(tranCount), std::to_string(s.tranCount)});
}

} // namespace tsql::engine
