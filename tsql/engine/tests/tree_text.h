#pragma once
//! A parsed batch written out as text for tests: every operator node in its own parentheses with the
//! operator first, so that precedence, associativity and the shape of joins show.

#include "ast.h"

#include <string>

namespace tsql::engine::testing_support {

//! One line per top-level statement.
class TreeText {
public:
    static std::string of(const Batch& batch) {
        std::string out;
        for (const auto& s : batch.statements)
            out += (out.empty() ? "" : "\n") + statement(*s);
        return out;
    }

private:
    static std::string list(const std::vector<ExprPtr>& items, const char* separator = " ") {
        std::string out;
        for (const auto& e : items)
            out += (out.empty() ? "" : separator) + (e ? expr(*e) : std::string("DEFAULT"));
        return out;
    }

    static std::string name(const std::vector<std::string>& parts) {
        std::string out;
        for (const auto& p : parts)
            out += (out.empty() ? "" : ".") + p;
        return out;
    }

    static std::string expr(const Expr& e) {
        const std::string no = e.negated ? "NOT " : "";
        switch (e.kind) {
        case ExprKind::Literal:
            switch (e.literal) {
            case LiteralKind::String:
                return "'" + e.text + "'";
            case LiteralKind::NString:
                return "N'" + e.text + "'";
            case LiteralKind::Binary:
                return "0x" + e.text;
            default:
                return e.text;
            }
        case ExprKind::Variable:
        case ExprKind::Global:
            return e.text;
        case ExprKind::Column:
            return name(e.parts);
        case ExprKind::ColumnUpdated:
            return "(UPDATE " + name(e.parts) + ")";
        case ExprKind::Star:
            return e.parts.empty() ? "*" : name(e.parts) + ".*";
        case ExprKind::Unary:
            return "(" + e.text + " " + expr(*e.args[0]) + ")";
        case ExprKind::Binary:
            return "(" + e.text + " " + expr(*e.args[0]) + " " + expr(*e.args[1]) + ")";
        case ExprKind::IsNull:
            return "(IS " + no + "NULL " + expr(*e.args[0]) + ")";
        case ExprKind::Like:
            return "(" + no + "LIKE " + list(e.args) + ")";
        case ExprKind::Between:
            return "(" + no + "BETWEEN " + list(e.args) + ")";
        case ExprKind::InList:
            return "(" + no + "IN " + list(e.args) + ")";
        case ExprKind::InQuery:
            return "(" + no + "IN " + expr(*e.args[0]) + " " + query(*e.query) + ")";
        case ExprKind::Exists:
            return "(EXISTS " + query(*e.query) + ")";
        case ExprKind::Subquery:
            return query(*e.query);
        case ExprKind::Function:
            return e.text + "(" + (e.distinct ? "DISTINCT " : "") + (e.star ? "*" : list(e.args, ", ")) + ")";
        case ExprKind::Cast:
            return "(CAST " + expr(*e.args[0]) + " " + e.type.text() + ")";
        case ExprKind::Convert:
            return "(CONVERT " + e.type.text() + " " + list(e.args) + ")";
        case ExprKind::Case: {
            std::string out = "(CASE";
            std::size_t i = 0;
            if (e.hasOperand) out += " " + expr(*e.args[i++]);
            const std::size_t pairsEnd = e.args.size() - (e.hasElse ? 1 : 0);
            for (; i + 1 < pairsEnd; i += 2)
                out += " (WHEN " + expr(*e.args[i]) + " " + expr(*e.args[i + 1]) + ")";
            if (e.hasElse) out += " (ELSE " + expr(*e.args.back()) + ")";
            return out + ")";
        }
        }
        return "?";
    }

