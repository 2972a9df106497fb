#include "alter.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "parser.h"
#include "system_procedures.h"
#include "tsql/convert.h"

#include <optional>
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
        , savedScopeIdentity_(std::exchange(s.scopeIdentity, std::nullopt))
        , savedXactAbort_(s.xactAbort) {
        s_.variables = std::move(variables);
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
        s_.scopeIdentity = savedScopeIdentity_;
        s_.xactAbort = savedXactAbort_; // SET options of a procedure last until it returns
        return callee;
    }

private:
    Session::Impl& s_;
    std::vector<Variable> savedVariables_;
    std::optional<long long> savedScopeIdentity_;
    bool savedXactAbort_;
    bool restored_ = false;
};

//! The parsed text of dynamic SQL (EXEC of a string, sp_executesql), or nothing when it does not parse.
std::optional<Batch> parseDynamic(Executor& ex, const std::string& text) {
    try {
        return parseBatch(text);
    } catch (SqlError& e) {
        // A batch that does not parse is an error of a lower scope: a caller's TRY block catches it,
        // otherwise it fails only this statement.
        if (e.severity() > 10 && e.severity() < 20 && ex.session().tryDepth > 0)
            throw UnwindToCatch{e, false};
        ex.output().onMessage(messageOf(e));
        ex.setStatementError(e.number());
        return std::nullopt;
    }
}

void runDynamic(Executor& ex, const ExecStmt& stmt) {
    auto& s = ex.session();
    Value text = ex.evaluate(*stmt.dynamic);
    if (text.isNull()) return;
    std::optional<Batch> batch = parseDynamic(ex, toText(text));
    if (!batch) return;
    Frame frame(s, {});
    Executor inner(s, ex.output(), ScopeKind::Dynamic);
    inner.runStatements(batch->statements);
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
        ex.atomically([&] {
            s.catalog.recordProcedure(s.catalog.newId(false), name, stmt.text);
            s.catalog.announceChange();
        });
        return;
    }
    auto id = s.catalog.objectId(name, "P");
    if (!id) raise(208, stmt.line, {name});
    ex.atomically([&] {
        s.catalog.setDefinition(*id, stmt.text);
        s.catalog.announceChange();
    });
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
        ex.atomically([&] {
            s.catalog.removeObject(*id);
            s.catalog.announceChange();
        });
    }
}

//! A call's frame: the callee's variables, and per parameter the slot of the caller's variable an OUTPUT
//! parameter is assigned back to (kNoOutput for none). A procedure keeps the frame of its last call that
//! ended (CreateProcedureStmt::keptFrame): the next call finds the parameters' variables made, with the
//! same names and types, and gives each its value anew.
struct CallFrame {
    static constexpr std::size_t kNoOutput = static_cast<std::size_t>(-1);
    std::vector<Variable> variables;
    std::vector<std::size_t> outputs;
};

