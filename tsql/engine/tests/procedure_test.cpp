#include "tsql/engine.h"
#include "tsql/value.h"

#include <gtest/gtest.h>

namespace tsql {
namespace {

// The journal call as the synchronizer sends it: lines separated by CR alone, the last SELECT reading
// the OUTPUT parameter the call did not ask for.
TEST(ProcedureTest, JournalCallWithCarriageReturns) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    ASSERT_FALSE(s->execute("CREATE TABLE TabZurnal (ID INT IDENTITY, Druh INT, Kod INT, Text NVARCHAR(255))")
                     .hasErrors());
    ASSERT_FALSE(s->execute("CREATE PROCEDURE dbo.hp_ZapisDoZurnalu @Druh INT, @Kod INT, @Text NVARCHAR(255),"
                            " @IDZurnal INT = NULL OUTPUT AS\r"
                            "INSERT TabZurnal (Druh, Kod, Text) VALUES (@Druh, @Kod, @Text)\r"
                            "SET @IDZurnal = SCOPE_IDENTITY()")
                     .hasErrors());
    BatchOutput out = s->execute("DECLARE @IDZurnal INT\rEXECUTE dbo.hp_ZapisDoZurnalu 2, -1, N'text' "
                                 "SELECT @IDZurnal");
    ASSERT_FALSE(out.hasErrors());
    ASSERT_EQ(out.events.size(), 1u);
    ASSERT_EQ(out.events[0].kind, BatchEvent::Kind::Rows);
    EXPECT_TRUE(out.events[0].rows.rows.at(0).at(0).isNull());

    out = s->execute("SELECT Druh, Kod, Text FROM TabZurnal");
    ASSERT_EQ(out.events.at(0).rows.rows.size(), 1u);
    const auto& row = out.events[0].rows.rows[0];
    EXPECT_EQ(row.at(0).asInt(), 2);
    EXPECT_EQ(row.at(1).asInt(), -1);
    EXPECT_EQ(row.at(2).asString(), "text");
}

} // namespace
} // namespace tsql
