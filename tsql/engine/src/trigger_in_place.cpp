#include "trigger.h"

#include "lexer.h"

namespace tsql::engine {

namespace {

//! Walks a trigger body, noting whether it names `inserted`.
class InPlaceCheck {
public:
    InPlaceCheck(Session::Impl& s, const TableInfo& base)
        : s_(s)
        , base_(base) {}
    bool readsInserted = false;

    bool statement(const Statement& st) {
        switch (st.kind) {
        case StmtKind::SetOption:
        case StmtKind::Noop:
        case StmtKind::Return:
            return true;
        case StmtKind::Block:
            for (const auto& inner : static_cast<const BlockStmt&>(st).body)
                if (!statement(*inner)) return false;
            return true;
        case StmtKind::If: {
            const auto& i = static_cast<const IfStmt&>(st);
            return expr(i.condition.get()) && statement(*i.then) && (!i.otherwise || statement(*i.otherwise));
        }
        case StmtKind::Set:
            return expr(static_cast<const SetStmt&>(st).value.get());
        case StmtKind::Declare:
            for (const auto& v : static_cast<const DeclareStmt&>(st).variables)
                if (v.table || !expr(v.init.get())) return false;
            return true;
        case StmtKind::Insert:
            return insert(static_cast<const InsertStmt&>(st));
        default:
            return false;
        }
    }

private:
    static bool isPseudoTable(const ObjectName& name) {
        return name.parts.size() == 1 &&
               (equalsIgnoreCase(name.name(), "deleted") || equalsIgnoreCase(name.name(), "inserted"));
    }

    //! No query of the expression reads anything but `inserted` and `deleted`.
    bool expr(const Expr* e) {
        if (!e) return true;
        if (e->query && !query(*e->query)) return false;
        for (const auto& a : e->args)
            if (!expr(a.get())) return false;
        return true;
    }

    bool source(const TableRef& r) {
        switch (r.kind) {
        case TableRef::Kind::Named:
            if (!isPseudoTable(r.name)) return false;
            readsInserted = readsInserted || equalsIgnoreCase(r.name.name(), "inserted");
            return true;
        case TableRef::Kind::Derived:
            return r.derived && query(*r.derived);
        case TableRef::Kind::Join:
            return r.left && r.right && source(*r.left) && source(*r.right) && expr(r.on.get());
        }
        return false;
    }

    bool query(const Query& q) {
        for (const SelectCore& core : q.cores) {
            if (core.into || !expr(core.top.get()) || !expr(core.where.get()) || !expr(core.having.get()))
                return false;
            for (const auto& item : core.items)
                if (!item.assign.empty() || !expr(item.expr.get())) return false;
            for (const auto& from : core.from)
                if (!source(*from)) return false;
            for (const auto& e : core.groupBy)
                if (!expr(e.get())) return false;
        }
        for (const auto& o : q.orderBy)
            if (!expr(o.expr.get())) return false;
        return true;
    }

    //! INSERT into a table other than the base table, without triggers for INSERT or foreign keys of its
    //! own, of rows made from `inserted`, `deleted`, variables and constants only.
    bool insert(const InsertStmt& insert) {
        if (insert.exec || isPseudoTable(insert.table) || insert.table.name().empty() ||
            insert.table.name().front() == '@')
            return false;
        auto target = s_.catalog.table(insert.table.name());
        if (!target || target->view || !target->storage.empty() || target->id == base_.id) return false;
        if ((triggersOf(s_, *target).events & static_cast<int>(TriggerEvent::Insert)) != 0) return false;
        for (const auto& k : target->constraints)
            if (k.kind == ConstraintKind::ForeignKey) return false;
        if (insert.select && !query(*insert.select)) return false;
        for (const auto& row : insert.values)
            for (const auto& e : row)
                if (!expr(e.get())) return false;
        return true;
    }

    Session::Impl& s_;
    const TableInfo& base_;
};

} // namespace

bool runsOnRowsInPlace(Session::Impl& s, const TableInfo& table, const std::vector<StmtPtr>& body,
                       bool& readsInserted) {
    InPlaceCheck check(s, table);
    for (const auto& st : body)
        if (!check.statement(*st)) return false;
    readsInserted = readsInserted || check.readsInserted;
    return true;
}

} // namespace tsql::engine
