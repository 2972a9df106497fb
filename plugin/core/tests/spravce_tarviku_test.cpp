#include "plugin/core/spravce_tarviku.h"

#include "test_tarvik.h"

#include <gtest/gtest.h>

namespace {

using plugin::TplgAkcePrehledu;
using plugin::TSpravceTarviku;
using plugin::testing::TestTarvik;

// The registry never looks into an action object; any address stands for one.
TplgAkcePrehledu* akce(int& slot) {
    return reinterpret_cast<TplgAkcePrehledu*>(&slot);
}

TEST(Registry, TwoPointersOfOneBrowseShareItsActionObject) {
    TSpravceTarviku spravce;
    TestTarvik first(7), second(7), other(8);
    int a = 0;
    spravce.PridejTarvik(&first);
    spravce.PridejTarvik(&other);
    spravce.NastavAkce(&first, akce(a));
    EXPECT_EQ(spravce.VratAkcePrehledu(&first), akce(a));
    EXPECT_EQ(spravce.VratAkcePrehledu(&second), akce(a));
    EXPECT_EQ(spravce.VratAkcePrehledu(&other), nullptr);

    // Only the identical pointer is removed; the same key through another pointer is not.
    spravce.NastavAkce(&second, nullptr);
    EXPECT_EQ(spravce.VratAkcePrehledu(&first), akce(a));
    spravce.OdeberTarvik(&second);
    EXPECT_EQ(spravce.Pocet(), 2u);
    spravce.OdeberTarvik(&first);
    EXPECT_EQ(spravce.Pocet(), 1u);
    EXPECT_EQ(spravce.VratAkcePrehledu(&second), nullptr);
}

TEST(Registry, NestedCallsStackUpAndTheLastOneWins) {
    TSpravceTarviku spravce;
    TestTarvik outer(1), inner(1);
    int a = 0, b = 0;
    spravce.PridejTarvik(&outer);
    spravce.NastavAkce(&outer, akce(a));
    spravce.PridejTarvik(&inner);
    spravce.NastavAkce(&inner, akce(b));
    EXPECT_EQ(spravce.AktualniTarvik(), &inner);
    EXPECT_EQ(spravce.VratAkcePrehledu(&outer), akce(b));
    spravce.OdeberTarvik(&inner);
    EXPECT_EQ(spravce.VratAkcePrehledu(&outer), akce(a));
    EXPECT_EQ(spravce.AktualniTarvik(), &outer);
}

TEST(Registry, OwnerIsTheRegisteredInterfaceOfTheMasterBrowseOrTheHostsOwn) {
    TSpravceTarviku spravce;
    TestTarvik master(1), masterAsSeenByDetail(1), detail(2, &masterAsSeenByDetail);
    TestTarvik unknownOwner(3), orphan(4, &unknownOwner), noOwner(5);
    spravce.PridejTarvik(&master);
    EXPECT_EQ(spravce.VratVlastnika(&detail), &master);
    EXPECT_EQ(spravce.VratVlastnika(&orphan), &unknownOwner);
    EXPECT_EQ(spravce.VratVlastnika(&noOwner), nullptr);
    EXPECT_EQ(spravce.VratVlastnika(nullptr), nullptr);
}

TEST(Registry, NullInterfacesAreIgnored) {
    TSpravceTarviku spravce;
    int a = 0;
    spravce.PridejTarvik(nullptr);
    spravce.NastavAkce(nullptr, akce(a));
    spravce.OdeberTarvik(nullptr);
    EXPECT_EQ(spravce.Pocet(), 0u);
    EXPECT_EQ(spravce.VratAkcePrehledu(nullptr), nullptr);
    EXPECT_EQ(spravce.AktualniTarvik(), nullptr);
}

} // namespace
