#pragma once
//! The embedded engine as the "embedded" backend of platform/db.

namespace tsql {

//! Registers the backend "embedded": a connection opens <dataDir>/<database>.db (the database must
//! exist: an unknown one fails as SQL Server's login does, with error 4060's text), reports the
//! description's server as @@SERVERNAME and its login as SUSER_SNAME() (the user's name with
//! integrated security). Safe to call more than once.
void registerEmbeddedBackend();

} // namespace tsql
