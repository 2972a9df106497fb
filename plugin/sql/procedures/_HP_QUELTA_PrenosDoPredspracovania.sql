CREATE PROCEDURE [dbo].[_HP_QUELTA_PrenosDoPredspracovania]
  @IdObdobi INT,
  @TabName VARCHAR(50) OUT,
  @AtrName VARCHAR(50) OUT
AS
-- The host's payroll preprocessing imports through this procedure: every approved Portal record
-- not yet transferred goes into the caller's #PredzpImportTable for period @IdObdobi. The host
-- writes the ID of each preprocessing row it creates into column @AtrName of table @TabName of
-- the record passed as Pomocne_ID. An absence (group 3) keeps its dates; an absence of one day
-- counts at most the hours of that day in the employee's calendar, one of several days no hours.
SET NOCOUNT ON
SET @TabName = NULL
SET @AtrName = NULL
IF OBJECT_ID('tempdb..#PredzpImportTable') IS NOT NULL
BEGIN
  SET @TabName = 'TabQUELTAWSPreprocess'
  SET @AtrName = 'ErpPk'
  INSERT INTO #PredzpImportTable (Pomocne_ID, OsCislo, PrijmeniJmeno, ZamestnanecId, IdObdobi, CisloMS, SkupinaMS,
    Castka, Hodiny, Dny, DnyKal, Procento, DatumOd, DatumDo, Utvar, Zakazka, NakladovyOkruh, IdVozidlo)
  SELECT ws.ID, z.Cislo, z.PrijmeniJmeno, z.ID, @IdObdobi, ws.PayrollComponentsType, ms.SkupinaMS,
    ws.amount,
    CASE
      WHEN ms.SkupinaMS = 3 AND ws.dateFrom = ws.dateTo THEN
        CASE WHEN kd.PocetHodin < ws.hours THEN kd.PocetHodin ELSE ws.hours END
      WHEN ms.SkupinaMS = 3 THEN 0
      ELSE ws.hours
    END,
    0, 0, 0,
    CASE WHEN ms.SkupinaMS = 3 THEN ws.dateFrom END,
    CASE WHEN ms.SkupinaMS = 3 THEN ws.dateTo END,
    ws.department, ws.jobOrder, ws.costPoot,
    (SELECT TOP 1 v.ID FROM TabIVozidlo v WHERE v.SPZZobraz = ws.vehicle ORDER BY v.ID)
  FROM TabQUELTAWSPreprocess ws
  LEFT OUTER JOIN TabCisZam z ON z.Cislo = ws.employeeErpPk
  LEFT OUTER JOIN TabCisMzSl ms ON ms.CisloMzSl = ws.PayrollComponentsType AND ms.IdObdobi = @IdObdobi
  LEFT OUTER JOIN TabZamMzd zm ON zm.ZamestnanecId = z.ID AND zm.IdObdobi = @IdObdobi
  LEFT OUTER JOIN TabMzKalendarZam kz ON kz.ID = (SELECT TOP 1 k.ID FROM TabMzKalendarZam k
    WHERE k.ZamestnanecId = z.ID AND k.Rok = zm.RokKalendare AND k.Cislo = zm.DruhKalendare ORDER BY k.ID)
  LEFT OUTER JOIN TabMzKalendarDnyZam kd ON kd.IDKalendar = kz.ID AND kd.Datum = ws.dateFrom
  WHERE ws.ErpPk IS NULL AND ws.Stav = 1
END
