CREATE PROC [dbo].[hpx_Quelta_TravelOrder_ProcessImportBatch]
AS
-- Turns the newest staged batch of Portal travel orders into host travel documents with their
-- costs, legs and fuel, has the host compute allowances and totals, and empties the batch.
-- A new order (Portal state FOR_ACCOUNTING) becomes a new document numbered in its series; an
-- accounted one (FINAL_ACCOUNTING, FINAL_ACCOUNTING_APPROVED) updates the document it came from.
SET NOCOUNT ON
DECLARE @CenaL NUMERIC(19,6), @SazbaKm NUMERIC(19,6), @ProcKapes NUMERIC(19,6), @PHMZahrPo NUMERIC(19,6),
  @Uzivatel INT, @SDPlati NCHAR(1), @HlavniMena NVARCHAR(3), @FazeEuro INT, @DatumEuro DATETIME,
  @Davka NUMERIC(28,0), @IDImport INT, @PortalID INT, @State NVARCHAR(255), @CreatedAt DATETIME,
  @DocumentNumberErp NVARCHAR(30), @TravelType NVARCHAR(255), @ModeOfTransport NVARCHAR(30),
  @StavPortalu NCHAR(1), @StavDokladu NCHAR(1), @ZpusobKurzu INT, @CisDok NVARCHAR(20), @IDCestak INT,
  @TypRady NCHAR(1), @ZacatekRady BIGINT, @KonecRady BIGINT, @Posledni BIGINT

-- 1. Defaults of the travel module.
SELECT TOP 1 @CenaL = CestakSazbaPHM, @SazbaKm = CestakSazbaKm, @ProcKapes = CestakKapesne,
  @PHMZahrPo = CestakZahrPHM
FROM TabIHGlob
SET @Uzivatel = SUSER_ID()
SET @SDPlati = 'Z'
SELECT TOP 1 @HlavniMena = Kod FROM TabKodMen WHERE HlavniMena = 1
SELECT TOP 1 @FazeEuro = fazeeuro, @DatumEuro = DatumPrechoduNaEuro FROM TabHGlob

-- 2. The newest batch, header by header.
SELECT @Davka = MAX(BatchCommitNumber) FROM Tabx_Quelta_TravelOrder_ImportTable
DECLARE hlavicky CURSOR LOCAL FAST_FORWARD FOR
  SELECT ID, PortalID, State, CreatedAt, DocumentNumberErp, TravelType, ModeOfTransportErpPk
  FROM Tabx_Quelta_TravelOrder_ImportTable
  WHERE BatchCommitNumber = @Davka
  ORDER BY ID
OPEN hlavicky
FETCH NEXT FROM hlavicky INTO @IDImport, @PortalID, @State, @CreatedAt, @DocumentNumberErp, @TravelType,
  @ModeOfTransport
