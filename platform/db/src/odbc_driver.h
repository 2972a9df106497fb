#pragma once
//! What the driver manager knows about an ODBC driver before connecting to it.

#include <sql.h>

#include <string>

namespace platform::db::detail {

//! A driver name written the way setup guides show it, "{Name}", means Name.
std::string unbracedDriverName(const std::string& driver);

//! Refuses a driver name the driver manager does not know, with a text that lists the installed drivers.
//! Driver names in braces ("{Name}") and paths to driver libraries are accepted as they are.
void requireInstalledDriver(SQLHENV environment, const std::string& driver);

//! True for FreeTDS, by the name it is installed under or by its library.
bool isFreeTdsDriver(const std::string& driver);

//! The driver of an ODBC data source of that name (odbc.ini); empty when there is no such data source.
std::string dataSourceDriver(const std::string& name);

//! True when the driver takes UTF-16 text itself. A driver with only the narrow functions gets UTF-8
//! through them: the driver manager would otherwise convert text to the process locale's character set.
bool driverTakesWideText(const std::string& driver);

} // namespace platform::db::detail
