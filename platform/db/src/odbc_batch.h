#pragma once
//! Running one batch over ODBC and reading everything it produces.

#include "odbc_support.h"

#include "platform/db/connection.h"

namespace platform::db::detail {

//! Runs a batch on a new statement of the connection; throws DbError with every error of the batch once
//! it has ended, ConnectionError when the connection breaks.
BatchResult runBatch(SQLHDBC connection, const Encoding& encoding, std::string_view batch);
//! Runs a batch as runBatch does, handing each row to `rows` as it is fetched instead of keeping it. An
//! exception of the handler cancels the statement and is rethrown.
BatchResult runBatch(SQLHDBC connection, const Encoding& encoding, std::string_view batch, RowHandler& rows);

} // namespace platform::db::detail
