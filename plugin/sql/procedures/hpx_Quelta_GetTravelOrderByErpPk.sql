CREATE PROC [dbo].[hpx_Quelta_GetTravelOrderByErpPk]
  @ErpPk INT
AS
-- One host travel order as the synchronizer sends it back to the Portal: its Portal identity,
-- the Portal state for the host state, and the computed totals.
SET NOCOUNT ON
SELECT
  e._Quelta_PortalID AS portalID,
  e._Quelta_CommitNumber AS commitNumber,
  c.ID AS erpPk,
  CASE e._Quelta_State
    WHEN 'N' THEN 'ACCOUNTING_APPROVED'
    WHEN 'V' THEN 'FINAL_ACCOUNTING_DONE'
    WHEN 'U' THEN 'CLOSED'
  END AS state,
  c.DatVystDokl_X AS createdAt,
  c.CisloZamestnance AS personalNumber,
  c.CisDok AS documentNumberErp,
  c.CilCesty AS activityDestination,
  c.UcelCesty AS travelPurpose,
  c.DatCasPocatek AS startTime,
  c.DatCasKonec AS endTime,
  c.TypCesty AS travelType,
  c.TypDopravy AS modeOfTransportErpPk,
  v.SPZZobraz AS vehicleErpPk,
  c.CisloZakazky AS jobOrderErpPk,
  c.NOkruh AS costPoolErpPk,
  c.Stredisko AS departmentErpPk,
  c.CelkemDiety AS pocketMoney,
  c.CelkemNahrady AS privateCarCompensation,
  c.CelkemNaklady AS cost,
  c.CelkemPHM AS fuelCost,
  ISNULL(e._Quelta_ToPortal, 0) AS toPortal,
  e._Quelta_Note AS note,
  c.CelkemKc AS costTotal,
  c.VratkaTuz AS payInDomestic,
  c.Spotreba AS fuelConsumption,
  c.KMCelkem AS distanceTotal,
  c.KMZahr AS distanceForeign
FROM TabICestak c
LEFT OUTER JOIN TabICestak_EXT e ON e.ID = c.ID
LEFT OUTER JOIN TabIVozidlo v ON v.ID = c.idVozidlo
WHERE c.ID = @ErpPk
