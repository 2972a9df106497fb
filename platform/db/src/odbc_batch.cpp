#include "odbc_batch.h"

#include "odbc_types.h"

#include <exception>
#include <stdexcept>

namespace platform::db::detail {

namespace {

constexpr int kDefaultErrorSeverity = 16;
constexpr std::size_t kChunkBytes = 16 * 1024;

//! The server's own text: the "[vendor][component]" prefixes drivers put in front are dropped.
std::string serverText(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && text[at] == '[') {
        const auto close = text.find(']', at);
        if (close == std::string::npos) break;
        at = close + 1;
    }
    return at < text.size() ? text.substr(at) : text;
}

bool isInformational(const Diagnostic& d) {
    if (d.severity) return *d.severity <= 10;
    return d.sqlState.starts_with("01");
}

//! Reads every result of one batch on the connection's statement.
class BatchReader {
public:
    BatchReader(Statement& statement, RowHandler* handler)
        : statement_(statement)
        , encoding_(statement.encoding())
        , handle_(statement.handle())
        , handler_(handler) {}

    BatchResult run(std::string_view batch) {
        auto text = encoding_.encode(batch);
        // Whatever ends the batch early leaves the statement ready for the next one.
        struct Ending {
            Statement& statement;
            bool complete = false;
            ~Ending() {
                if (!complete) statement.reset();
            }
        } ending{statement_};
        SQLRETURN rc = encoding_.wide() ? SQLExecDirectW(handle_, text.wideText(), text.length())
                                        : SQLExecDirect(handle_, text.narrowText(), text.length());
        // A searched UPDATE or DELETE that matched no row.
        if (rc == SQL_NO_DATA) result_.rowsAffected = 0;
        for (;;) {
            if (!take(rc)) break;
            if (SQL_SUCCEEDED(rc)) readCurrent();
            if (handlerError_) {
                // The rest of the batch is not wanted: the server is told to stop sending it.
                SQLCancel(handle_);
                std::rethrow_exception(handlerError_);
            }
            rc = SQLMoreResults(handle_);
            if (rc == SQL_NO_DATA) {
                // Every result has been read without an error: nothing is left open on the statement.
                // After an error some drivers keep the statement in a state the next batch is refused in.
                ending.complete = errors_.empty();
                break;
            }
        }
        if (!lost_.empty()) throw ConnectionError("The connection to the database was lost: " + lost_);
        if (!errors_.empty()) throw DbError(std::move(errors_));
        return std::move(result_);
    }

private:
    struct ColumnInfo {
        Column column;
        Fetch fetch = Fetch::Text;
        int scale = 0;
    };

    //! Files the diagnostics of a call as messages or errors; false when the batch cannot go on.
    bool take(SQLRETURN rc) {
        if (rc == SQL_SUCCESS || rc == SQL_NO_DATA) return true;
        if (rc != SQL_SUCCESS_WITH_INFO && rc != SQL_ERROR) {
            fail("The ODBC driver returned the unexpected code " + std::to_string(rc));
            return false;
        }
        const auto diagnostics = readDiagnostics(encoding_, SQL_HANDLE_STMT, handle_);
        bool goOn = true;
        for (const auto& d : diagnostics) {
            if (d.sqlState.starts_with("08")) {
                lost_ = d.text;
                return false;
            }
            // A driver that cannot go on after an error answers with a function sequence error.
            if (d.sqlState == "HY010" && !errors_.empty()) return false;
            if (d.sqlState == "HY010" || d.sqlState == "HY008" || d.sqlState.starts_with("HYT")) goOn = false;
            const bool informational = isInformational(d);
            ServerMessage m{d.native,
                            d.severity.value_or(informational ? 0 : kDefaultErrorSeverity),
                            d.state,
                            d.line,
                            serverText(d.text),
                            d.sqlState};
            (informational ? result_.messages : errors_).push_back(std::move(m));
        }
        if (rc == SQL_ERROR && diagnostics.empty()) {
            fail("The ODBC driver reported an error without a message");
            return false;
        }
        return goOn;
    }

    void fail(std::string text) {
        errors_.push_back({0, kDefaultErrorSeverity, 1, 0, std::move(text), "HY000"});
    }

