#include "view_write.h"

#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "parser.h"

#include <functional>
#include <utility>

namespace tsql::engine {

struct ViewRedirect::Impl {
    std::shared_ptr<const TableInfo> view;
    Batch definition; //!< a fresh parse of the view, whose parts are moved into the statement
    const SelectCore* core = nullptr;
    std::string base;  //!< the base table's name
    std::string alias; //!< the base table's alias inside the view, if any
    std::vector<std::function<void()>> undo;
    std::vector<ExprPtr> keep; //!< replaced nodes, given back on undo
};

namespace {

//! A view column as the view defines it: index of its select item.
int viewColumn(const ViewRedirect::Impl& r, const std::string& name) {
    return r.view->columnIndex(name);
}

//! Qualifiers naming the base table's alias inside the view become the base table's name.
void requalify(Expr& e, const ViewRedirect::Impl& r) {
    if (e.kind == ExprKind::Column && e.parts.size() > 1 &&
        (equalsIgnoreCase(e.parts[e.parts.size() - 2], r.alias) ||
         equalsIgnoreCase(e.parts[e.parts.size() - 2], r.base)))
        e.parts = {r.base, e.parts.back()};
    for (auto& a : e.args)
        if (a) requalify(*a, r);
}

//! A fresh copy of the expression behind view column `index`, qualified by the base table.
ExprPtr definitionOf(ViewRedirect::Impl& r, int index) {
    Batch again = parseBatch(r.view->viewText);
    auto& view = static_cast<CreateViewStmt&>(*again.statements.at(0));
    ExprPtr e = std::move(view.query->cores.front().items.at(static_cast<std::size_t>(index)).expr);
    requalify(*e, r);
    return e;
}

//! Replaces references to view columns under `slot` by their definitions (restored on undo).
void substitute(ExprPtr& slot, ViewRedirect::Impl& r) {
    if (!slot) return;
    Expr& e = *slot;
    if (e.kind == ExprKind::Column) {
        bool ours = e.parts.size() == 1 ||
                    (e.parts.size() >= 2 && equalsIgnoreCase(e.parts[e.parts.size() - 2], r.view->name));
        int index = ours ? viewColumn(r, e.parts.back()) : -1;
        if (index < 0) return;
        ExprPtr replacement = definitionOf(r, index);
        ExprPtr* where = &slot;
        r.keep.push_back(std::exchange(slot, std::move(replacement)));
        std::size_t kept = r.keep.size() - 1;
        r.undo.push_back([where, kept, &r] { *where = std::move(r.keep[kept]); });
        return;
    }
    for (auto& a : e.args)
        substitute(a, r);
}

//! Checks that the view reads one table and prepares the redirection; nullptr for plain tables.
std::unique_ptr<ViewRedirect> prepare(Executor& ex, const ObjectName& target, int line) {
    auto table = ex.session().catalog.table(target.name());
    if (!table || !table->view) return nullptr;
    auto r = std::make_unique<ViewRedirect>();
    r->impl_ = std::make_unique<ViewRedirect::Impl>();
    auto& d = *r->impl_;
    d.view = table;
    d.definition = parseBatch(table->viewText);
    const auto& view = static_cast<const CreateViewStmt&>(*d.definition.statements.at(0));
    const Query& q = *view.query;
    const SelectCore& core = q.cores.front();
    if (q.cores.size() > 1 || core.from.size() != 1 || core.from.front()->kind != TableRef::Kind::Named)
        raise(4405, line, {table->name});
    if (core.distinct || !core.groupBy.empty() || core.having || core.top) raise(4403, line, {table->name});
    auto base = ex.session().catalog.table(core.from.front()->name.name());
    if (!base) raise(208, line, {core.from.front()->name.name()});
    if (base->view) raiseUnsupported(line, "changing data through a view over another view");
    for (const auto& item : core.items)
        if (item.expr->kind == ExprKind::Star) raiseUnsupported(line, "changing data through a view with *");
    d.core = &core;
    d.base = base->name;
    d.alias = core.from.front()->alias;
    return r;
}

//! Redirects the statement's target name and adds the view's own WHERE to the statement's.
void redirectTarget(ViewRedirect::Impl& d, ObjectName& target, ExprPtr& where) {
    ObjectName saved = target;
    target.parts = {d.base};
    d.undo.push_back([&target, saved] { target = saved; });
    substitute(where, d);
    auto& view = static_cast<CreateViewStmt&>(*d.definition.statements.at(0));
    ExprPtr& viewWhere = view.query->cores.front().where;
    if (!viewWhere) return;
    requalify(*viewWhere, d);
    if (!where) {
        where = std::move(viewWhere);
        d.undo.push_back([&where] { where.reset(); });
        return;
    }
    auto both = std::make_unique<Expr>();
    both->kind = ExprKind::Binary;
    both->text = "AND";
    both->line = where->line;
    both->args.push_back(std::move(where));
    both->args.push_back(std::move(viewWhere));
    where = std::move(both);
    d.undo.push_back([&where] {
        ExprPtr original = std::move(where->args.front());
        where = std::move(original);
    });
}

} // namespace

ViewRedirect::ViewRedirect() = default;

ViewRedirect::~ViewRedirect() {
    if (!impl_) return;
    for (auto it = impl_->undo.rbegin(); it != impl_->undo.rend(); ++it)
        (*it)();
}

std::unique_ptr<ViewRedirect> redirectUpdate(Executor& ex, const UpdateStmt& constStmt) {
    if (!constStmt.from.empty()) return nullptr;
    auto r = prepare(ex, constStmt.target, constStmt.line);
    if (!r) return r;
    // The statement is lent to the redirection, which puts every part back when it ends.
    auto& stmt = const_cast<UpdateStmt&>(constStmt);
    auto& d = *r->impl_;
    for (auto& a : stmt.sets) {
        if (a.column.front()[0] == '@') continue;
        int index = viewColumn(d, a.column.back());
        if (index < 0) raise(207, stmt.line, {a.column.back()});
        const Expr& def = *d.core->items.at(static_cast<std::size_t>(index)).expr;
        if (def.kind != ExprKind::Column) raise(4406, stmt.line, {d.view->name});
        std::vector<std::string> saved = a.column;
        a.column = {def.parts.back()};
        d.undo.push_back([&a, saved] { a.column = saved; });
        substitute(a.value, d);
    }
    redirectTarget(d, stmt.target, stmt.where);
    return r;
}

std::unique_ptr<ViewRedirect> redirectInsert(Executor& ex, const InsertStmt& constStmt) {
    auto r = prepare(ex, constStmt.table, constStmt.line);
    if (!r) return r;
    auto& stmt = const_cast<InsertStmt&>(constStmt);
    auto& d = *r->impl_;
    std::vector<std::string> saved = stmt.columns;
    std::vector<std::string> columns = stmt.columns;
    if (columns.empty() && !stmt.defaultValues)
        for (const auto& c : d.view->columns)
            columns.push_back(c.name);
    for (auto& name : columns) {
        int index = viewColumn(d, name);
        if (index < 0) raise(207, stmt.line, {name});
        const Expr& def = *d.core->items.at(static_cast<std::size_t>(index)).expr;
        if (def.kind != ExprKind::Column) raise(4406, stmt.line, {d.view->name});
        name = def.parts.back();
    }
    ObjectName savedTable = stmt.table;
    stmt.columns = std::move(columns);
    stmt.table.parts = {d.base};
    d.undo.push_back([&stmt, saved, savedTable] {
        stmt.columns = saved;
        stmt.table = savedTable;
    });
    return r;
}

std::unique_ptr<ViewRedirect> redirectDelete(Executor& ex, const DeleteStmt& constStmt) {
    if (!constStmt.from.empty()) return nullptr;
    auto r = prepare(ex, constStmt.target, constStmt.line);
    if (!r) return r;
    auto& stmt = const_cast<DeleteStmt&>(constStmt);
    redirectTarget(*r->impl_, stmt.target, stmt.where);
    return r;
}

} // namespace tsql::engine
