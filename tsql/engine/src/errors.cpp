#include "errors.h"

namespace tsql::engine {

namespace {

//! SQL Server messages the engine raises that the type library's table does not carry.
constexpr MessageInfo engineMessages[] = {
    {111, 15, "'%s' must be the first statement in a query batch."},
    {113, 15, "Missing end comment mark '*/'."},
    {116, 16,
     "Only one expression can be specified in the select list when the subquery is not introduced with "
     "EXISTS."},
    {119, 15,
     "Must pass parameter number %s and subsequent parameters as '@name = value'. After the form '@name = "
     "value' has been used, all subsequent parameters must be passed in the form '@name = value'."},
    {128, 15,
     "The name \"%s\" is not permitted in this context. Valid expressions are constants, constant "
     "expressions, and "
     "(in some contexts) variables. Column names are not permitted."},
    {141, 15,
     "A SELECT statement that assigns a value to a variable must not be combined with data-retrieval "
     "operations."},
    {145, 15, "ORDER BY items must appear in the select list if SELECT DISTINCT is specified."},
    {263, 16, "Must specify table to select from."},
    {1013, 16,
     "The objects \"%s\" and \"%s\" in the FROM clause have duplicate exposed names. Use correlation names "
     "to "
     "distinguish them."},
    {1767, 16, "Foreign key '%s' references invalid table '%s'."},
    {1776, 16,
     "There are no primary or candidate keys in the referenced table '%s' that match the referencing column "
     "list "
     "in the foreign key '%s'."},
    {1911, 16, "Column name '%s' does not exist in the target table or view."},
    {4145, 15,
     "An expression of non-boolean type specified in a context where a condition is expected, near '%s'."},
    {4506, 16,
     "Column names in each view or function must be unique. Column name '%s' in view or function '%s' is "
     "specified more than once."},
    {8143, 16, "Parameter '%s' was supplied multiple times."},
    {8155, 16, "No column name was specified for column %s of '%s'."},
    {1779, 16, "Table '%s' already has a primary key defined on it."},
    {1781, 16, "Column already has a DEFAULT bound to it."},
    {4916, 16, "Could not enable or disable the constraint. See previous errors."},
    {4917, 16, "Constraint '%s' does not exist."},
    {4922, 16, "ALTER TABLE %s COLUMN %s failed because one or more objects access this column."},
    {16911, 16, "fetch: The fetch type %s cannot be used with forward only cursors."},
    {16924, 16,
     "Cursorfetch: The number of variables declared in the INTO list must match that of selected columns."},
};

} // namespace

void raise(int number, int line, const std::vector<std::string>& args) {
    if (findMessage(number)) {
        SqlError e = SqlError::make(number, args);
        e.setLine(line);
        throw e;
    }
    for (const auto& m : engineMessages)
        if (m.number == number) throw SqlError(number, m.severity, 1, formatMessage(m.text, args), line);
    throw SqlError(
        8630, 17, 1,
        "Internal error of the database engine: no text for message " + std::to_string(number) + ".", line);
}

void raiseUnsupported(int line, const std::string& construct) {
    throw SqlError(102, 15, 1, "Incorrect syntax: " + construct + " is not supported by this server.", line);
}

} // namespace tsql::engine
