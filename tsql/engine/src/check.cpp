#include "check.h"

#include "alter.h"
#include "binder.h"
#include "catalog_functions.h"
#include "cursor.h"
#include "errors.h"
#include "lexer.h"
#include "session_functions.h"
#include "tsql/functions.h"

#include <set>

namespace tsql::engine {

namespace {

class Checker {
public:
    Checker(const std::vector<std::string>& declared, ScopeKind kind, const TableInfo* table = nullptr)
        : kind_(kind)
        , table_(table) {
        for (const auto& name : declared)
            declared_.insert(upper(name));
    }

    void statements(const std::vector<StmtPtr>& list) {
        for (const auto& s : list)
            statement(*s);
    }

private:
    void use(const std::string& variable, int line) {
        if (!declared_.count(upper(variable))) raise(137, line, {variable});
    }

    void statement(const Statement& stmt) {
        switch (stmt.kind) {
        case StmtKind::Select:
            select(static_cast<const SelectStmt&>(stmt));
            break;
        case StmtKind::Insert: {
            const auto& s = static_cast<const InsertStmt&>(stmt);
            for (const auto& row : s.values)
                for (const auto& v : row)
                    expr(v.get());
            if (s.select) query(*s.select);
            break;
        }
        case StmtKind::Update: {
            const auto& s = static_cast<const UpdateStmt&>(stmt);
            for (const auto& a : s.sets)
                expr(a.value.get());
            from(s.from);
            expr(s.where.get());
            break;
        }
        case StmtKind::Delete: {
            const auto& s = static_cast<const DeleteStmt&>(stmt);
            from(s.from);
            expr(s.where.get());
            break;
        }
        case StmtKind::Declare:
            // A variable is known from its DECLARE on, in the order of the text (not of execution).
            for (const auto& v : static_cast<const DeclareStmt&>(stmt).variables) {
                expr(v.init.get());
                declared_.insert(upper(v.name));
            }
            break;
        case StmtKind::Set: {
            const auto& s = static_cast<const SetStmt&>(stmt);
            expr(s.value.get());
            use(s.variable, stmt.line);
            break;
        }
        case StmtKind::If: {
            const auto& s = static_cast<const IfStmt&>(stmt);
            expr(s.condition.get());
            statement(*s.then);
            if (s.otherwise) statement(*s.otherwise);
            break;
        }
        case StmtKind::Block:
            statements(static_cast<const BlockStmt&>(stmt).body);
            break;
        case StmtKind::Try:
            statements(static_cast<const TryStmt&>(stmt).body);
            statements(static_cast<const TryStmt&>(stmt).handler);
            break;
        case StmtKind::While: {
            const auto& s = static_cast<const WhileStmt&>(stmt);
            expr(s.condition.get());
            statement(*s.body);
            break;
        }
        case StmtKind::Return:
        case StmtKind::Print:
            expr(static_cast<const SimpleStmt&>(stmt).value.get());
            break;
        case StmtKind::Raiserror:
            for (const auto& a : static_cast<const RaiserrorStmt&>(stmt).args)
                expr(a.get());
            break;
        case StmtKind::Exec: {
            const auto& s = static_cast<const ExecStmt&>(stmt);
            if (!s.returnVariable.empty()) use(s.returnVariable, stmt.line);
            for (const auto& a : s.arguments)
                expr(a.value.get());
            expr(s.dynamic.get());
            break;
        }
        case StmtKind::CreateProcedure: {
            const auto& s = static_cast<const CreateProcedureStmt&>(stmt);
            std::vector<std::string> parameters;
            for (const auto& p : s.parameters)
                parameters.push_back(p.name);
            Checker(parameters, ScopeKind::Procedure).statements(s.body);
            break;
        }
        case StmtKind::CreateTrigger:
            Checker({}, ScopeKind::Trigger).statements(static_cast<const CreateTriggerStmt&>(stmt).body);
            break;
        case StmtKind::DeclareCursor:
            query(*static_cast<const DeclareCursorStmt&>(stmt).query);
            break;
        case StmtKind::FetchCursor: {
            const auto& s = static_cast<const CursorStmt&>(stmt);
            expr(s.offset.get());
            for (const auto& v : s.into)
                use(v, stmt.line);
            break;
        }
        case StmtKind::Break:
        case StmtKind::Continue:
        case StmtKind::Goto:
        case StmtKind::Label:
        case StmtKind::CreateTable:
        case StmtKind::DropTable:
        case StmtKind::CreateView:
        case StmtKind::DropView:
        case StmtKind::BeginTran:
        case StmtKind::CommitTran:
        case StmtKind::RollbackTran:
        case StmtKind::SetOption:
        case StmtKind::DropProcedure:
        case StmtKind::Noop:
        case StmtKind::DropTrigger:
        case StmtKind::Use:
        case StmtKind::Permission:
        case StmtKind::OpenCursor:
        case StmtKind::CloseCursor:
        case StmtKind::DeallocateCursor:
        case StmtKind::AlterTable:
        case StmtKind::CreateIndex:
        case StmtKind::DropIndex:
            break;
        }
    }

