#pragma once
//! Binds T-SQL expressions and queries to the catalog and translates them into SQLite SQL that calls
//! the type library's functions and collation, with variables as numbered parameters.

#include "ast.h"
#include "catalog.h"
#include "tsql/convert.h"
#include "tsql/engine.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tsql::engine {

struct SessionFunction;

//! A translated expression: SQLite SQL and the SQL Server type of its value.
struct Bound {
    std::string sql;
    Type type;
    bool aggregate = false;        //!< contains an aggregate function
    std::optional<Value> constant; //!< value of a literal (folded at bind time)
    std::string name;              //!< column name a result set reports for it
};

//! A column a FROM item offers.
struct SourceColumn {
    std::string name;
    Type type;
    std::string sqlName; //!< quoted name inside the item's SQLite alias
};

//! One item of a FROM clause as the binder sees it.
struct Source {
    std::string exposed;  //!< alias, or the table's name
    std::string sqlAlias; //!< quoted alias in the SQLite text
    std::vector<SourceColumn> columns;
    std::shared_ptr<const TableInfo> table; //!< the table, for named tables (not views)
};

//! Names visible to an expression: the FROM items of its query and of the queries around it.
struct Scope {
    std::vector<Source> sources;
    const Scope* outer = nullptr;
};

//! A translated query and the columns of its result.
struct QueryShape {
    std::string sql;
    std::vector<ResultColumn> columns;
};

//! A prepared-to-run statement text with the variables it reads as parameters ?1.. (slot + 1).
class Binder {
public:
    //! `writeLiterals`: constants are written into the SQL (NUL-safe), for SQL that SQLite keeps in a
    //! schema or that outlives the statement; otherwise text, binary and GUID constants are bound
    //! parameters (Session::Impl::literals) of the statement being run.
    explicit Binder(Session::Impl& session, bool writeLiterals = false)
        : s_(session)
        , writeLiterals_(writeLiterals) {}

    Session::Impl& session() const { return s_; }
    //! SQL of a constant: a parameter bound to it, or its text (numbers, dates, NULL, written literals).
    std::string literal(const Value& v);
    //! A constant as a Bound expression.
    Bound constant(const Value& v);

    //! Treats `SELECT @v = expr` items as plain expressions (the executor assigns the row).
    bool assignMode = false;
    //! Variables (slots) read as they are when SQLite evaluates the expression, through
    //! tsql_variable(slot), instead of as parameters bound before the statement runs.
    std::set<std::size_t> liveVariables;

    //! False once binding read what belongs to one scope only (a table variable, a trigger's `inserted`
    //! or `deleted`, UPDATE()): SQL bound from it is not kept for another run.
    bool reusable() const { return reusable_; }

    Bound expr(const Expr& e, const Scope& scope);
    //! A search condition (WHERE, ON, HAVING, IF, WHILE) as SQLite SQL yielding 1, 0 or NULL.
    std::string condition(const Expr& e, const Scope& scope);
    QueryShape query(const Query& q, const Scope* outer);
    //! Binds a FROM list into `scope` and returns its SQLite text.
    std::string from(const std::vector<std::unique_ptr<TableRef>>& refs, Scope& scope);
    //! SQL of `b` converted to `to` (folded for constants; nothing emitted when no conversion is needed).
    std::string convert(const Bound& b, const Type& to, ConversionKind kind);

    //! Scope of a table's own columns, referenced without alias (computed columns, CHECK constraints).
    static Scope ownColumns(const TableInfo& t);
    //! A named table as a FROM item: its columns under a fresh alias, exposed as `exposed` (the table's
    //! name when empty).
    Source tableSource(std::shared_ptr<const TableInfo> table, const std::string& exposed = {});
    //! The type a TypeName stands for; throws SqlError for unknown names.
    static Type resolveType(const TypeName& t, int line);
    //! The type CAST/CONVERT converts to: character and binary types without a length take 30.
    static TypeName castTarget(const TypeName& t);
    //! Value of a literal expression (NULL, numbers, strings, binary).
    static Value literalValue(const Expr& e);
    //! A unique SQLite alias for a FROM item or a column of a query.
    std::string newAlias(const char* prefix);

private:
    Bound column(const Expr& e, const Scope& scope);
    Bound binary(const Expr& e, const Scope& scope);
    Bound function(const Expr& e, const Scope& scope);
    Bound aggregate(const Expr& e, const Scope& scope);
    Bound caseExpr(const Expr& e, const Scope& scope);
    Bound subquery(const Expr& e, const Scope& scope);
    std::string comparison(const std::string& op, const Bound& l, const Bound& r);
    std::string predicate(const Expr& e, const Scope& scope);
    QueryShape selectCore(const SelectCore& core, const Scope* outer, bool collateText, Scope& scopeOut,
                          std::vector<Bound>& itemsOut);
    std::string tableRef(const TableRef& ref, Scope& scope);
    void addSource(Scope& scope, Source source, int line);

    Session::Impl& s_;
    bool writeLiterals_ = false;
    bool reusable_ = true;
    int aliasCounter_ = 0;
};

//! The parsed CREATE VIEW of a view (parsed once per cached definition).
const CreateViewStmt& viewDefinition(const TableInfo& view);

//! The columns a view offers, as (name, index into `names`), where `names` are the columns its query
//! gives today: all of them, except that a view over * keeps the columns recorded when it was created or
//! refreshed (error 4413 when one of them is gone).
std::vector<std::pair<std::string, int>> viewColumns(const TableInfo& view,
                                                     const std::vector<std::string>& names, int line);

//! Raises 174 or 189 when a session function gets too few or too many arguments.
void checkSessionArguments(const SessionFunction& f, std::size_t count, int line);

//! True for the aggregate functions the binder knows (upper-case names).
bool isAggregateName(std::string_view name);

//! True when `b`'s SQL already holds a value of `to` in SQLite storage (no conversion needed).
bool storageCompatible(const Type& from, const Type& to);
//! The arithmetic operator written `op` (+ - * / %), or nullopt.
std::optional<BinaryOp> arithmeticOperator(const std::string& op);

} // namespace tsql::engine
