#include "trigger.h"

#include "lexer.h"

namespace tsql::engine {

namespace {

bool isPseudoTable(const ObjectName& name) {
    return name.parts.size() == 1 &&
           (equalsIgnoreCase(name.name(), "deleted") || equalsIgnoreCase(name.name(), "inserted"));
}

bool readsOnlyPseudoTables(const Query& q);

//! No query of the expression reads anything but `inserted` and `deleted`.
bool readsOnlyPseudoTables(const Expr* e) {
    if (!e) return true;
    if (e->query && !readsOnlyPseudoTables(*e->query)) return false;
    for (const auto& a : e->args)
        if (!readsOnlyPseudoTables(a.get())) return false;
    return true;
}

bool readsOnlyPseudoTables(const TableRef& r) {
    switch (r.kind) {
    case TableRef::Kind::Named:
        return isPseudoTable(r.name);
    case TableRef::Kind::Derived:
        return r.derived && readsOnlyPseudoTables(*r.derived);
    case TableRef::Kind::Join:
        return r.left && r.right && readsOnlyPseudoTables(*r.left) && readsOnlyPseudoTables(*r.right) &&
               readsOnlyPseudoTables(r.on.get());
    }
    return false;
}

bool readsOnlyPseudoTables(const Query& q) {
    for (const SelectCore& core : q.cores) {
        if (core.into || !readsOnlyPseudoTables(core.top.get()) || !readsOnlyPseudoTables(core.where.get()) ||
            !readsOnlyPseudoTables(core.having.get()))
            return false;
        for (const auto& item : core.items)
            if (!item.assign.empty() || !readsOnlyPseudoTables(item.expr.get())) return false;
        for (const auto& from : core.from)
            if (!readsOnlyPseudoTables(*from)) return false;
        for (const auto& e : core.groupBy)
            if (!readsOnlyPseudoTables(e.get())) return false;
    }
    for (const auto& o : q.orderBy)
        if (!readsOnlyPseudoTables(o.expr.get())) return false;
    return true;
}

//! INSERT into a table other than `base`, without triggers or foreign keys of its own, of rows made from
//! `inserted`, `deleted`, variables and constants only.
bool insertsOnlyFromPseudoTables(Session::Impl& s, const TableInfo& base, const InsertStmt& insert) {
    if (insert.exec || isPseudoTable(insert.table) || insert.table.name().empty() ||
        insert.table.name().front() == '@')
        return false;
    auto target = s.catalog.table(insert.table.name());
    if (!target || target->view || !target->storage.empty() || target->id == base.id) return false;
    if ((triggersOf(s, *target).events & static_cast<int>(TriggerEvent::Insert)) != 0) return false;
    for (const auto& k : target->constraints)
        if (k.kind == ConstraintKind::ForeignKey) return false;
    if (insert.select && !readsOnlyPseudoTables(*insert.select)) return false;
    for (const auto& row : insert.values)
        for (const auto& e : row)
            if (!readsOnlyPseudoTables(e.get())) return false;
    return true;
}

bool readsOnlyPseudoTables(Session::Impl& s, const TableInfo& base, const Statement& st) {
    switch (st.kind) {
    case StmtKind::SetOption:
    case StmtKind::Noop:
    case StmtKind::Return:
        return true;
    case StmtKind::Block:
        for (const auto& inner : static_cast<const BlockStmt&>(st).body)
            if (!readsOnlyPseudoTables(s, base, *inner)) return false;
        return true;
    case StmtKind::If: {
        const auto& i = static_cast<const IfStmt&>(st);
        return readsOnlyPseudoTables(i.condition.get()) && readsOnlyPseudoTables(s, base, *i.then) &&
               (!i.otherwise || readsOnlyPseudoTables(s, base, *i.otherwise));
    }
    case StmtKind::Set:
        return readsOnlyPseudoTables(static_cast<const SetStmt&>(st).value.get());
    case StmtKind::Declare:
        for (const auto& v : static_cast<const DeclareStmt&>(st).variables)
            if (v.table || !readsOnlyPseudoTables(v.init.get())) return false;
        return true;
    case StmtKind::Insert:
        return insertsOnlyFromPseudoTables(s, base, static_cast<const InsertStmt&>(st));
    default:
        return false;
    }
}

} // namespace

bool runsOnRowsInPlace(Session::Impl& s, const TableInfo& table, const std::vector<StmtPtr>& body) {
    for (const auto& st : body)
        if (!readsOnlyPseudoTables(s, table, *st)) return false;
    return true;
}

} // namespace tsql::engine