    void select(const SelectStmt& stmt) {
        const Query& q = stmt.query;
        const auto& items = q.cores.front().items;
        bool assigning = false;
        for (const auto& item : items)
            assigning = assigning || !item.assign.empty();
        if (assigning) {
            if (q.cores.size() > 1) raise(141, stmt.line, {});
            for (const auto& item : items) {
                if (item.assign.empty()) raise(141, stmt.line, {});
                use(item.assign, stmt.line);
            }
        }
        query(q);
    }

    void query(const Query& q) {
        for (const auto& core : q.cores) {
            expr(core.top.get());
            for (const auto& item : core.items)
                expr(item.expr.get());
            from(core.from);
            expr(core.where.get());
            for (const auto& g : core.groupBy)
                expr(g.get());
            expr(core.having.get());
        }
        for (const auto& o : q.orderBy)
            expr(o.expr.get());
    }

    void from(const std::vector<std::unique_ptr<TableRef>>& refs) {
        for (const auto& r : refs)
            tableRef(*r);
    }

    void tableRef(const TableRef& ref) {
        if (ref.derived) query(*ref.derived);
        if (ref.left) tableRef(*ref.left);
        if (ref.right) tableRef(*ref.right);
        expr(ref.on.get());
    }

    void expr(const Expr* e) {
        if (!e) return;
        switch (e->kind) {
        case ExprKind::Variable:
            use(e->text, e->line);
            break;
        case ExprKind::Global:
            // An unknown @@ name reads as a variable nobody declared.
            if (!findSessionFunction(e->text)) raise(137, e->line, {e->text});
            break;
        case ExprKind::Function:
            function(*e);
            break;
        case ExprKind::ColumnUpdated:
            if (kind_ != ScopeKind::Trigger) raise(156, e->line, {"UPDATE"});
            if (table_ && table_->columnIndex(e->parts.front()) < 0) raise(207, e->line, {e->parts.front()});
            break;
        default:
            break;
        }
        for (const auto& a : e->args)
            expr(a.get());
        if (e->query) query(*e->query);
    }

    void function(const Expr& e) {
        const std::string& name = e.text;
        if (isAggregateName(name) || isCatalogFunction(name)) return;
        if (const SessionFunction* f = findSessionFunction(name)) {
            const auto n = static_cast<int>(e.args.size());
            if (n < f->minArgs || n > f->maxArgs) raise(174, e.line, {name, std::to_string(f->minArgs)});
            return;
        }
        try {
            checkedFunction(name, e.args.size());
        } catch (SqlError& err) {
            err.setLine(e.line);
            throw;
        }
    }

    std::set<std::string> declared_;
    ScopeKind kind_;
    const TableInfo* table_;
};

} // namespace

void checkScope(const std::vector<StmtPtr>& statements, const std::vector<std::string>& declared,
                ScopeKind kind, const TableInfo* table) {
    Checker(declared, kind, table).statements(statements);
}

} // namespace tsql::engine
