#pragma once
//! The text form of tsqlsh: batches split at GO lines and results printed as scripts and tests expect.

#include "tsql/engine.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace tsql {

//! Reads a script from `in` and calls `run` with each batch as soon as the GO line that ends it (or the
//! end of the input) has been read: batches end at lines that hold only GO (any case, blanks around);
//! lines end at LF, CRLF or CR. Batches holding only blanks are skipped.
void forEachBatch(std::istream& in, const std::function<void(const std::string&)>& run);

//! All batches of a script, as forEachBatch finds them.
std::vector<std::string> splitBatches(const std::string& script);

//! Prints what a batch produces as it arrives: for each result set a line of column names separated
//! by tabs, a line per row, and "(N rows)"; for each error "Msg <number>, Level <severity>, State
//! <state>: <message>"; for PRINT and other messages their text.
class ShellPrinter : public BatchSink {
public:
    explicit ShellPrinter(std::ostream& out)
        : out_(out) {}
    void onColumns(const std::vector<ResultColumn>& columns) override;
    void onRow(const std::vector<Value>& row) override;
    void onDone(long long rows) override;
    void onMessage(const Message& message) override;
    //! True once an error has been printed.
    bool errors() const { return errors_; }

private:
    std::ostream& out_;
    bool errors_ = false;
};

//! Appends the output of a batch as ShellPrinter prints it. Returns true when an error was printed.
bool formatOutput(const BatchOutput& output, std::string& text);

} // namespace tsql
