#pragma once
//! A site for running the quelta executable as the plug-in's launcher does: a folder with Quelta.INI
//! and the host database, and the runs with their outcome. Quelta reaches the database through the embedded
//! engine, or through FreeTDS's ODBC driver and tsql-server serving the site's folder when
//! $QUELTA_SITE_BACKEND is "odbc" (tsql-server is $TSQL_SERVER_EXE then).

#include "common/testing/server_process.h"
#include "common/testing/temp_folder.h"
#include "quelta/workflows/testing/workflow_host.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quelta::testing {

//! What a finished process left.
struct ProcessOutcome {
    int exitCode = -1;
    std::string err;    //!< everything written to standard error
    long maxRssKb = 0;  //!< the process's peak resident memory
    double seconds = 0; //!< from start to exit
};

//! Where host databases of tests live: /dev/shm when the system offers it writable (the embedded engine syncs
//! every batch, which makes a host on disk many times slower to create), else empty for the temporary folder.
std::filesystem::path FastTempBase();

//! Runs a program with exactly these arguments (argv[0] included) and environment, standard input and output
//! on /dev/null, standard error collected; waits for it.
ProcessOutcome RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment);

//! The quelta executable of the build: $QUELTA_EXE.
std::string QueltaExecutable();

//! How quelta reaches a site's database.
enum class SiteBackend { embedded, odbc };
//! The backend $QUELTA_SITE_BACKEND names: "odbc", or the embedded engine when unset or empty (any other
//! value is an error).
SiteBackend SelectedSiteBackend();

//! A folder with Quelta.INI and a workflow host database "Tarvik.db" in it, removed at the end.
class QueltaSite {
public:
    //! The database is a copy of one made once per process for the same options (the Portal URL is set
    //! afterwards); `iniExtra` lines are appended to section "settings" of the INI file.
    explicit QueltaSite(const WorkflowHostOptions& options, const std::vector<std::string>& iniExtra = {});

    const std::filesystem::path& Folder() const { return folder_.path(); }
    std::filesystem::path Database() const { return folder_ / "Tarvik.db"; }
    HostDatabase& Host() { return *host_; }

    SiteBackend Backend() const { return backend_; }
    //! The server argument quelta gets: "LOCAL" (embedded) or "127.0.0.1,PORT" of the site's tsql-server.
    const std::string& Server() const { return server_; }

    //! Runs "quelta <method> <server> Tarvik <list> <show> [<entity>]" without a display.
    ProcessOutcome Quelta(const std::string& method, const std::string& list = {},
                          const std::string& show = "1", const std::string& entityId = {},
                          const std::vector<std::string>& extraEnv = {});

    //! The host journal's entries written since the site was made (not the installation's), as "Druh|Text"
    //! lines, oldest first.
    std::vector<std::string> Journal();

private:
    common::testing::TempFolder folder_;
    SiteBackend backend_;
    std::unique_ptr<HostDatabase> host_;
    std::unique_ptr<common::testing::ServerProcess> tdsServer_; //!< stopped before the folder goes
    std::string server_ = "LOCAL";
    std::string journalStart_; //!< the last journal ID before the site's runs
};

} // namespace quelta::testing
