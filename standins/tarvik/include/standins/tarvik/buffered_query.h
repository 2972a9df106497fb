#pragma once
//! ITaQuery over rows that were read completely, so that callers may run more SQL while
//! they walk them.

#include "plugin/host/tarvik_interface.h"

#include "platform/db/connection.h"

namespace standins::tarvik {

//! Rows of one result set with a cursor that always stands on a row while there is one. A new
//! query stands on its first row with Bof set; Next on the last row and Prior on the first leave
//! the cursor where it is and set Eof or Bof, as the host's data sets do.
class BufferedQuery : public plugin::ITaQuery {
public:
    BufferedQuery() = default;
    explicit BufferedQuery(platform::db::ResultSet rows);

    plugin::TaVariant FieldValue(int column) const override;
    bool Eof() const override;
    void Next() override;
    int RecordCount() const override;
    void Prior() override;
    bool LocateValue(std::string_view column, const plugin::TaVariant& value) override;
    bool Bof() const override;

    //! Replaces the rows (a refreshed browse); the cursor keeps its row number when that row exists.
    void reset(platform::db::ResultSet rows);
    //! Row number of the cursor; -1 when there are no rows.
    int position() const { return RecordCount() == 0 ? -1 : position_; }
    //! Puts the cursor on a row number (clamped to the rows) and clears Bof and Eof.
    void moveTo(int row);
    const platform::db::ResultSet& rows() const { return rows_; }

private:
    platform::db::ResultSet rows_;
    int position_ = 0;
    bool bof_ = true;
    bool eof_ = true;
};

//! Whether two host values are equal as the host's locate compares them: NULL equals only
//! NULL; numbers by value; texts without regard to case; otherwise by their text.
bool sameHostValue(const plugin::TaVariant& a, const plugin::TaVariant& b);

} // namespace standins::tarvik
