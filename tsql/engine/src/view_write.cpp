#include "view_write.h"

#include "binder.h"
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
    //! What each view column stands for: a select item of the view, or (for items of *) a base column.
    struct Column {
        int item = -1;
        std::string baseColumn;
    };
    std::vector<Column> columns;
    std::vector<std::function<void()>> undo;
    std::vector<ExprPtr> keep; //!< replaced nodes, given back on undo
};

namespace {

//! A view column by name: index into Impl::columns, or -1.
int viewColumn(const ViewRedirect::Impl& r, const std::string& name) {
    return r.view->columnIndex(name);
}

//! The base column a view column writes to; error 4406 for a derived or constant one.
std::string writtenColumn(const ViewRedirect::Impl& r, int index, int line) {
    const auto& c = r.columns.at(static_cast<std::size_t>(index));
    if (!c.baseColumn.empty()) return c.baseColumn;
    const Expr& def = *r.core->items.at(static_cast<std::size_t>(c.item)).expr;
    if (def.kind != ExprKind::Column) raise(4406, line, {r.view->name});
    return def.parts.back();
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
    const auto& c = r.columns.at(static_cast<std::size_t>(index));
    if (!c.baseColumn.empty()) {
        auto e = std::make_unique<Expr>();
        e->kind = ExprKind::Column;
        e->parts = {r.base, c.baseColumn};
        return e;
    }
    Batch again = parseBatch(r.view->viewText);
    auto& view = static_cast<CreateViewStmt&>(*again.statements.at(0));
    ExprPtr e = std::move(view.query->cores.front().items.at(static_cast<std::size_t>(c.item)).expr);
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
    d.core = &core;
    d.base = base->name;
    d.alias = core.from.front()->alias;
    // The view's columns as its query gives them today (* = the base table's columns), matched to the
    // columns the view keeps as the binder matches them for reading.
    std::vector<ViewRedirect::Impl::Column> today;
    std::vector<std::string> names;
    for (std::size_t i = 0; i < core.items.size(); ++i) {
        const SelectItem& item = core.items[i];
        if (item.expr->kind == ExprKind::Star) {
            for (const auto& c : base->columns) {
                today.push_back({-1, c.name});
                names.push_back(c.name);
            }
            continue;
        }
        today.push_back({static_cast<int>(i), ""});
        names.push_back(!item.alias.empty()                   ? item.alias
                        : item.expr->kind == ExprKind::Column ? item.expr->parts.back()
                                                              : std::string());
    }
    for (std::size_t i = 0; i < names.size() && i < view.columns.size(); ++i)
        names[i] = view.columns[i];
    for (const auto& [name, index] : viewColumns(*table, names, line))
        d.columns.push_back(today.at(static_cast<std::size_t>(index)));
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
        std::string written = writtenColumn(d, index, stmt.line);
        std::vector<std::string> saved = a.column;
        a.column = {written};
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
        name = writtenColumn(d, index, stmt.line);
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