    void readCurrent() {
        SQLSMALLINT count = 0;
        if (!take(SQLNumResultCols(handle_, &count))) return;
        if (count <= 0) {
            SQLLEN rows = -1;
            if (SQL_SUCCEEDED(SQLRowCount(handle_, &rows)) && rows >= 0) result_.rowsAffected = rows;
            return;
        }
        std::vector<ColumnInfo> columns;
        for (SQLSMALLINT i = 1; i <= count; ++i)
            columns.push_back(describe(static_cast<SQLUSMALLINT>(i)));
        std::vector<Column> described;
        described.reserve(columns.size());
        for (const auto& c : columns)
            described.push_back(c.column);
        if (handler_) handler_->columns(described);
        std::vector<std::vector<Value>> rows;
        bool reading = true;
        while (reading) {
            const SQLRETURN rc = SQLFetch(handle_);
            if (rc == SQL_NO_DATA || !take(rc) || rc == SQL_ERROR) break;
            std::vector<Value> row;
            row.reserve(columns.size());
            for (std::size_t i = 0; i < columns.size() && reading; ++i) {
                try {
                    auto value = readValue(static_cast<SQLUSMALLINT>(i + 1), columns[i]);
                    if (value)
                        row.push_back(std::move(*value));
                    else
                        reading = false;
                } catch (const ConversionError& e) {
                    fail(e.what());
                    reading = false;
                }
            }
            if (reading && handler_) {
                try {
                    handler_->row(row);
                } catch (...) {
                    handlerError_ = std::current_exception();
                    return;
                }
            } else if (reading) {
                rows.push_back(std::move(row));
            }
        }
        result_.resultSets.emplace_back(std::move(described), std::move(rows));
    }

    ColumnInfo describe(SQLUSMALLINT index) {
        TextBuffer& name = statement_.name();
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        const auto call = [&] {
            return encoding_.wide()
                       ? SQLDescribeColW(handle_, index, static_cast<SQLWCHAR*>(name.data()), name.units(),
                                         &nameLength, &sqlType, &size, &digits, &nullable)
                       : SQLDescribeCol(handle_, index, static_cast<SQLCHAR*>(name.data()), name.units(),
                                        &nameLength, &sqlType, &size, &digits, &nullable);
        };
        SQLRETURN rc = call();
        if (SQL_SUCCEEDED(rc) && nameLength >= name.units()) {
            name.grow(static_cast<std::size_t>(nameLength));
            rc = call();
        }
        ColumnInfo info;
        if (!SQL_SUCCEEDED(rc)) {
            take(rc);
            return info;
        }
        info.column.name = name.text(nameLength);
        // A SQL Server's type code names the type unless several types share it.
        const bool askName = !statement_.sqlServer() || serverTypeNameNeeded(sqlType, size);
        info.column.typeName = columnTypeName(askName ? driverTypeName(index) : "", sqlType);
        info.fetch = sqlTypeInfo(sqlType).fetch;
        info.scale = digits;
        return info;
    }

    //! The driver's name of a column's type; empty when it has none.
    std::string driverTypeName(SQLUSMALLINT index) {
        TextBuffer typeName(encoding_, 128);
        SQLSMALLINT typeNameBytes = 0;
        const SQLRETURN rc = encoding_.wide()
                                 ? SQLColAttributeW(handle_, index, SQL_DESC_TYPE_NAME, typeName.data(),
                                                    typeName.bytes(), &typeNameBytes, nullptr)
                                 : SQLColAttribute(handle_, index, SQL_DESC_TYPE_NAME, typeName.data(),
                                                   typeName.bytes(), &typeNameBytes, nullptr);
        return SQL_SUCCEEDED(rc) ? typeName.text(typeNameBytes / static_cast<SQLSMALLINT>(encoding_.unit()))
                                 : "";
    }

    //! The outcome of reading one field: nothing after an error (already filed), or the field.
    template <typename T> using Read = std::optional<std::optional<T>>;

    template <typename T> Read<T> fixed(SQLUSMALLINT column, SQLSMALLINT cType) {
        T value{};
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(handle_, column, cType, &value, sizeof value, &indicator);
        if (!SQL_SUCCEEDED(rc)) {
            take(rc == SQL_NO_DATA ? SQL_ERROR : rc);
            return std::nullopt;
        }
        if (indicator == SQL_NULL_DATA) return std::optional<T>();
        return std::optional<T>(value);
    }

