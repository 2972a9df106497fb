#pragma once
//! The databases of the data folder, one file `<name>.db` each (the embedded backend's layout), shared
//! by every connection that uses them.

#include "tsql/engine.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace tsql::server {

class DatabaseDirectory {
public:
    DatabaseDirectory(std::filesystem::path dataDir, std::string serverName);

    //! The database of that name, matched case-insensitively as SQL Server does; nullptr when the folder
    //! has none. "master" without a file of its own is a database in memory that lives as long as the
    //! server, so clients that log in without naming a database have somewhere to be.
    std::shared_ptr<Database> open(const std::string& name);

    //! Creates an empty database; false when one of that name exists already. Throws SqlError for a
    //! name that cannot be a file name here.
    bool create(const std::string& name);

    //! A database name fit to be a file name: 1 to 128 characters, no path separators, control characters
    //! or a leading dot.
    static bool validName(const std::string& name);

    const std::string& serverName() const { return serverName_; }

private:
    //! The file of a database, matched case-insensitively; empty when there is none.
    std::filesystem::path find(const std::string& name) const;

    std::filesystem::path dataDir_;
    std::string serverName_;
    std::mutex mutex_;
    std::map<std::string, std::weak_ptr<Database>> open_; //!< by canonical file path
    std::shared_ptr<Database> master_;
};

} // namespace tsql::server
