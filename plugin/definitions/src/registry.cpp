#include "plugin/definitions/tables.h"

#include "tables_internal.h"

namespace plugin {
namespace {

constexpr const TplgTabulkaDef* kRegistr[] = {
    nullptr,
    &tabulky::kQUELTAZamPortal,
    &tabulky::kQUELTAKonverzeRodinnyStav,
    &tabulky::kQUELTAKonverzeDruhDuchodu,
    &tabulky::kQUELTAKonverzeDruhMzdyMesHod,
    &tabulky::kQUELTAKonverzeDruhPP,
    &tabulky::kQUELTAKonverzeVztah,
    &tabulky::kQUELTANastaveniSynchronizace,
    &tabulky::kQUELTADeleteLog,
    &tabulky::kQUELTAHGlob,
    &tabulky::kQUELTAWSPreProcess,
    &tabulky::kQUELTAWSPayrollComponents,
    &tabulky::kQUELTATravelOrder_ImportTable,
    &tabulky::kQUELTATravelOrderCost_ImportTable,
    &tabulky::kQUELTATravelOrderFuel_ImportTable,
    &tabulky::kQUELTATravelOrderItem_ImportTable,
    &tabulky::kQUELTASynchroLog,
};
static_assert(std::size(kRegistr) == tQUELTASynchroLog + 1, "one registry entry per table enumerator");

} // namespace

std::span<const TplgTabulkaDef* const> RegistrTabulek() {
    return kRegistr;
}

} // namespace plugin
