#pragma once
//! The ODBC backend: SQL Server (or any ODBC data source) through the unixODBC driver manager.

#include "platform/db/connection.h"

#include <memory>

namespace platform::db::detail {

//! Opens an ODBC connection for the description; throws ConnectionError with the driver's diagnostics.
std::unique_ptr<Connection> openOdbc(const ConnectionDescription& description);

} // namespace platform::db::detail
