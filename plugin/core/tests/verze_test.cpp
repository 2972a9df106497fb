#include "plugin/core/plg_main.h"
#include "plugin/core/verze.h"

#include <gtest/gtest.h>

namespace {

using namespace plugin;

TEST(Versions, TextsOfEveryForm) {
    struct Case {
        TVerze verze;
        int forma;
        const char* text;
    };
    const Case cases[] = {
        {kVerzePluginu, 0, "2.0"},
        {kVerzePluginu, 1, "2"},
        {kVerzePluginu, 2, "0"},
        {kVerzePluginu, 3, "20120719"},
        {kVerzePluginu, 4, "2.0.2012.0719"},
        {kVerzePluginu, 5, "2.0.2012.0719 - UNICODE XE"},
        {kVerzePluginu, 6, "020020120719"},
        {kVerzePluginu, 7, ""},
        {kVerzePluginu, -1, ""},
        {kNejnizsiVerzeTarviku, 4, "2.0.2011.0908"},
        {Verze(0x1A, 0x0B, 0x20240101), 0, "1A.B"},
        {Verze(0x10, 0, 0x20240101), 1, "10"},
        {Verze(1, 0, 0x20090803), 6, "010020090803"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatVerze(c.verze, c.forma), c.text) << "form " << c.forma;
    EXPECT_EQ(kVerzePluginu, 0x020020120719ull);
}

TEST(Versions, SqlServerNamesAtTheirThresholds) {
    struct Case {
        std::uint32_t verze;
        const char* nazev;
    };
    const Case cases[] = {
        {VerzeSQLServeru(12, 0, 2000), "2011"},
        {VerzeSQLServeru(11, 0, 0), "2011"},
        {VerzeSQLServeru(10, 50, 2500), "2008 R2 SP1"},
        {VerzeSQLServeru(10, 50, 2499), "2008 R2"},
        {VerzeSQLServeru(10, 0, 5500), "2008 SP3"},
        {VerzeSQLServeru(10, 0, 2531), "2008 SP1"},
        {VerzeSQLServeru(10, 0, 0), "2008"},
        {VerzeSQLServeru(9, 0, 4035), "2005 SP3"},
        {VerzeSQLServeru(9, 0, 4034), "2005 SP2"},
        {VerzeSQLServeru(9, 0, 0), "2005"},
        {VerzeSQLServeru(8, 0, 2039), "2000 SP4"},
        {VerzeSQLServeru(7, 50, 0), "2000"},
        {VerzeSQLServeru(7, 0, 699), "7.00 SP1"},
        {VerzeSQLServeru(7, 0, 698), "7.00"},
        {0, "7.00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NazevVerzeSQLServeru(c.verze), c.nazev) << std::hex << c.verze;
}

TEST(Versions, InstalledVersionComparedAsText) {
    EXPECT_EQ(PorovnejVerze("020020120719", "020020120719"), TStavInstalace::Aktualni);
    EXPECT_EQ(PorovnejVerze("02002012071a", "02002012071A"), TStavInstalace::Aktualni);
    EXPECT_EQ(PorovnejVerze("000000000000", "020020120719"), TStavInstalace::VDatabaziNizsi);
    EXPECT_EQ(PorovnejVerze("020020120210", "020020120719"), TStavInstalace::VDatabaziNizsi);
    EXPECT_EQ(PorovnejVerze("020020130101", "020020120719"), TStavInstalace::VDatabaziVyssi);
    EXPECT_EQ(PorovnejVerze("", "020020120719"), TStavInstalace::VDatabaziNizsi);
}

} // namespace
