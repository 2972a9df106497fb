// Staging tables of the travel orders downloaded from the Portal.
#include "tables_internal.h"

namespace plugin::tabulky {
namespace {

constexpr TplgAtributTabulky kAtributyTravelOrder[] = {
    kID,
    {.JmenoSys = "BatchCommitNumber", .Typ = taNumeric_28_0, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CommitNumber", .Typ = taNumeric_28_0, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PortalID", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "ErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "State", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CreatedAt", .Typ = taDateTime, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PersonalNumber", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "DocumentNumberErp", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "ActivityDestination", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "TravelPurpose", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "StartTime", .Typ = taDateTime, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "EndTime", .Typ = taDateTime, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "TravelType", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "ModeOfTransportErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "VehicleErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "JobOrderErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CostPoolErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "DepartmentErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PocketMoney", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PrivateCarCompensation", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "Cost", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "FuelCost", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "Address", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "DistanceForeign", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "DistanceTotal", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "FuelConsumption", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "InputDestination", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "OutputDestination", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PrivateCar", .Typ = taByte, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "Note", .Typ = taNVarChar, .Delka = 2048, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PayInDomestic", .Typ = taByte, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CostTotal", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    kAutor,
    kDatPorizeni,
    kZmenil,
    kDatZmeny,
    kBlokovaniEditoru,
};

constexpr TplgAtributTabulky kAtributyTravelOrderCost[] = {
    kID,
    {.JmenoSys = "BatchCommitNumber", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CommitNumber", .Typ = taNumeric_28_0, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PortalID", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "ErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "TravelOrderPortalID", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "Amount", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CurrencyErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "Note", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "TravelOrderCostTypeErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    kAutor,
    kDatPorizeni,
    kZmenil,
    kDatZmeny,
    kBlokovaniEditoru,
};

constexpr TplgAtributTabulky kAtributyTravelOrderFuel[] = {
    kID,
    {.JmenoSys = "BatchCommitNumber", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CommitNumber", .Typ = taNumeric_28_0, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PortalID", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "ErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "TravelOrderPortalID", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CurrencyErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "NumberOfLiters", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PricePerLiter", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    kAutor,
    kDatPorizeni,
    kZmenil,
    kDatZmeny,
    kBlokovaniEditoru,
};

constexpr TplgAtributTabulky kAtributyTravelOrderItem[] = {
    kID,
    {.JmenoSys = "BatchCommitNumber", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CommitNumber", .Typ = taNumeric_28_0, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PortalID", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "ErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "TravelOrderPortalID", .Typ = taInt, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CountryErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "CurrencyErpPk", .Typ = taNVarChar, .Delka = 30, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "EndTime", .Typ = taDateTime, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "InputDestination", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "ItemType", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "OutputDestination", .Typ = taNVarChar, .Delka = 255, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "PocketMoney", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "StartTime", .Typ = taDateTime, .Null = nNULL, .Verejny = vTrue},
    {.JmenoSys = "SubsistenceAllowance", .Typ = taFloat, .Null = nNULL, .Verejny = vTrue},
    kAutor,
    kDatPorizeni,
    kZmenil,
    kDatZmeny,
    kBlokovaniEditoru,
};

} // namespace

constexpr TplgTabulkaDef kQUELTATravelOrder_ImportTable{.SelfIdent = tQUELTATravelOrder_ImportTable,
                                                        .JmenoSys = "Tabx_Quelta_TravelOrder_ImportTable",
                                                        .Jmeno = "Travel orders - import table",
                                                        .Atributy = kAtributyTravelOrder,
                                                        .DalsiVlastnosti = tdvTabulkaPluginu};
constexpr TplgTabulkaDef kQUELTATravelOrderCost_ImportTable{.SelfIdent = tQUELTATravelOrderCost_ImportTable,
                                                            .JmenoSys =
                                                                "Tabx_Quelta_TravelOrderCost_ImportTable",
                                                            .Jmeno = "Travel order costs - import table",
                                                            .Atributy = kAtributyTravelOrderCost,
                                                            .DalsiVlastnosti = tdvTabulkaPluginu};
constexpr TplgTabulkaDef kQUELTATravelOrderFuel_ImportTable{.SelfIdent = tQUELTATravelOrderFuel_ImportTable,
                                                            .JmenoSys =
                                                                "Tabx_Quelta_TravelOrderFuel_ImportTable",
                                                            .Jmeno = "Travel order fuel - import table",
                                                            .Atributy = kAtributyTravelOrderFuel,
                                                            .DalsiVlastnosti = tdvTabulkaPluginu};
constexpr TplgTabulkaDef kQUELTATravelOrderItem_ImportTable{.SelfIdent = tQUELTATravelOrderItem_ImportTable,
                                                            .JmenoSys =
                                                                "Tabx_Quelta_TravelOrderItem_ImportTable",
                                                            .Jmeno = "Travel order items - import table",
                                                            .Atributy = kAtributyTravelOrderItem,
                                                            .DalsiVlastnosti = tdvTabulkaPluginu};

} // namespace plugin::tabulky