    //! Character or binary data of any length, read in chunks; character data ends each chunk with a NUL.
    Read<std::vector<std::uint8_t>> chunked(SQLUSMALLINT column, SQLSMALLINT cType) {
        const SQLLEN terminator =
            cType == SQL_C_BINARY ? 0 : static_cast<SQLLEN>(cType == SQL_C_WCHAR ? sizeof(SQLWCHAR) : 1);
        std::vector<std::uint8_t>& chunk = statement_.chunk();
        if (chunk.empty()) chunk.resize(kChunkBytes);
        std::vector<std::uint8_t> all;
        const SQLLEN usable = static_cast<SQLLEN>(chunk.size()) - terminator;
        for (bool first = true;; first = false) {
            SQLLEN indicator = 0;
            const SQLRETURN rc = SQLGetData(handle_, column, cType, chunk.data(),
                                            static_cast<SQLLEN>(chunk.size()), &indicator);
            if (rc == SQL_NO_DATA && !first) break;
            if (!SQL_SUCCEEDED(rc)) {
                take(rc == SQL_NO_DATA ? SQL_ERROR : rc);
                return std::nullopt;
            }
            if (indicator == SQL_NULL_DATA) return std::optional<std::vector<std::uint8_t>>();
            const bool more = indicator == SQL_NO_TOTAL || indicator > usable;
            const SQLLEN bytes = more ? usable : indicator;
            all.insert(all.end(), chunk.begin(), chunk.begin() + bytes);
            if (!more) break;
        }
        return std::optional<std::vector<std::uint8_t>>(std::move(all));
    }

    template <typename T, typename F> static std::optional<Value> convert(Read<T> read, F make) {
        if (!read) return std::nullopt;
        if (!*read) return Value::null();
        return make(**read);
    }

    std::optional<Value> readValue(SQLUSMALLINT column, const ColumnInfo& info) {
        using Raw = std::vector<std::uint8_t>;
        switch (info.fetch) {
        case Fetch::Bit:
            return convert(fixed<SQLCHAR>(column, SQL_C_BIT),
                           [](SQLCHAR b) { return Value::boolean(b != 0); });
        case Fetch::Integer:
            return convert(fixed<SQLBIGINT>(column, SQL_C_SBIGINT),
                           [](SQLBIGINT i) { return Value::integer(i); });
        case Fetch::Floating:
            return convert(fixed<SQLDOUBLE>(column, SQL_C_DOUBLE),
                           [](SQLDOUBLE d) { return Value::floating(d); });
        case Fetch::Decimal:
            return convert(chunked(column, SQL_C_CHAR), [&](const Raw& raw) {
                return Value::decimal(canonicalDecimal(std::string(raw.begin(), raw.end()), info.scale));
            });
        case Fetch::Text:
            return convert(chunked(column, encoding_.textType()), [&](const Raw& raw) {
                return Value::text(encoding_.decode(raw.data(), raw.size() / encoding_.unit()));
            });
        case Fetch::Date:
        case Fetch::Time:
        case Fetch::Timestamp:
            return convert(fixed<SQL_TIMESTAMP_STRUCT>(column, SQL_C_TYPE_TIMESTAMP),
                           [&](const SQL_TIMESTAMP_STRUCT& t) {
                               return Value::dateTime(dayNumber(t.year, t.month, t.day, t.hour, t.minute,
                                                                t.second, t.fraction,
                                                                info.fetch == Fetch::Time));
                           });
        case Fetch::Binary:
            return convert(chunked(column, SQL_C_BINARY), [](const Raw& raw) { return Value::bytes(raw); });
        case Fetch::Guid:
            return convert(fixed<SQLGUID>(column, SQL_C_GUID), [](const SQLGUID& g) {
                return Value::text(guidText(g.Data1, g.Data2, g.Data3, g.Data4));
            });
        }
        return std::nullopt;
    }

    Statement& statement_;
    const Encoding& encoding_;
    SQLHSTMT handle_;
    BatchResult result_;
    std::vector<ServerMessage> errors_;
    std::string lost_;
    RowHandler* handler_ = nullptr;
    std::exception_ptr handlerError_;
};

} // namespace

Statement::Statement(SQLHDBC connection, const Encoding& encoding, bool sqlServer)
    : connection_(connection)
    , encoding_(encoding)
    , sqlServer_(sqlServer)
    , name_(encoding, 256) {}

SQLHSTMT Statement::handle() {
    if (!handle_) handle_.emplace(SQL_HANDLE_STMT, connection_);
    return handle_->get();
}

void Statement::reset() {
    if (!handle_) return;
    const SQLHSTMT h = handle_->get();
    if (!SQL_SUCCEEDED(SQLFreeStmt(h, SQL_CLOSE)) || !SQL_SUCCEEDED(SQLFreeStmt(h, SQL_UNBIND)) ||
        !SQL_SUCCEEDED(SQLFreeStmt(h, SQL_RESET_PARAMS)))
        handle_.reset();
}

BatchResult runBatch(Statement& statement, std::string_view batch, RowHandler* rows) {
    // A handler of streamed rows that ran a batch itself would take the statement from under its reader.
    if (statement.busy)
        throw std::logic_error(
            "The database connection is busy with a streamed batch and cannot run another");
    statement.busy = true;
    struct Idle {
        Statement& statement;
        ~Idle() { statement.busy = false; }
    } idle{statement};
    return BatchReader(statement, rows).run(batch);
}

} // namespace platform::db::detail