    static std::string table(const TableRef& t) {
        static constexpr const char* kJoins[] = {"JOIN", "LEFT JOIN", "RIGHT JOIN", "FULL JOIN",
                                                 "CROSS JOIN"};
        const std::string alias = t.alias.empty() ? "" : " AS " + t.alias;
        switch (t.kind) {
        case TableRef::Kind::Named:
            return t.name.written() + alias;
        case TableRef::Kind::Derived:
            return query(*t.derived) + alias;
        case TableRef::Kind::Join:
            return "(" + std::string(kJoins[static_cast<int>(t.join)]) + " " + table(*t.left) + " " +
                   table(*t.right) + (t.on ? " ON " + expr(*t.on) : "") + ")";
        }
        return "?";
    }

    static std::string from(const std::vector<std::unique_ptr<TableRef>>& refs) {
        std::string out;
        for (const auto& t : refs)
            out += (out.empty() ? " FROM " : ", ") + table(*t);
        return out;
    }

    static std::string query(const Query& q) {
        std::string out;
        for (std::size_t i = 0; i < q.cores.size(); ++i) {
            const SelectCore& c = q.cores[i];
            if (i) out += q.unionAll[i - 1] ? " UNION ALL " : " UNION ";
            out += "(SELECT";
            if (c.distinct) out += " DISTINCT";
            if (c.top) out += " TOP " + expr(*c.top);
            for (std::size_t k = 0; k < c.items.size(); ++k) {
                const SelectItem& item = c.items[k];
                out += k ? ", " : " ";
                if (!item.assign.empty()) out += item.assign + " " + item.assignOp + " ";
                out += expr(*item.expr) + (item.alias.empty() ? "" : " AS " + item.alias);
            }
            if (c.into) out += " INTO " + c.into->written();
            out += from(c.from);
            if (c.where) out += " WHERE " + expr(*c.where);
            if (!c.groupBy.empty()) out += " GROUP BY " + list(c.groupBy, ", ");
            if (c.having) out += " HAVING " + expr(*c.having);
            out += ")";
        }
        for (std::size_t k = 0; k < q.orderBy.size(); ++k)
            out += (k ? ", " : " ORDER BY ") + expr(*q.orderBy[k].expr) +
                   (q.orderBy[k].descending ? " DESC" : "");
        return out;
    }

    static std::string simple(const char* word, const Statement& s) {
        const auto& simple = static_cast<const SimpleStmt&>(s);
        std::string out = word;
        if (!simple.name.empty()) out += " " + simple.name;
        if (simple.value) out += " " + expr(*simple.value);
        return out;
    }