namespace {

const ExecArgument& argumentAt(const std::vector<ExecArgument>& arguments, std::size_t i) {
    return arguments[i];
}
const ExecArgument& argumentAt(const std::vector<const ExecArgument*>& arguments, std::size_t i) {
    return *arguments[i];
}

//! Matches the arguments to the parameters (errors 119, 8143, 8144, 8145, 8162; 201, or 8178 naming the
//! `parameterized` query of sp_executesql, for a parameter without value or default), evaluating them in
//! the caller's frame, into `call`: a kept frame of the same parameters (one variable per parameter) or
//! an empty one. `arguments`: the statement's own, or those of sp_executesql that are no statement or
//! declarations.
template <class Arguments>
void bindCall(Executor& ex, CallFrame& call, const Arguments& arguments, int line,
              const std::vector<ParameterDecl>& params, const std::string& procName,
              const std::string& parameterized = {}, const std::vector<Type>* types = nullptr) {
    auto& s = ex.session();
    // The argument given for each parameter; a procedure has a few parameters, rarely more than eight.
    constexpr std::size_t kFew = 8;
    const ExecArgument* few[kFew] = {};
    std::vector<const ExecArgument*> many;
    const ExecArgument** given = few;
    if (params.size() > kFew) {
        many.assign(params.size(), nullptr);
        given = many.data();
    }
    bool named = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const ExecArgument& a = argumentAt(arguments, i);
        std::size_t index = 0;
        if (a.name.empty()) {
            if (named) raise(119, line, {std::to_string(i + 1)});
            if (i >= params.size()) raise(8144, line, {procName});
            index = i;
        } else {
            named = true;
            while (index < params.size() && !equalsIgnoreCase(params[index].name, a.name))
                ++index;
            if (index == params.size()) raise(8145, line, {a.name, procName});
        }
        if (given[index]) raise(8143, line, {params[index].name});
        if (a.output && !params[index].output) raise(8162, line, {params[index].name});
        given[index] = &a;
    }
    const bool kept = call.variables.size() == params.size();
    if (!kept) {
        call.variables.clear();
        call.variables.reserve(params.size());
    }
    call.outputs.assign(params.size(), CallFrame::kNoOutput);
    for (std::size_t i = 0; i < params.size(); ++i) {
        const ParameterDecl& p = params[i];
        const Type type = kept    ? call.variables[i].type
                          : types ? (*types)[i]
                                  : Binder::resolveType(p.type, line);
        if (!kept) call.variables.push_back({p.name, type, Value(), nullptr});
        Variable& parameter = call.variables[i];
        // The value passed: an OUTPUT argument's variable as it is, or what the argument or the default
        // evaluates to.
        Value computed;
        const Value* value = &computed;
        const ExecArgument* a = given[i];
        if (a && a->value) {
            const Variable* v = a->value->kind == ExprKind::Variable
                                    ? s.variable(a->value->text, a->value->slotHint)
                                    : nullptr;
            if (v) {
                // A variable passes its value as it is; an OUTPUT argument takes the parameter's back.
                value = &v->value;
                if (a->output) call.outputs[i] = static_cast<std::size_t>(v - s.variables.data());
            } else {
                computed = ex.evaluate(*a->value);
                if (a->output && a->value->kind == ExprKind::Variable) raise(137, line, {a->value->text});
            }
        } else if (p.defaultValue) {
            computed = ex.evaluate(*p.defaultValue);
        } else {
            if (!parameterized.empty()) raise(8178, line, {parameterized, p.name});
            raise(201, line, {procName, p.name});
        }
        try {
            if (!keepsItsType(*value, type))
                parameter.value = convert(*value, type, ConversionKind::Assignment);
            else if (value == &computed)
                parameter.value = std::move(computed);
            else
                parameter.value = *value;
        } catch (const SqlError&) {
            // A value that does not fit the parameter fails the call, not the batch.
            raise(8114, line, {std::string(value->type().baseName()), std::string(type.baseName())});
        }
    }
}

//! Runs `body` in a frame of its own holding the call's parameters; OUTPUT parameters are assigned back.
//! Returns the RETURN value; `call` holds the parameters' variables again, those the body declared
//! dropped.
int runCall(Executor& ex, CallFrame& call, const std::vector<StmtPtr>& body, ScopeKind kind,
            std::string module = {}, std::shared_ptr<const CompiledScope>* compiled = nullptr) {
    auto& s = ex.session();
    Frame callee(s, std::move(call.variables));
    Executor inner(s, ex.output(), kind, std::move(module));
    // A stored procedure was looked up under a catalog just checked (executeExec).
    if (kind == ScopeKind::Procedure) inner.setCatalogChecked();
    inner.runStatements(body, compiled);
    call.variables = callee.restore();
    ex.setStatementError(s.error);
    if (inner.abortsCaller()) throw BatchAbort{};
    // The caller's variables are back in their slots (the callee's frame swap moved the vector).
    const std::size_t parameters = call.outputs.size();
    for (std::size_t i = 0; i < parameters; ++i)
        if (call.outputs[i] != CallFrame::kNoOutput)
            ex.assign(s.variables[call.outputs[i]], std::move(call.variables[i].value));
    // The body's own variables (table variables among them) end with the call.
    call.variables.erase(call.variables.begin() + static_cast<std::ptrdiff_t>(parameters),
                         call.variables.end());
    return inner.returnValue();
}

} // namespace

