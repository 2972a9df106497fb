#include "plugin/definitions/views.h"

#include "common/ascii.h"

#include "poradi.h"
#include "texty.h"

namespace plugin {
namespace {

constexpr TplgViewDef kPohledy[] = {
    {},
    {bQUELTAZamPortal, "hvw_QUELTAZamPortal", "SELECT * FROM TabQUELTAZamPortal WHERE TypZaznamu = 1",
     tQUELTAZamPortal},
    {bQUELTAZamPortal_AktualniObdobi, "hvw_QUELTAZamPortal_AktualniObdobi",
     "SELECT * FROM TabQUELTAZamPortal\r"
     "WHERE TypZaznamu = 1 AND Obdobi = (SELECT m.IDObdobi FROM TabMzdObd m WHERE m.Stav = 1)",
     tQUELTAZamPortal},
    {bQUELTAZamPortal_BezneObdobi, "hvw_QUELTAZamPortal_BezneObdobi",
     "SELECT * FROM TabQUELTAZamPortal\r"
     "WHERE TypZaznamu = 1 AND Obdobi = (SELECT m.IDObdobi FROM TabMzdObd m WHERE m.Stav = 2)",
     tQUELTAZamPortal},
    {bQUELTAPortalPredzp, "hvw_QUELTAWSPreprocess", "SELECT * FROM TabQUELTAWSPreprocess WHERE deleted = 0",
     tQUELTAWSPreProcess},
    {bQUELTANastaveniSynchronizace, "hvw_QUELTANastaveniSynchronizace",
     "SELECT *FROM TabQUELTANastaveniSynchronizace", tQUELTANastaveniSynchronizace},
    {bQUELTAHGlob, "hvw_QUELTAHGlob", "SELECT * FROM TabQUELTAHGlob", tQUELTAHGlob},
    {bQUELTASynchroLog, "hvw_QUELTASynchroLog", "SELECT * FROM TabQUELTASynchroLog", tQUELTASynchroLog},
};

static_assert(IndexovanoPodleSelfIdent(kPohledy), "the views are indexed by TplgBrowse");

} // namespace

std::span<const TplgViewDef> Pohledy() {
    return kPohledy;
}

TplgBrowse BrowsePodleView(std::string_view jmenoView) {
    const auto jmeno = texty::Orizni(jmenoView);
    if (jmeno.empty()) return bZadny;
    for (const auto& pohled : kPohledy)
        if (pohled.SelfIdent != bZadny && common::EqualsIgnoreCaseAscii(pohled.JmenoView, jmeno))
            return pohled.SelfIdent;
    return bZadny;
}

std::string TextCreateView(const TplgViewDef& view) {
    return "CREATE VIEW dbo." + std::string(view.JmenoView) + " AS " + std::string(view.DefiniceView);
}

} // namespace plugin
