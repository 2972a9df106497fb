#include "binder.h"

#include "catalog_functions.h"

#include "errors.h"
#include "session.h"
#include "session_functions.h"
#include "tsql/collation.h"
#include "tsql/functions.h"
#include "tsql/sqlite.h"

namespace tsql::engine {

namespace {

const std::string collate = " COLLATE " + std::string(kCollationName);

std::string code(const Type& t) {
    return std::to_string(t.code());
}

Bound constantBound(const Value& v) {
    Bound b;
    b.type = v.type();
    b.sql = sqliteLiteral(v);
    b.constant = v;
    return b;
}

} // namespace

bool isAggregateName(std::string_view name) {
    return name == "COUNT" || name == "SUM" || name == "AVG" || name == "MIN" || name == "MAX" ||
           name == "COUNT_BIG";
}

Bound Binder::aggregate(const Expr& e, const Scope& scope) {
    Bound b;
    b.aggregate = true;
    const std::string& name = e.text;
    if (e.star) {
        if (name != "COUNT" && name != "COUNT_BIG") raise(102, e.line, {"*"});
        b.type = name == "COUNT" ? Type::integer() : Type::bigInt();
        b.sql = "count(*)";
        return b;
    }
    if (e.args.size() != 1) raise(174, e.line, {name, "1"});
    Bound a = expr(*e.args[0], scope);
    if (a.aggregate) raise(130, e.line, {});
    std::string arg = a.sql;
    if (isCharacterType(a.type.id)) arg += collate;
    std::string distinct = e.distinct ? "DISTINCT " : "";
    if (name == "COUNT" || name == "COUNT_BIG") {
        b.type = name == "COUNT" ? Type::integer() : Type::bigInt();
        b.sql = "count(" + distinct + arg + ")";
    } else if (name == "MIN" || name == "MAX") {
        b.type = a.type;
        b.sql = (name == "MIN" ? "min(" : "max(") + distinct + arg + ")";
    } else {
        b.type = aggregateResultType(name, a.type);
        b.sql =
            "tsql_" + std::string(name == "SUM" ? "sum" : "avg") + "(" + a.sql + ", " + code(a.type) + ")";
    }
    return b;
}

Bound Binder::function(const Expr& e, const Scope& scope) {
    const std::string& name = e.text;
    if (isAggregateName(name)) return aggregate(e, scope);
    if (auto catalogCall = bindCatalogFunction(*this, e, scope)) return *catalogCall;
    if (e.star) raise(102, e.line, {"*"});
    if (const SessionFunction* f = findSessionFunction(name)) {
        int n = static_cast<int>(e.args.size());
        if (n < f->minArgs || n > f->maxArgs) raise(174, e.line, {name, std::to_string(f->minArgs)});
        Bound b;
        b.type = f->type();
        b.sql = "tsql_session('" + std::string(f->name) + "'";
        for (const auto& a : e.args) {
            Bound x = expr(*a, scope);
            b.aggregate = b.aggregate || x.aggregate;
            b.sql +=
                ", " +
                (name == "OBJECT_NAME" ? x.sql : convert(x, Type::nVarChar(4000), ConversionKind::Implicit));
        }
        b.sql += ")";
        return b;
    }
    std::vector<Bound> args;
    const FunctionInfo* info = findFunction(name);
    for (std::size_t i = 0; i < e.args.size(); ++i) {
        const Expr& a = *e.args[i];
        if (i == 0 && info && info->datePartFirst && a.kind == ExprKind::Column && a.parts.size() == 1) {
            args.push_back(constantBound(Value::varChar(a.parts[0])));
            continue;
        }
        args.push_back(expr(a, scope));
    }
    Bound b;
    for (const auto& a : args)
        b.aggregate = b.aggregate || a.aggregate;
    if (name == "ISNULL" && args.size() == 2) {
        b.type = isNullResultType(args[0].type, args[1].type);
        b.sql = "coalesce(" + convert(args[0], b.type, ConversionKind::Assignment) + ", " +
                convert(args[1], b.type, ConversionKind::Assignment) + ")";
        return b;
    }
    if (name == "COALESCE" && args.size() >= 2) {
        std::vector<Type> types;
        for (const auto& a : args)
            types.push_back(a.type);
        b.type = commonType(types);
        b.sql = "coalesce(";
        for (std::size_t i = 0; i < args.size(); ++i)
            b.sql += (i ? ", " : "") + convert(args[i], b.type, ConversionKind::Implicit);
        b.sql += ")";
        return b;
    }
    if (name == "NULLIF" && args.size() == 2) {
        b.type = args[0].type;
        b.sql =
            "(CASE WHEN " + comparison("=", args[0], args[1]) + " THEN NULL ELSE " + args[0].sql + " END)";
        return b;
    }
    std::vector<Type> types;
    for (const auto& a : args)
        types.push_back(a.type);
    try {
        b.type = functionResultType(name, types);
    } catch (SqlError& err) {
        err.setLine(e.line);
        throw;
    }
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    b.sql = "tsql_" + lower + "(";
    for (std::size_t i = 0; i < args.size(); ++i)
        b.sql += (i ? ", " : "") + args[i].sql + ", " + code(args[i].type);
    b.sql += ")";
    return b;
}

} // namespace tsql::engine