void executeSql(Executor& ex, const ExecStmt& stmt) {
    auto& s = ex.session();
    s.rowCount = 0;
    auto argument = [&](std::size_t position, const char* name) -> const ExecArgument* {
        if (position < stmt.arguments.size() && stmt.arguments[position].name.empty())
            return &stmt.arguments[position];
        for (const auto& a : stmt.arguments)
            if (equalsIgnoreCase(a.name, name)) return &a;
        return nullptr;
    };
    const ExecArgument* text = argument(0, "@stmt");
    if (!text || !text->value) raise(201, stmt.line, {"sp_executesql", "@statement"});
    Value batchText = ex.evaluate(*text->value);
    if (batchText.isNull()) return;
    std::vector<ParameterDecl> params;
    std::string declared;
    std::size_t first = 1;
    if (const ExecArgument* list = argument(1, "@params")) {
        first = 2;
        Value declarations = list->value ? ex.evaluate(*list->value) : Value();
        if (!declarations.isNull()) declared = toText(declarations);
        params = parseParameters(declared);
    }
    // The statement and its declarations are no parameters of the batch.
    std::vector<const ExecArgument*> values;
    for (std::size_t i = 0; i < stmt.arguments.size(); ++i) {
        const ExecArgument& a = stmt.arguments[i];
        if (i < first && a.name.empty()) continue;
        if (equalsIgnoreCase(a.name, "@stmt") || equalsIgnoreCase(a.name, "@params")) continue;
        values.push_back(&a);
    }
    CallFrame call;
    bindCall(ex, call, values, stmt.line, params, "sp_executesql", "(" + declared + ")" + toText(batchText));
    std::optional<Batch> batch = parseDynamic(ex, toText(batchText));
    if (!batch) return;
    runCall(ex, call, batch->statements, ScopeKind::Dynamic);
}

void executeExec(Executor& ex, const ExecStmt& stmt) {
    if (stmt.dynamic) {
        runDynamic(ex, stmt);
        return;
    }
    auto& s = ex.session();
    Variable* returnTarget = nullptr;
    std::size_t returnSlot = 0;
    if (!stmt.returnVariable.empty()) {
        returnTarget = s.variable(stmt.returnVariable, stmt.returnSlotHint);
        if (!returnTarget) raise(137, stmt.line, {stmt.returnVariable});
        // Kept apart from the statement's hint, which a recursive run of the same statement moves.
        returnSlot = stmt.returnSlotHint;
    }
    if (runSystemProcedure(ex, stmt)) {
        if (returnTarget) ex.assign(*s.variable(stmt.returnVariable, stmt.returnSlotHint), Value::integer(0));
        return;
    }
    // CREATE, ALTER and DROP PROCEDURE and renaming change the catalog's generation, in this session
    // directly and in the others through SQLite's schema version.
    s.catalog.refreshIfMoved(s.clientCalls);
    const Batch* batch = nullptr;
    if (stmt.calledSession == &s && stmt.calledGeneration == s.catalog.generation()) {
        batch = stmt.called;
    } else {
        auto& called = s.calledProcedures[stmt.procedure.name()];
        if (called.generation != s.catalog.generation() || !called.batch) {
            auto text = s.catalog.procedureText(stmt.procedure.name());
            if (!text) {
                s.calledProcedures.erase(stmt.procedure.name());
                raise(2812, stmt.line, {stmt.procedure.written()});
            }
            called = {s.catalog.generation(), parsedProcedure(s, *text)};
        }
        batch = called.batch.get();
        stmt.calledSession = &s;
        stmt.calledGeneration = s.catalog.generation();
        stmt.called = batch;
    }
    const auto& proc = static_cast<const CreateProcedureStmt&>(*batch->statements.front());
    // The frame of the procedure's last call, unless a call of it is running (recursion).
    std::shared_ptr<CallFrame> call = std::move(proc.keptFrame);
    if (!call) call = std::make_shared<CallFrame>();
    bindCall(ex, *call, stmt.arguments, stmt.line, proc.parameters, proc.procedure.name(), {},
             proc.parameterTypes.get());
    if (!proc.parameterTypes) {
        auto types = std::make_shared<std::vector<Type>>();
        for (const auto& v : call->variables)
            types->push_back(v.type);
        proc.parameterTypes = std::move(types);
    }
    int tranCount = s.tranCount;
    int returned = runCall(ex, *call, proc.body, ScopeKind::Procedure, proc.procedure.name(), &proc.compiled);
    proc.keptFrame = std::move(call);
    // The caller's variables are back as they were: the return variable is where it was found.
    if (returnTarget) ex.assign(s.variables[returnSlot], Value::integer(returned));
    if (s.tranCount != tranCount)
        raise(266, stmt.line, {std::to_string(tranCount), std::to_string(s.tranCount)});
}

} // namespace tsql::engine
