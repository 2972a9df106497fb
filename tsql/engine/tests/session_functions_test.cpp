#include "tsql/convert.h"
#include "tsql/engine.h"

#include <gtest/gtest.h>

namespace tsql {
namespace {

//! The first row of the batch's first result set as text, values separated by '|'.
std::string firstRow(Session& s, const std::string& batch) {
    BatchOutput out = s.execute(batch);
    EXPECT_FALSE(out.hasErrors()) << batch;
    std::string text;
    for (const auto& ev : out.events) {
        if (ev.kind != BatchEvent::Kind::Rows) continue;
        for (const auto& v : ev.rows.rows.at(0))
            text += (text.empty() ? "" : "|") + (v.isNull() ? std::string("NULL") : toText(v));
        break;
    }
    return text;
}

// A login's id and SID lead back to its name, in every session of that login, and never to another's.
TEST(SessionFunctionsTest, LoginIdAndSidAgreeWithTheName) {
    auto db = Database::open({});
    auto clerk = db->connect("mzdova.ucetni");
    auto again = db->connect("mzdova.ucetni");
    auto admin = db->connect("sa");
    EXPECT_EQ(firstRow(*clerk, "SELECT SUSER_SNAME(), SUSER_SNAME(SUSER_SID()), SUSER_NAME(SUSER_ID()), "
                               "SYSTEM_USER, ORIGINAL_LOGIN()"),
              "mzdova.ucetni|mzdova.ucetni|mzdova.ucetni|mzdova.ucetni|mzdova.ucetni");
    EXPECT_EQ(firstRow(*clerk, "SELECT CASE WHEN SUSER_ID(SUSER_SNAME()) = SUSER_ID() AND SUSER_ID() > 1 "
                               "THEN 1 END, CASE WHEN SUSER_SID(N'MZDOVA.ucetni') = SUSER_SID() THEN 1 END, "
                               "DATALENGTH(SUSER_SID())"),
              "1|1|16");
    EXPECT_EQ(firstRow(*clerk, "SELECT SUSER_ID()"), firstRow(*again, "SELECT SUSER_ID()"));
    EXPECT_EQ(firstRow(*clerk, "SELECT CAST(SUSER_SID() AS VARCHAR(100))"),
              firstRow(*again, "SELECT CAST(SUSER_SID() AS VARCHAR(100))"));
    EXPECT_EQ(firstRow(*clerk, "SELECT SUSER_SNAME(SUSER_SID('sa')), SUSER_NAME(1), SUSER_ID('sa')"),
              "sa|sa|1");
    // Another login's id is known by name, but an id or SID of this session does not name the other login.
    const std::string clerkId = firstRow(*clerk, "SELECT SUSER_ID()");
    EXPECT_EQ(firstRow(*admin, "SELECT SUSER_ID('mzdova.ucetni')"), clerkId);
    EXPECT_EQ(firstRow(*admin, "SELECT SUSER_NAME(" + clerkId + "), SUSER_SNAME(0x0102)"), "NULL|NULL");
}

} // namespace
} // namespace tsql
