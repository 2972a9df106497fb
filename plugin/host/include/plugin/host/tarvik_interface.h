#pragma once
//! The interfaces through which the host ERP Tarvik serves the plug-in: ITarvik, handed to every
//! plug-in call, and ITaQuery, the rows a query or a browse returns. The comment on each method
//! gives its position in the host's interface table (after the three base methods).
//! Every method that fails throws TarvikError carrying the host's message.

#include "platform/db/value.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace plugin {

//! A value as the host passes it: empty (null), a number, a text, a date, ...
using TaVariant = platform::db::Value;

//! A host call failed; what() is the host's message (for SQL, the server's message text).
class TarvikError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

//! Answers of the host's three-way question.
enum class TaAnswer : std::uint8_t { Cancel = 2, Yes = 6, No = 7 };

//! Rows of a query or browse, fully read, with a cursor that stands on a row while there is one.
//! Column indexes count from 0.
class ITaQuery {
public:
    virtual ~ITaQuery() = default;
    //! [1] Value of a column in the current row; null for an empty result, whatever column is
    //! asked (it never raises). Throws TarvikError for a column out of range of a non-empty result.
    virtual TaVariant FieldValue(int column) const = 0;
    //! [3] True once Next found no further row (the cursor stays on the last row); always true
    //! for an empty result.
    virtual bool Eof() const = 0;
    //! [4] Moves to the next row.
    virtual void Next() = 0;
    //! [6] Number of rows.
    virtual int RecordCount() const = 0;
    //! [8] Moves to the previous row.
    virtual void Prior() = 0;
    //! [12] True when some row holds `value` in the named column (case-insensitive name); the
    //! cursor moves to the first such row. Throws TarvikError for an unknown column.
    virtual bool LocateValue(std::string_view column, const TaVariant& value) = 0;
    //! [13] True on a new query and once Prior found no earlier row (the cursor stays on the
    //! first row); always true for an empty result.
    virtual bool Bof() const = 0;
};

//! What SelectFromBrowse asks for and, when a record was picked, returns.
struct TaBrowseSelection {
    int browse = 0;        //!< host browse number, or 100000 + user browse number
    std::string field1;    //!< key field looked up
    std::string field2;    //!< second field returned, or empty
    TaVariant value1;      //!< in: the value to start from; out: field1 of the picked record
    TaVariant value2;      //!< in/out as value1, for field2
    std::string condition; //!< SQL condition filtering the browse, or empty
    std::string caption;   //!< window caption, or empty
    bool autoSet = false;  //!< pick at once when the condition leaves one record
    bool readOnly = false; //!< only show, no choice
    int mode = 1;          //!< 1 key lookup, 2 name lookup
};

//! The host as seen from inside one plug-in call.
class ITarvik {
public:
    virtual ~ITarvik() = default;

