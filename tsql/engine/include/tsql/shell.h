#pragma once
//! The text form of tsqlsh: batches split at GO lines and results printed as scripts and tests expect.

#include "tsql/engine.h"

#include <string>
#include <vector>

namespace tsql {

//! Splits a script into batches at lines that hold only GO (any case, blanks around); lines end at LF,
//! CRLF or CR. Batches holding only blanks are dropped.
std::vector<std::string> splitBatches(const std::string& script);

//! Appends the output of a batch: for each result set a line of column names separated by tabs, a line
//! per row, and "(N rows)"; for each error "Msg <number>, Level <severity>, State <state>: <message>";
//! for PRINT its text. Returns true when an error was printed.
bool formatOutput(const BatchOutput& output, std::string& text);

} // namespace tsql