WHILE @@FETCH_STATUS = 0
BEGIN
  -- 3. Exchange-rate mode around the changeover to the euro.
  SET @ZpusobKurzu = CASE
    WHEN @FazeEuro = 1 AND @CreatedAt >= @DatumEuro THEN 1
    WHEN @FazeEuro = 2 AND @CreatedAt < @DatumEuro THEN 1
    ELSE 0 END

  -- 4. Document number and states; a header in any other state, a new order that already has a
  -- number and an approved accounting without one are left out.
  SET @CisDok = NULLIF(LEFT(@DocumentNumberErp, 20), N'')
  SET @StavPortalu = CASE @State
    WHEN N'FOR_ACCOUNTING' THEN 'O'
    WHEN N'FINAL_ACCOUNTING' THEN 'L'
    WHEN N'FINAL_ACCOUNTING_APPROVED' THEN 'S' END
  SET @StavDokladu = CASE WHEN @StavPortalu = 'S' THEN 'S' ELSE 'O' END
  SET @IDCestak = NULL
  IF @StavPortalu IS NOT NULL
    AND NOT (@StavPortalu = 'O' AND @CisDok IS NOT NULL)
    AND NOT (@StavPortalu = 'S' AND @CisDok IS NULL)
  BEGIN
    -- 5. An order downloaded before keeps the document made for it.
    IF @CisDok IS NULL
      SELECT TOP 1 @CisDok = c.CisDok
      FROM TabICestak c
      JOIN TabICestak_EXT e ON e.ID = c.ID
      WHERE e._Quelta_PortalID = @PortalID
      ORDER BY c.ID

    IF @CisDok IS NOT NULL
    BEGIN
      -- 6. The existing document takes the new state; the host sends it to the Portal again.
      SELECT TOP 1 @IDCestak = ID FROM TabICestak WHERE CisDok = @CisDok ORDER BY ID
      IF @IDCestak IS NOT NULL
      BEGIN
        UPDATE TabICestak SET Stav = @StavDokladu, TypDopravy = @ModeOfTransport, TypCesty = @TravelType
        WHERE ID = @IDCestak
        IF NOT EXISTS (SELECT * FROM TabICestak_EXT WHERE ID = @IDCestak)
          INSERT INTO TabICestak_EXT (ID) VALUES (@IDCestak)
        UPDATE TabICestak_EXT SET _Quelta_UploadDate = NULL, _Quelta_UploadAuthor = NULL, _Quelta_ToPortal = 1
        WHERE ID = @IDCestak
      END
    END
    ELSE
    BEGIN
      -- 7. A new document, numbered after the highest number of its series. A series ends before
      -- the next higher series starts; the last series has no end.
      SET @TypRady = CASE WHEN @TravelType = N'T' THEN 'T' ELSE 'M' END
      SET @ZacatekRady = NULL
      SET @KonecRady = NULL
      SET @Posledni = NULL
      SELECT TOP 1 @ZacatekRady = StPrefix FROM TabIStazkaRada WHERE TypPrepravy = @TypRady ORDER BY ID
      SELECT @KonecRady = MIN(StPrefix) FROM TabIStazkaRada WHERE StPrefix > @ZacatekRady
      SELECT @Posledni = MAX(d.Cislo)
      FROM (SELECT CASE WHEN CisDok NOT LIKE N'%[^0-9]%' AND LEN(CisDok) BETWEEN 1 AND 18
                   THEN CAST(CisDok AS BIGINT) END AS Cislo
            FROM TabICestak) d
      WHERE d.Cislo >= @ZacatekRady AND (@KonecRady IS NULL OR d.Cislo < @KonecRady)
      SET @CisDok = CAST(ISNULL(@Posledni + 1, @ZacatekRady) AS NVARCHAR(20))
      INSERT INTO TabICestak (BlokovaniEditoru, CisDok, Stav, TypDopravy, CenaL, SazbaKm, ProcKapes, PHMZahrPo,
        SDPlati, TypCesty)
      VALUES (@Uzivatel, @CisDok, @StavDokladu, @ModeOfTransport, @CenaL, @SazbaKm, @ProcKapes, @PHMZahrPo,
        @SDPlati, @TravelType)
      SET @IDCestak = SCOPE_IDENTITY()
    END
  END

  IF @IDCestak IS NOT NULL
  BEGIN
    -- 8. The header's data; the document is released for editing.
    UPDATE c SET
      CilCesty = NULLIF(LEFT(i.ActivityDestination, 60), N''),
      idVozidlo = (SELECT TOP 1 v.ID FROM TabIVozidlo v WHERE v.SPZZobraz = LEFT(i.VehicleErpPk, 20) ORDER BY v.ID),
      SPZ = NULLIF(LEFT(i.VehicleErpPk, 20), N''),
      CisloZakazky = NULLIF(LEFT(i.JobOrderErpPk, 15), N''),
      NOkruh = NULLIF(LEFT(i.CostPoolErpPk, 15), N''),
      Stredisko = NULLIF(i.DepartmentErpPk, N''),
      CelkemDiety = CAST(i.PocketMoney AS NUMERIC(19,6)),
      CelkemNahrady = CAST(i.PrivateCarCompensation AS NUMERIC(19,6)),
      CelkemNaklady = CAST(i.Cost AS NUMERIC(19,6)),
      CelkemPHM = CAST(i.FuelCost AS NUMERIC(19,6)),
      Spotreba = CAST(i.FuelConsumption AS NUMERIC(19,6)),
      DatVystDokl = i.CreatedAt,
      DatCasPocatek = i.StartTime,
      DatCasKonec = i.EndTime,
      CisloZamestnance = i.PersonalNumber,
      UcelCesty = i.TravelPurpose,
      VratkaTuz = i.PayInDomestic,
      KMCelkem = ROUND(i.DistanceTotal, 0),
      KMZahr = ROUND(i.DistanceForeign, 0),
      BlokovaniEditoru = NULL
    FROM TabICestak c
    JOIN Tabx_Quelta_TravelOrder_ImportTable i ON i.ID = @IDImport
    WHERE c.ID = @IDCestak
    IF NOT EXISTS (SELECT * FROM TabICestak_EXT WHERE ID = @IDCestak)
      INSERT INTO TabICestak_EXT (ID) VALUES (@IDCestak)
    UPDATE x SET
      _Quelta_PortalID = i.PortalID,
      _Quelta_CommitNumber = i.CommitNumber,
      _Quelta_DownloadDate = GETDATE(),
      _Quelta_State = @StavPortalu,
      _Quelta_Note = i.Note,
      _Quelta_ToPortal = 1
    FROM TabICestak_EXT x
    JOIN Tabx_Quelta_TravelOrder_ImportTable i ON i.ID = @IDImport
    WHERE x.ID = @IDCestak

    -- 9. Costs: in the main currency as they are, in another one at the rate of the document's
    -- creation date (the latest rate on or before it, else the latest one).
    DELETE FROM TabICestaNakl WHERE IDCestak = @IDCestak
    INSERT INTO TabICestaNakl (IDCestak, Datum, DatumKurz, IDNaklKod, Popis, Mena, Kurz, JednotkaMeny, ZpusobKurzu,
      CenaVal, CenaKc)
    SELECT @IDCestak, @CreatedAt, r.Datum,
      (SELECT TOP 1 k.ID FROM TabINaklKod k WHERE k.Kod = LEFT(n.TravelOrderCostTypeErpPk, 20) ORDER BY k.ID),
      n.Note, NULLIF(n.CurrencyErpPk, N''),
      CASE WHEN n.Hlavni = 1 THEN 1 ELSE r.Kurz END,
      CASE WHEN n.Hlavni = 1 THEN 1 ELSE r.JednotkaMeny END,
      @ZpusobKurzu,
      CASE WHEN n.Hlavni = 1 THEN 0 ELSE n.Amount END,
      CASE WHEN n.Hlavni = 1 THEN n.Amount ELSE n.Amount * r.Kurz / r.JednotkaMeny END
    FROM (SELECT i.*, CASE WHEN ISNULL(i.CurrencyErpPk, N'') IN (N'', @HlavniMena) THEN 1 ELSE 0 END AS Hlavni
          FROM Tabx_Quelta_TravelOrderCost_ImportTable i
          WHERE i.TravelOrderPortalID = @PortalID AND i.BatchCommitNumber = @Davka) n
    LEFT OUTER JOIN TabKurzList r ON n.Hlavni = 0 AND r.ID = (SELECT TOP 1 k.ID FROM TabKurzList k
      WHERE k.Mena = n.CurrencyErpPk ORDER BY CASE WHEN k.Datum <= @CreatedAt THEN 0 ELSE 1 END, k.Datum DESC)
    ORDER BY n.ID

    -- 10. Legs; an order without legs gets one leg from its header.
    DELETE FROM TabICestaUsek WHERE IDCestak = @IDCestak
    INSERT INTO TabICestaUsek (IDCestak, TypUseku, DatCasPocatek, DatCasKonec, Relace, Odkud, Kam, ProcStrav,
      ZpusobKurzu, CelkemKapesne, KodZeme, Mena)
    SELECT @IDCestak, ItemType, StartTime, EndTime, NULL, InputDestination, OutputDestination, 0,
      @ZpusobKurzu, PocketMoney, NULLIF(CountryErpPk, N''), NULLIF(CurrencyErpPk, N'')
    FROM Tabx_Quelta_TravelOrderItem_ImportTable
    WHERE TravelOrderPortalID = @PortalID AND BatchCommitNumber = @Davka
    ORDER BY ID
    IF @@ROWCOUNT = 0
      INSERT INTO TabICestaUsek (IDCestak, TypUseku, DatCasPocatek, DatCasKonec, Relace, Odkud, Kam, ProcStrav,
        ZpusobKurzu, CelkemKapesne, KodZeme, Mena)
      SELECT @IDCestak, TravelType, StartTime, EndTime, NULL, InputDestination, OutputDestination, 0,
        @ZpusobKurzu, PocketMoney, NULL, NULL
      FROM Tabx_Quelta_TravelOrder_ImportTable
      WHERE ID = @IDImport

    -- 11. Allowances and totals.
    EXEC hpi_VypoctiDiety @IDCestak
    EXEC hpi_VypoctiCestak @IDCestak, 1

    -- 12. Fuel: the order's fuel as the Portal has it now, priced as the costs.
    DELETE FROM TabICestaPHM WHERE IDCestak = @IDCestak
    INSERT INTO TabICestaPHM (IDCestak, idUsek, Datum, Litry, Mena, ZpusobKurzu, CenaVal, CenaKc)
    SELECT @IDCestak, NULL, @CreatedAt, f.NumberOfLiters, NULLIF(f.CurrencyErpPk, N''), @ZpusobKurzu,
      CASE WHEN f.Hlavni = 1 THEN 0 ELSE f.PricePerLiter END,
      CASE WHEN f.Hlavni = 1 THEN f.PricePerLiter ELSE f.PricePerLiter * r.Kurz / r.JednotkaMeny END
    FROM (SELECT i.*, CASE WHEN ISNULL(i.CurrencyErpPk, N'') IN (N'', @HlavniMena) THEN 1 ELSE 0 END AS Hlavni
          FROM Tabx_Quelta_TravelOrderFuel_ImportTable i
          WHERE i.TravelOrderPortalID = @PortalID AND i.BatchCommitNumber = @Davka) f
    LEFT OUTER JOIN TabKurzList r ON f.Hlavni = 0 AND r.ID = (SELECT TOP 1 k.ID FROM TabKurzList k
      WHERE k.Mena = f.CurrencyErpPk ORDER BY CASE WHEN k.Datum <= @CreatedAt THEN 0 ELSE 1 END, k.Datum DESC)
    ORDER BY f.ID

    -- 13. Totals with the fuel.
    EXEC hpi_VypoctiCestak @IDCestak, 1
  END

  FETCH NEXT FROM hlavicky INTO @IDImport, @PortalID, @State, @CreatedAt, @DocumentNumberErp, @TravelType,
    @ModeOfTransport
END
CLOSE hlavicky
DEALLOCATE hlavicky

-- 14. The batch is done.
DELETE FROM Tabx_Quelta_TravelOrder_ImportTable WHERE BatchCommitNumber = @Davka
DELETE FROM Tabx_Quelta_TravelOrderCost_ImportTable WHERE BatchCommitNumber = @Davka
DELETE FROM Tabx_Quelta_TravelOrderItem_ImportTable WHERE BatchCommitNumber = @Davka
DELETE FROM Tabx_Quelta_TravelOrderFuel_ImportTable WHERE BatchCommitNumber = @Davka
