#include "odbc_driver.h"

#include "platform/db/errors.h"

#include "common/ascii.h"

#include <dlfcn.h>
#include <odbcinst.h>
#include <sqlext.h>

#include <algorithm>
#include <vector>

namespace platform::db::detail {

namespace {

bool isPath(const std::string& driver) {
    return driver.find('/') != std::string::npos;
}

std::vector<std::string> installedDrivers(SQLHENV environment) {
    std::vector<std::string> names;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLCHAR name[512];
        SQLCHAR attributes[2048];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN rc = SQLDrivers(environment, direction, name, sizeof name, &nameLength, attributes,
                                        sizeof attributes, &attributesLength);
        if (!SQL_SUCCEEDED(rc)) break;
        names.emplace_back(reinterpret_cast<const char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

} // namespace

std::string unbracedDriverName(const std::string& driver) {
    if (driver.size() >= 2 && driver.front() == '{' && driver.back() == '}')
        return driver.substr(1, driver.size() - 2);
    return driver;
}

void requireInstalledDriver(SQLHENV environment, const std::string& driver) {
    if (driver.empty() || isPath(driver)) return;
    const auto names = installedDrivers(environment);
    const std::string wanted = common::ToLowerAscii(unbracedDriverName(driver));
    if (std::any_of(names.begin(), names.end(),
                    [&](const std::string& n) { return common::ToLowerAscii(n) == wanted; }))
        return;
    std::string list;
    for (const auto& n : names)
        list += (list.empty() ? "" : ", ") + n;
    throw ConnectionError("The ODBC driver '" + driver +
                          "' is not installed (installed drivers: " + (list.empty() ? "none" : list) + ")");
}

bool isFreeTdsDriver(const std::string& driver) {
    const std::string name = common::ToLowerAscii(unbracedDriverName(driver));
    return name.find("freetds") != std::string::npos || name.find("libtdsodbc") != std::string::npos;
}

std::string dataSourceDriver(const std::string& name) {
    // Server names with a port, an instance or an address are never data sources.
    if (name.empty() || name.find_first_of(",\\/:[]=;") != std::string::npos) return {};
    char driver[1024] = {};
    if (SQLGetPrivateProfileString(name.c_str(), "Driver", "", driver, sizeof driver, "ODBC.INI") <= 0)
        return {};
    return driver;
}

bool driverTakesWideText(const std::string& driver) {
    std::string library = unbracedDriverName(driver);
    if (library.empty()) return true;
    if (!isPath(library)) {
        char path[1024] = {};
        if (SQLGetPrivateProfileString(library.c_str(), "Driver", "", path, sizeof path, "ODBCINST.INI") <= 0)
            return true;
        library = path;
    }
    void* handle = dlopen(library.c_str(), RTLD_LAZY | RTLD_LOCAL);
    // The driver manager finds bare library names in its own folder, "odbc" beside itself.
    Dl_info self{};
    if (!handle && !isPath(library) && dladdr(reinterpret_cast<void*>(&SQLDrivers), &self) &&
        self.dli_fname) {
        const std::string manager = self.dli_fname;
        const auto slash = manager.rfind('/');
        if (slash != std::string::npos)
            handle = dlopen((manager.substr(0, slash) + "/odbc/" + library).c_str(), RTLD_LAZY | RTLD_LOCAL);
    }
    if (!handle) return true;
    const bool wide =
        dlsym(handle, "SQLExecDirectW") != nullptr && dlsym(handle, "SQLDriverConnectW") != nullptr;
    dlclose(handle);
    return wide;
}

} // namespace platform::db::detail