    static std::string statement(const Statement& s) {
        switch (s.kind) {
        case StmtKind::Select:
            return query(static_cast<const SelectStmt&>(s).query);
        case StmtKind::Insert: {
            const auto& i = static_cast<const InsertStmt&>(s);
            std::string out = "INSERT " + i.table.written();
            for (std::size_t k = 0; k < i.columns.size(); ++k)
                out += (k ? ", " : " (") + i.columns[k] + (k + 1 == i.columns.size() ? ")" : "");
            for (const auto& row : i.values)
                out += " VALUES (" + list(row, ", ") + ")";
            if (i.select) out += " " + query(*i.select);
            return out + (i.defaultValues ? " DEFAULT VALUES" : "");
        }
        case StmtKind::Update: {
            const auto& u = static_cast<const UpdateStmt&>(s);
            std::string out = "UPDATE " + u.target.written() + " SET";
            for (std::size_t k = 0; k < u.sets.size(); ++k)
                out += (k ? ", " : " ") + name(u.sets[k].column) + " " + u.sets[k].op + " " +
                       (u.sets[k].value ? expr(*u.sets[k].value) : "DEFAULT");
            out += from(u.from);
            return out + (u.where ? " WHERE " + expr(*u.where) : "");
        }
        case StmtKind::Delete: {
            const auto& d = static_cast<const DeleteStmt&>(s);
            return "DELETE " + d.target.written() + from(d.from) +
                   (d.where ? " WHERE " + expr(*d.where) : "");
        }
        case StmtKind::Declare: {
            std::string out = "DECLARE";
            for (const auto& v : static_cast<const DeclareStmt&>(s).variables)
                out += " (" + v.name + " " + v.type.text() + (v.init ? " " + expr(*v.init) : "") + ")";
            return out;
        }
        case StmtKind::Set: {
            const auto& set = static_cast<const SetStmt&>(s);
            return "SET " + set.variable + " " + set.op + " " + expr(*set.value);
        }
        case StmtKind::If: {
            const auto& i = static_cast<const IfStmt&>(s);
            return "(IF " + expr(*i.condition) + " " + statement(*i.then) +
                   (i.otherwise ? " ELSE " + statement(*i.otherwise) : "") + ")";
        }
        case StmtKind::Block: {
            std::string out = "(BEGIN";
            for (const auto& b : static_cast<const BlockStmt&>(s).body)
                out += " " + statement(*b) + ";";
            return out + " END)";
        }
        case StmtKind::While: {
            const auto& w = static_cast<const WhileStmt&>(s);
            return "(WHILE " + expr(*w.condition) + " " + statement(*w.body) + ")";
        }
        case StmtKind::Break:
            return simple("BREAK", s);
        case StmtKind::Continue:
            return simple("CONTINUE", s);
        case StmtKind::Goto:
            return simple("GOTO", s);
        case StmtKind::Label:
            return simple("LABEL", s);
        case StmtKind::Return:
            return simple("RETURN", s);
        case StmtKind::Print:
            return simple("PRINT", s);
        case StmtKind::BeginTran:
            return simple("BEGIN TRAN", s);
        case StmtKind::CommitTran:
            return simple("COMMIT", s);
        case StmtKind::RollbackTran:
            return simple("ROLLBACK", s);
        case StmtKind::CreateTable: {
            const auto& t = static_cast<const CreateTableStmt&>(s);
            std::string out = "CREATE TABLE " + t.table.written();
            for (const auto& c : t.columns) {
                out += " (" + c.name;
                if (c.computed) out += " AS " + expr(*c.computed);
                if (c.hasType) out += " " + c.type.text();
                if (c.identity)
                    out += " IDENTITY " + std::to_string(c.seed) + " " + std::to_string(c.increment);
                if (c.nullable) out += *c.nullable ? " NULL" : " NOT NULL";
                if (c.defaultValue) out += " DEFAULT " + c.defaultName + " " + expr(*c.defaultValue);
                out += ")";
            }
            static constexpr const char* kConstraints[] = {"PRIMARY KEY", "UNIQUE", "CHECK", "FOREIGN KEY"};
            for (const auto& c : t.constraints) {
                out += " (" + std::string(kConstraints[static_cast<int>(c.kind)]) +
                       (c.name.empty() ? "" : " " + c.name);
                for (const auto& column : c.columns)
                    out += " " + column;
                if (c.check) out += " " + expr(*c.check);
                out += ")";
            }
            return out;
        }
        case StmtKind::CreateProcedure: {
            const auto& p = static_cast<const CreateProcedureStmt&>(s);
            std::string out = "CREATE PROCEDURE " + p.procedure.written();
            for (const auto& a : p.parameters)
                out += " (" + a.name + " " + a.type.text() +
                       (a.defaultValue ? " = " + expr(*a.defaultValue) : "") + (a.output ? " OUTPUT" : "") +
                       ")";
            out += " AS";
            for (const auto& b : p.body)
                out += " " + statement(*b) + ";";
            return out;
        }
        case StmtKind::Exec: {
            const auto& x = static_cast<const ExecStmt&>(s);
            if (x.dynamic) return "EXEC (" + expr(*x.dynamic) + ")";
            std::string out =
                "EXEC " + (x.returnVariable.empty() ? "" : x.returnVariable + " = ") + x.procedure.written();
            for (std::size_t k = 0; k < x.arguments.size(); ++k) {
                const ExecArgument& a = x.arguments[k];
                out += (k ? ", " : " ") + (a.name.empty() ? "" : a.name + " = ") +
                       (a.value ? expr(*a.value) : "DEFAULT") + (a.output ? " OUTPUT" : "");
            }
            return out;
        }
        default:
            return "statement " + std::to_string(static_cast<int>(s.kind));
        }
    }
};

} // namespace tsql::engine::testing_support
