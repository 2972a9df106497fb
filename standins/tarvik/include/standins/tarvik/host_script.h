#pragma once
//! The host database script: tables and procedures of the Tarvik host, as T-SQL text.

#include <string>
#include <string_view>
#include <vector>

namespace standins::tarvik {

//! One file of the host database script.
struct ScriptFile {
    std::string_view name; //!< file name, e.g. "host-schema-payroll.sql"
    std::string_view text;
};

//! The files of the host database script in the order they must run: tables, then procedures.
std::vector<ScriptFile> hostScriptFiles();

//! Splits a script into batches at lines that hold only GO (any case, blanks around it allowed).
//! Line ends may be LF, CRLF or CR; batches holding only blanks are dropped.
std::vector<std::string> splitBatches(std::string_view script);

//! Every batch of the host database script, in the order to run them on an empty database.
std::vector<std::string> hostScriptBatches();

} // namespace standins::tarvik
