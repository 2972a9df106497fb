#pragma once
//! Running one batch over ODBC and reading everything it produces.

#include "odbc_support.h"

#include "platform/db/connection.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace platform::db::detail {

//! The one statement handle of a connection, which every batch reuses, and the buffers its batches
//! share. Allocating a statement per batch costs some µs with FreeTDS; a handle is closed after a batch
//! that did not run to its end, and replaced when the driver cannot close it.
class Statement {
public:
    //! `sqlServer`: the server is a SQL Server, whose type codes name most types without the type name.
    Statement(SQLHDBC connection, const Encoding& encoding, bool sqlServer);

    const Encoding& encoding() const { return encoding_; }
    bool sqlServer() const { return sqlServer_; }
    //! The statement handle, allocated on first use.
    SQLHSTMT handle();
    //! Ends what is left of the last batch: the cursor, pending results, bound columns and parameters.
    //! A handle the driver cannot reset is freed, and the next batch gets a new one.
    void reset();
    //! The driver's buffer for character and binary data.
    std::vector<std::uint8_t>& chunk() { return chunk_; }
    //! The buffer for column names.
    TextBuffer& name() { return name_; }
    //! True while a batch runs on the statement.
    bool busy = false;

private:
    SQLHDBC connection_;
    const Encoding& encoding_;
    bool sqlServer_;
    std::optional<Handle> handle_;
    std::vector<std::uint8_t> chunk_;
    TextBuffer name_;
};

//! Runs a batch on the connection's statement; throws DbError with every error of the batch once it has
//! ended, ConnectionError when the connection breaks. With `rows`, each row is handed to it as it is
//! fetched instead of being kept; an exception of the handler cancels the batch and is rethrown.
BatchResult runBatch(Statement& statement, std::string_view batch, RowHandler* rows = nullptr);

} // namespace platform::db::detail
