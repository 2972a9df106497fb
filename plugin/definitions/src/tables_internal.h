#pragma once
// The table definitions of the registry, each defined in the data file of its area.

#include "plugin/definitions/model.h"

namespace plugin::tabulky {

extern const TplgTabulkaDef kQUELTAZamPortal;
extern const TplgTabulkaDef kQUELTAKonverzeRodinnyStav;
extern const TplgTabulkaDef kQUELTAKonverzeDruhDuchodu;
extern const TplgTabulkaDef kQUELTAKonverzeDruhMzdyMesHod;
extern const TplgTabulkaDef kQUELTAKonverzeDruhPP;
extern const TplgTabulkaDef kQUELTAKonverzeVztah;
extern const TplgTabulkaDef kQUELTANastaveniSynchronizace;
extern const TplgTabulkaDef kQUELTADeleteLog;
extern const TplgTabulkaDef kQUELTAHGlob;
extern const TplgTabulkaDef kQUELTAWSPreProcess;
extern const TplgTabulkaDef kQUELTAWSPayrollComponents;
extern const TplgTabulkaDef kQUELTATravelOrder_ImportTable;
extern const TplgTabulkaDef kQUELTATravelOrderCost_ImportTable;
extern const TplgTabulkaDef kQUELTATravelOrderFuel_ImportTable;
extern const TplgTabulkaDef kQUELTATravelOrderItem_ImportTable;
extern const TplgTabulkaDef kQUELTASynchroLog;

// The columns every table shares.
inline constexpr TplgAtributTabulky kID{.UTyp = plg_utaSystemoveCislo};
inline constexpr TplgAtributTabulky kAutor{.UTyp = plg_utaAutor};
inline constexpr TplgAtributTabulky kDatPorizeni{.UTyp = plg_utaDatPorizeni};
inline constexpr TplgAtributTabulky kZmenil{.UTyp = plg_utaZmenil};
inline constexpr TplgAtributTabulky kDatZmeny{.UTyp = plg_utaDatZmeny};
inline constexpr TplgAtributTabulky kBlokovaniEditoru{.UTyp = plg_utaBlokovaniEditoru};

} // namespace plugin::tabulky