    //! [1] ID of the browse's current row; null when there is none.
    virtual TaVariant GetCurrentID() = 0;
    //! [2] IDs of the marked rows, comma-separated without blanks; empty when none is marked.
    virtual std::string GetMarkedIDs() = 0;
    //! [3] Browse the call came from: 871 = list of plug-ins; above 99999 = user browse
    //! (100000 + TabObecnyPrehled.Cislo).
    virtual int GetBrowseNumber() = 0;
    //! [8] Current accounting period.
    virtual int GetPeriodID() = 0;
    //! [13] Name of the host's font.
    virtual std::string GetFontName() = 0;
    //! [14] Height of the host's font.
    virtual int GetFontHeight() = 0;
    //! [15] Character set of the host's font (low byte).
    virtual int GetFontCharset() = 0;
    //! [16] Runs a batch in the host database on the host's connection.
    virtual void ExecSQL(std::string_view sql) = 0;
    //! [17] Runs a batch on the host's connection and returns its first result set that has
    //! columns, fully read (an empty query when there is none).
    virtual std::unique_ptr<ITaQuery> OpenSQL(std::string_view sql) = 0;
    //! [18] Re-reads the browse: all rows, or only the current one.
    virtual void Refresh(bool allRows) = 0;
    //! [19] Moves the browse to the row whose field has the value; false when there is none.
    virtual bool Locate(std::string_view field, const TaVariant& value) = 0;
    //! [20] Lets the user choose a value of a field from a browse (the call's two reserved
    //! arguments are always 0). `value` is the value to start from and, when the user chose,
    //! the chosen one. False when nothing was chosen.
    virtual bool SelectValue(int browse, std::string_view field, TaVariant& value,
                             std::string_view caption) = 0;
    //! [21] Handle of the host's main window (0 when there is none).
    virtual std::uintptr_t GetApplicationHandle() = 0;
    //! [22] Handle of the host's icon (0 when there is none).
    virtual std::uintptr_t GetApplicationIcon() = 0;
    //! [23] Shows a message; U+0001 before and after a part of the text emphasises it.
    virtual void ShowInfo(std::string_view text) = 0;
    //! [24] Shows an error message, emphasis as ShowInfo.
    virtual void ShowError(std::string_view text) = 0;
    //! [25] Asks a yes/no question (the reserved argument is always 0); true for yes.
    virtual bool AskYesNo(std::string_view text) = 0;
    //! [26] Opens a browse, filtered by the SQL condition when it is not empty.
    virtual void OpenBrowse(int browse, std::string_view condition) = 0;
    //! [31] Value that marks a record as locked by this user (stored in BlokovaniEditoru).
    virtual int GetLockValue() = 0;
    //! [32] Caption of a host attribute given as "Table.Column".
    virtual std::string GetAttributeCaption(std::string_view attribute) = 0;
    //! [33] Value list of a host attribute given as "Table.Column": lines "value=text" separated by CR;
    //! empty when the attribute has none.
    virtual std::string GetAttributeConversion(std::string_view attribute) = 0;
    //! [35] Host version: the release date's hexadecimal digits in the low 32 bits, the major
    //! number in bits 8-15 and the minor in bits 0-7 of the high 32 bits
    //! (2.0.2011.0908 = 0x0000020020110908).
    virtual std::uint64_t GetTarvikVersion() = 0;
    //! [36] SQL Server version: major in bits 24-31, minor in 16-23, build in 0-15.
    virtual std::uint32_t GetSQLServerVersion() = 0;
    //! [37] TabExtKom.ID of the action being run; 0 or negative: a command on the plug-in list
    //! (-1 install, -2 about, -3 silent install, -4 configuration, -5/-6 translations).
    virtual int GetExtKomID() = 0;
    //! [38] Asks a question with yes, no and cancel (the reserved argument is always 0).
    virtual TaAnswer AskYesNoCancel(std::string_view text) = 0;
    //! [39] Rows of the browse for navigation; its cursor is the browse's current row, so moving
    //! it changes GetCurrentID. Owned by the host and valid as long as this interface.
    virtual ITaQuery& GetBrowseRows() = 0;
    //! [40] System name of the browse: the view of a user browse, the table of a host browse.
    virtual std::string GetBrowseSysName() = 0;
    //! [42] Creates the temporary table `tableName` (column ID INT) on the host's connection,
    //! holding the marked IDs (the reserved argument is always 0).
    virtual void MarkedIDsToTable(std::string_view tableName) = 0;
    //! [43] Interface of the master browse; nullptr when the browse has none.
    virtual ITarvik* GetOwner() = 0;
    //! [44] A key that is the same for every interface of one browse.
    virtual int GetInstanceKey() = 0;
    //! [45] Shows a browse filtered by a condition for the user to pick a record; true when one
    //! was picked (its field values are then in the selection).
    virtual bool SelectFromBrowse(TaBrowseSelection& selection) = 0;
    //! [72] Tells the host that the database objects with these comma-separated IDs changed.
    virtual void NotifyTables(std::string_view objectIds) = 0;
    //! [75] Runs a host action of a browse by its name (the reserved argument is always 0).
    virtual void RunAction(int browse, std::string_view action) = 0;
    //! [77] A text of the host by its number.
    virtual std::string GetTarvikText(int number) = 0;
};

} // namespace plugin
