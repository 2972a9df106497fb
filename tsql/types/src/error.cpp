#include "tsql/error.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <utility>

namespace tsql {

namespace {

//! SQL Server's messages the engine raises, in order of number and state.
constexpr MessageInfo kMessages[] = {
    {102, 15, ErrorEnds::Scope, "Incorrect syntax near '%s'."},
    {104, 16, ErrorEnds::Scope,
     "ORDER BY items must appear in the select list if the statement contains a UNION, INTERSECT or EXCEPT "
     "operator."},
    {105, 15, ErrorEnds::Scope, "Unclosed quotation mark after the character string '%s'."},
    {108, 16, ErrorEnds::Batch,
     "The ORDER BY position number %d is out of the range of the number of items in the select list."},
    {109, 15, ErrorEnds::Scope,
     "There are more columns in the INSERT statement than values specified in the VALUES clause. The number "
     "of values in the VALUES clause must match the number of columns specified in the INSERT statement."},
    {110, 15, ErrorEnds::Scope,
     "There are fewer columns in the INSERT statement than values specified in the VALUES clause. The number "
     "of values in the VALUES clause must match the number of columns specified in the INSERT statement."},
    {111, 15, ErrorEnds::Scope, "'%s' must be the first statement in a query batch."},
    {113, 15, ErrorEnds::Scope, "Missing end comment mark '*/'."},
    {116, 16, ErrorEnds::Scope,
     "Only one expression can be specified in the select list when the subquery is not introduced with "
     "EXISTS."},
    {119, 15, ErrorEnds::Scope,
     "Must pass parameter number %s and subsequent parameters as '@name = value'. After the form '@name = "
     "value' has been used, all subsequent parameters must be passed in the form '@name = value'."},
    {120, 15, ErrorEnds::Scope,
     "The select list for the INSERT statement contains fewer items than the insert list. The number of "
     "SELECT values must match the number of INSERT columns."},
    {121, 15, ErrorEnds::Scope,
     "The select list for the INSERT statement contains more items than the insert list. The number of "
     "SELECT values must match the number of INSERT columns."},
    {128, 15, ErrorEnds::Scope,
     "The name \"%s\" is not permitted in this context. Valid expressions are constants, constant "
     "expressions, and (in some contexts) variables. Column names are not permitted."},
    {130, 16, ErrorEnds::Scope,
     "Cannot perform an aggregate function on an expression containing an aggregate or a subquery."},
    {131, 15, ErrorEnds::Scope,
     "The size (%d) given to the type '%s' exceeds the maximum allowed for any data type (%d)."},
    {132, 15, ErrorEnds::Scope,
     "The label '%s' has already been declared. Label names must be unique within a query batch or stored "
     "procedure."},
    {133, 15, ErrorEnds::Scope,
     "A GOTO statement references the label '%s' but the label has not been declared."},
    {134, 15, ErrorEnds::Scope,
     "The variable name '%s' has already been declared. Variable names must be unique within a query batch "
     "or stored procedure."},
    {137, 15, ErrorEnds::Scope, "Must declare the scalar variable \"%s\"."},
    {141, 15, ErrorEnds::Scope,
     "A SELECT statement that assigns a value to a variable must not be combined with data-retrieval "
     "operations."},
    {144, 15, ErrorEnds::Scope,
     "Cannot use an aggregate or a subquery in an expression used for the group by list of a GROUP BY "
     "clause."},
    {145, 15, ErrorEnds::Scope,
     "ORDER BY items must appear in the select list if SELECT DISTINCT is specified."},
    {155, 15, ErrorEnds::Scope, "'%s' is not a recognized %s option."},
    {156, 15, ErrorEnds::Scope, "Incorrect syntax near the keyword '%s'."},
    {174, 15, ErrorEnds::Scope, "The %s function requires %d argument(s)."},
    {178, 15, ErrorEnds::Scope, "A RETURN statement with a return value cannot be used in this context."},
    {189, 15, ErrorEnds::Scope, "The %s function requires %d to %d arguments."},
    {195, 15, ErrorEnds::Scope, "'%s' is not a recognized built-in function name."},
    {201, 16, ErrorEnds::Statement,
     "Procedure or function '%s' expects parameter '%s', which was not supplied."},
    {205, 16, ErrorEnds::Scope,
     "All queries combined using a UNION, INTERSECT or EXCEPT operator must have an equal number of "
     "expressions in their target lists."},
    {206, 16, ErrorEnds::Batch, "Operand type clash: %s is incompatible with %s"},
    {207, 16, ErrorEnds::Scope, "Invalid column name '%s'."},
    {208, 16, ErrorEnds::Scope, "Invalid object name '%s'."},
    {209, 16, ErrorEnds::Scope, "Ambiguous column name '%s'."},
    {213, 16, ErrorEnds::Scope, "Column name or number of supplied values does not match table definition."},
    {217, 16, ErrorEnds::Batch,
     "Maximum stored procedure, function, trigger, or view nesting level exceeded (limit 32)."},
    {220, 16, ErrorEnds::Statement, "Arithmetic overflow error for data type %s, value = %s."},
    {232, 16, ErrorEnds::Batch, "Arithmetic overflow error for type %s, value = %s."},
    {235, 16, ErrorEnds::Batch, "Cannot convert a char value to money. The char value has incorrect syntax."},
    {241, 16, ErrorEnds::Batch, "Conversion failed when converting date and/or time from character string."},
    {242, 16, ErrorEnds::Batch,
     "The conversion of a %s data type to a datetime data type resulted in an out-of-range value."},
    {245, 16, ErrorEnds::Batch, "Conversion failed when converting the %s value '%s' to data type %s."},
    {248, 16, ErrorEnds::Batch,
     "The conversion of the %s value '%s' overflowed an %s column. Use a larger integer column."},
    {257, 16, ErrorEnds::Batch,
     "Implicit conversion from data type %s to %s is not allowed. Use the CONVERT function to run this "
     "query."},
    {259, 16, ErrorEnds::Batch, "Ad hoc updates to system catalogs are not allowed."},
    {263, 16, ErrorEnds::Scope, "Must specify table to select from."},
    {264, 16, ErrorEnds::Batch,
     "The column name '%s' is specified more than once in the SET clause or column list of an INSERT. A "
     "column cannot be assigned more than one value in the same clause. Modify the clause to make sure that "
     "a column is updated only once. If this statement updates or inserts columns into a view, column "
     "aliasing can conceal the duplication in your code."},
    {266, 16, ErrorEnds::Statement,
     "Transaction count after EXECUTE indicates a mismatching number of BEGIN and COMMIT statements. "
     "Previous count = %d, current count = %d."},
    {271, 16, ErrorEnds::Batch,
     "The column \"%s\" cannot be modified because it is either a computed column or is the result of a "
     "UNION operator."},
    {281, 16, ErrorEnds::Batch, "%d is not a valid style number when converting from %s to %s."},
    {286, 16, ErrorEnds::Batch, "The logical tables INSERTED and DELETED cannot be updated."},
    {306, 16, ErrorEnds::Scope,
     "The text, ntext, and image data types cannot be compared or sorted, except when using IS NULL or LIKE "
     "operator."},
    {402, 16, ErrorEnds::Batch, "The data types %s and %s are incompatible in the %s operator."},
    {403, 16, ErrorEnds::Batch, "Invalid operator for data type. Operator equals %s, type equals %s."},
    {506, 16, ErrorEnds::Batch, "The invalid escape character \"%s\" was specified in a %s predicate."},
    {512, 16, ErrorEnds::Statement,
     "Subquery returned more than 1 value. This is not permitted when the subquery follows =, !=, <, <= , >, "
     ">= or when the subquery is used as an expression."},
    {515, 16, ErrorEnds::Statement,
     "Cannot insert the value NULL into column '%s', table '%s'; column does not allow nulls. %s fails."},
    {517, 16, ErrorEnds::Statement, "Adding a value to a 'datetime' column caused an overflow."},
    {529, 16, ErrorEnds::Batch, "Explicit conversion from data type %s to %s is not allowed."},
    {529, 16, ErrorEnds::Batch, "Conversion from data type %s to %s is not supported by this server.", 2},
    {535, 16, ErrorEnds::Batch,
     "The datediff function resulted in an overflow. The number of dateparts separating two date/time "
     "instances is too large. Try to use datediff with a less precise datepart."},
    {536, 16, ErrorEnds::Batch, "Invalid length parameter passed to the %s function."},
    {544, 16, ErrorEnds::Statement,
     "Cannot insert explicit value for identity column in table '%s' when IDENTITY_INSERT is set to OFF."},
    {547, 16, ErrorEnds::Statement,
     "The %s statement conflicted with the %s constraint \"%s\". The conflict occurred in database \"%s\", "
     "table \"%s\"%s."},
    {911, 16, ErrorEnds::Batch,
     "Database '%s' does not exist. Make sure that the name is entered correctly."},
    {1001, 15, ErrorEnds::Scope, "Line %d: Length or precision specification %d is invalid."},
    {1013, 16, ErrorEnds::Scope,
     "The objects \"%s\" and \"%s\" in the FROM clause have duplicate exposed names. Use correlation names "
     "to distinguish them."},
    {1033, 15, ErrorEnds::Scope,
     "The ORDER BY clause is invalid in views, inline functions, derived tables, subqueries, and common "
     "table expressions, unless TOP, OFFSET or FOR XML is also specified."},
    {1038, 15, ErrorEnds::Scope,
     "An object or column name is missing or empty. For SELECT INTO statements, verify each column has a "
     "column name. In other statements, look for empty alias names. Aliases defined as \"\" or [] are not "
     "allowed. Change the alias to a valid name."},
    {1046, 15, ErrorEnds::Scope,
     "Subqueries are not allowed in this context. Only scalar expressions are allowed."},
    {1088, 16, ErrorEnds::Statement,
     "Cannot find the object \"%s\" because it does not exist or you do not have permissions."},
    {1222, 16, ErrorEnds::Statement, "Lock request time out period exceeded."},
    {1505, 16, ErrorEnds::Statement,
     "The CREATE UNIQUE INDEX statement terminated because a duplicate key was found for the object name "
     "'%s' and the index name '%s'. The duplicate key value is %s."},
    {1750, 16, ErrorEnds::Batch, "Could not create constraint or index. See previous errors."},
    {1767, 16, ErrorEnds::Statement, "Foreign key '%s' references invalid table '%s'."},
    {1776, 16, ErrorEnds::Statement,
     "There are no primary or candidate keys in the referenced table '%s' that match the referencing column "
     "list in the foreign key '%s'."},
    {1779, 16, ErrorEnds::Statement, "Table '%s' already has a primary key defined on it."},
    {1781, 16, ErrorEnds::Statement, "Column already has a DEFAULT bound to it."},
    {1902, 16, ErrorEnds::Statement,
     "Cannot create more than one clustered index on table '%s'. Drop the existing clustered index '%s' "
     "before creating another."},
    {1911, 16, ErrorEnds::Batch, "Column name '%s' does not exist in the target table or view."},
    {1913, 16, ErrorEnds::Statement,
     "The operation failed because an index or statistics with name '%s' already exists on table '%s'."},
    {2601, 14, ErrorEnds::Statement,
     "Cannot insert duplicate key row in object '%s' with unique index '%s'. The duplicate key value is %s."},
    {2627, 14, ErrorEnds::Statement,
     "Violation of %s constraint '%s'. Cannot insert duplicate key in object '%s'. The duplicate key value "
     "is %s."},
    {2705, 16, ErrorEnds::Statement,
     "Column names in each table must be unique. Column name '%s' in table '%s' is specified more than "
     "once."},
    {2714, 16, ErrorEnds::Statement, "There is already an object named '%s' in the database."},
    {2715, 16, ErrorEnds::Batch, "Column, parameter, or variable #%d: Cannot find data type %s."},
    {2716, 16, ErrorEnds::Batch,
     "Column, parameter, or variable #%d: Cannot specify a column width on data type %s."},
    {2732, 16, ErrorEnds::Batch,
     "Error number %d is invalid. The number must be from 13000 through 2147483647 and it cannot be 50000."},
    {2749, 16, ErrorEnds::Batch,
     "Identity column '%s' must be of data type int, bigint, smallint, tinyint, or decimal or numeric with a "
     "scale of 0, and constrained to be nonnullable."},
    {2750, 16, ErrorEnds::Batch,
     "Column or parameter #%d: Specified column precision %d is greater than the maximum precision of 38."},
    {2751, 16, ErrorEnds::Batch,
     "Column or parameter #%d: Specified column scale %d is greater than the specified precision of %d."},
    {2812, 16, ErrorEnds::Statement, "Could not find stored procedure '%s'."},
    {3609, 16, ErrorEnds::Batch, "The transaction ended in the trigger. The batch has been aborted."},
    {3616, 16, ErrorEnds::Batch, "Transaction doomed in trigger. Batch has been aborted."},
    {3621, 0, ErrorEnds::Statement, "The statement has been terminated."},
    {3623, 16, ErrorEnds::Batch, "An invalid floating point operation occurred."},
    {3701, 11, ErrorEnds::Statement,
     "Cannot drop the %s '%s', because it does not exist or you do not have permission."},
    {3701, 11, ErrorEnds::Statement,
     "Cannot find the object \"%s\" because it does not exist or you do not have permissions.", 5},
    {3723, 16, ErrorEnds::Statement,
     "An explicit DROP INDEX is not allowed on index '%s'. It is being used for %s constraint enforcement."},
    {3725, 16, ErrorEnds::Statement,
     "The constraint '%s' is being referenced by table '%s', foreign key constraint '%s'."},
    {3726, 16, ErrorEnds::Statement,
     "Could not drop object '%s' because it is referenced by a FOREIGN KEY constraint."},
    {3727, 16, ErrorEnds::Statement, "Could not drop constraint. See previous errors."},
    {3728, 16, ErrorEnds::Statement, "'%s' is not a constraint."},
    {3902, 16, ErrorEnds::Statement,
     "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."},
    {3903, 16, ErrorEnds::Statement,
     "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION."},
    {3930, 16, ErrorEnds::Statement,
     "The current transaction cannot be committed and cannot support operations that write to the log file. "
     "Roll back the transaction."},
    {3998, 16, ErrorEnds::Batch,
     "Uncommittable transaction is detected at the end of the batch. The transaction is rolled back."},
    {4060, 11, ErrorEnds::Batch, "Cannot open database \"%s\" requested by the login. The login failed."},
    {4103, 15, ErrorEnds::Scope, "\"%s\": Temporary views are not allowed."},
    {4104, 16, ErrorEnds::Scope, "The multi-part identifier \"%s\" could not be bound."},
    {4145, 15, ErrorEnds::Scope,
     "An expression of non-boolean type specified in a context where a condition is expected, near '%s'."},
    {4403, 16, ErrorEnds::Statement,
     "Cannot update the view or function '%s' because it contains aggregates, or a DISTINCT or GROUP BY "
     "clause, or PIVOT or UNPIVOT operator."},
    {4405, 16, ErrorEnds::Statement,
     "View or function '%s' is not updatable because the modification affects multiple base tables."},
    {4406, 16, ErrorEnds::Statement,
     "Update or insert of view or function '%s' failed because it contains a derived or constant field."},
    {4506, 16, ErrorEnds::Batch,
     "Column names in each view or function must be unique. Column name '%s' in view or function '%s' is "
     "specified more than once."},
    {4511, 16, ErrorEnds::Batch,
     "Create View or Function failed because no column name was specified for column %d."},
    {4901, 16, ErrorEnds::Statement,
     "ALTER TABLE only allows columns to be added that can contain nulls, or have a DEFAULT definition "
     "specified, or the column being added is an identity or timestamp column, or alternatively if none of "
     "the previous conditions are satisfied the table must be empty to allow addition of this column. Column "
     "'%s' cannot be added to non-empty table '%s' because it does not satisfy these conditions."},
    {4902, 16, ErrorEnds::Statement,
     "Cannot find the object \"%s\" because it does not exist or you do not have permissions."},
    {4916, 16, ErrorEnds::Statement, "Could not enable or disable the constraint. See previous errors."},
    {4917, 16, ErrorEnds::Statement, "Constraint '%s' does not exist."},
    {4922, 16, ErrorEnds::Statement,
     "ALTER TABLE %s COLUMN %s failed because one or more objects access this column."},
    {4924, 16, ErrorEnds::Statement, "%s failed because column '%s' does not exist in table '%s'."},
    {4928, 16, ErrorEnds::Statement, "Cannot alter column '%s' because it is '%s'."},
    {5074, 16, ErrorEnds::Statement, "The %s '%s' is dependent on column '%s'."},
    {8101, 16, ErrorEnds::Batch,
     "An explicit value for the identity column in table '%s' can only be specified when a column list is "
     "used and IDENTITY_INSERT is ON."},
    {8102, 16, ErrorEnds::Batch, "Cannot update identity column '%s'."},
    {8110, 16, ErrorEnds::Statement, "Cannot add multiple PRIMARY KEY constraints to table '%s'."},
    {8111, 16, ErrorEnds::Statement,
     "Cannot define PRIMARY KEY constraint on nullable column in table '%s'."},
    {8114, 16, ErrorEnds::Statement, "Error converting data type %s to %s."},
    {8115, 16, ErrorEnds::Statement, "Arithmetic overflow error converting %s to data type %s."},
    {8115, 16, ErrorEnds::Statement,
     "Arithmetic overflow error converting numeric to data type numeric: the value %s has more significant "
     "digits than this server stores exactly (15).",
     2},
    {8116, 16, ErrorEnds::Batch, "Argument data type %s is invalid for argument %d of %s function."},
    {8117, 16, ErrorEnds::Batch, "Operand data type %s is invalid for %s operator."},
    {8120, 16, ErrorEnds::Scope,
     "Column '%s' is invalid in the select list because it is not contained in either an aggregate function "
     "or the GROUP BY clause."},
    {8134, 16, ErrorEnds::Statement, "Divide by zero error encountered."},
    {8143, 16, ErrorEnds::Statement, "Parameter '%s' was supplied multiple times."},
    {8144, 16, ErrorEnds::Statement, "Procedure or function %s has too many arguments specified."},
    {8145, 16, ErrorEnds::Statement, "%s is not a parameter for procedure %s."},
    {8146, 16, ErrorEnds::Batch, "Procedure %s has no parameters and arguments were supplied."},
    {8147, 16, ErrorEnds::Batch, "Could not create IDENTITY attribute on nullable column '%s', table '%s'."},
    {8152, 16, ErrorEnds::Statement, "String or binary data would be truncated."},
    {8155, 16, ErrorEnds::Scope, "No column name was specified for column %d of '%s'."},
    {8158, 16, ErrorEnds::Batch, "'%s' has more columns than were specified in the column list."},
    {8162, 16, ErrorEnds::Statement,
     "The formal parameter \"%s\" was not declared as an OUTPUT parameter, but the actual parameter passed "
     "in requested output."},
    {8169, 16, ErrorEnds::Batch,
     "Conversion failed when converting from a character string to uniqueidentifier."},
    {8170, 16, ErrorEnds::Batch, "Insufficient result space to convert uniqueidentifier value to char."},
    {8197, 16, ErrorEnds::Batch, "The object '%s' does not exist or is invalid for this operation."},
    {8630, 17, ErrorEnds::Batch, "Internal error of the database engine: %s"},
    {15151, 16, ErrorEnds::Batch,
     "Cannot find the object '%s', because it does not exist or you do not have permission."},
    {15223, 11, ErrorEnds::Statement, "Error: The new name '%s' is not a valid name."},
    {15248, 11, ErrorEnds::Statement,
     "Either the parameter @objname is ambiguous or the claimed @objtype (%s) is wrong."},
    {15335, 11, ErrorEnds::Statement,
     "Error: The new name '%s' is already in use as a %s name and would cause a duplicate that is not "
     "permitted."},
    {16905, 16, ErrorEnds::Statement, "The cursor is already open."},
    {16911, 16, ErrorEnds::Statement, "fetch: The fetch type %s cannot be used with forward only cursors."},
    {16915, 16, ErrorEnds::Statement, "A cursor with the name '%s' already exists."},
    {16916, 16, ErrorEnds::Statement, "A cursor with the name '%s' does not exist."},
    {16917, 16, ErrorEnds::Statement, "Cursor is not open."},
    {16924, 16, ErrorEnds::Statement,
     "Cursorfetch: The number of variables declared in the INTO list must match that of selected columns."},
    {18054, 16, ErrorEnds::Batch,
     "Error %d, severity %d, state %d was raised, but no message with that error number was found in "
     "sys.messages."},
    {50000, 16, ErrorEnds::Statement, "%s"},
};

constexpr bool before(const MessageInfo& a, const MessageInfo& b) {
    return a.number < b.number || (a.number == b.number && a.state < b.state);
}

constexpr bool sortedByNumberAndState() {
    for (std::size_t i = 1; i < std::size(kMessages); ++i)
        if (!before(kMessages[i - 1], kMessages[i])) return false;
    return true;
}
static_assert(sortedByNumberAndState(), "the message table must stay sorted by number and state");

constexpr bool everyNumberHasAGeneralRow() {
    for (std::size_t i = 0; i < std::size(kMessages); ++i)
        if (kMessages[i].state != 0 && (i == 0 || kMessages[i - 1].number != kMessages[i].number))
            return false;
    return true;
}
static_assert(everyNumberHasAGeneralRow(), "a row of its own state follows the number's general row");

constexpr std::string_view kSqlitePrefix = "\x01TSQL:";

} // namespace

const MessageInfo* findMessage(int number, int state) {
    const auto* it = std::lower_bound(std::begin(kMessages), std::end(kMessages), number,
                                      [](const MessageInfo& m, int n) { return m.number < n; });
    if (it == std::end(kMessages) || it->number != number) return nullptr;
    for (const auto* own = it + 1; state != 0 && own != std::end(kMessages) && own->number == number; ++own)
        if (own->state == state) return own;
    return it;
}

ErrorEnds endsOf(const SqlError& error) {
    if (const MessageInfo* info = findMessage(error.number(), error.state())) return info->ends;
    if (error.severity() < 11) return ErrorEnds::Statement;
    return error.severity() == 15 ? ErrorEnds::Scope : ErrorEnds::Batch;
}

SqlError::SqlError(int number, int severity, int state, std::string message, int line)
    : std::runtime_error(message)
    , number_(number)
    , severity_(severity)
    , state_(state)
    , message_(std::move(message))
    , line_(line) {}

SqlError SqlError::make(int number, const std::vector<std::string>& args, int state) {
    const MessageInfo* info = findMessage(number, state);
    if (!info) throw std::logic_error("no message text for error " + std::to_string(number));
    return SqlError(number, info->severity, state, formatMessage(info->text, args));
}

void raise(int number, const std::vector<std::string>& args, int state) {
    throw SqlError::make(number, args, state);
}

std::string encodeForSqlite(const SqlError& error) {
    std::string out(kSqlitePrefix);
    out += std::to_string(error.number()) + ':' + std::to_string(error.severity()) + ':' +
           std::to_string(error.state()) + ':' + error.message();
    return out;
}

std::optional<SqlError> decodeSqliteError(std::string_view msg) {
    if (!msg.starts_with(kSqlitePrefix)) return std::nullopt;
    msg.remove_prefix(kSqlitePrefix.size());
    int fields[3] = {};
    for (int& f : fields) {
        const auto colon = msg.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        const auto [ptr, ec] = std::from_chars(msg.data(), msg.data() + colon, f);
        if (ec != std::errc() || ptr != msg.data() + colon) return std::nullopt;
        msg.remove_prefix(colon + 1);
    }
    return SqlError(fields[0], fields[1], fields[2], std::string(msg));
}

} // namespace tsql
