-- Tarvik host database: procedures the host offers to plug-ins and to its own imports.
-- None of them returns a result set unless its description says so. Errors are raised
-- with severity 16 so that the caller's @@ERROR / rollback logic sees them.

-- Journal: writes one TabZurnal row with the kind, the code and the text as given, plus
-- the caller's login and the time. Callers pass three positional arguments; Quelta uses
-- (code, -1, text), the installer (0, code, text). The new row's ID comes back in
-- @IDZurnal when the caller asks for it.
CREATE PROCEDURE dbo.hp_ZapisDoZurnalu
    @Druh INT,
    @Kod INT,
    @Text NVARCHAR(MAX),
    @IDZurnal INT = NULL OUTPUT
AS
SET NOCOUNT ON
INSERT INTO dbo.TabZurnal (Druh, Kod, Text) VALUES (@Druh, @Kod, @Text)
SET @IDZurnal = SCOPE_IDENTITY()
RETURN 0
GO

-- First free number of column @Atribut of table @Tabulka within @Min..@Max, among the
-- rows that satisfy the optional condition @Podminka (a WHERE text).
--   @PlnitMezery 1: the smallest unused number from @Min on (gaps are filled);
--   @PlnitMezery 0: one more than the highest used number, or @Min when none is used;
--                   when that passes @Max, the smallest unused number instead.
-- The number is the procedure's RETURN value (0 when none is free). Callers that read a
-- result set pass @BezVysledku 0 and get one row, column Cislo (NULL when none is free);
-- callers that take the RETURN value pass @BezVysledku 1 and get no result set.
CREATE PROCEDURE dbo.hp_NajdiPrvniVolny
    @Tabulka NVARCHAR(128),
    @Atribut NVARCHAR(128),
    @Min INT,
    @Max INT,
    @Podminka NVARCHAR(4000) = N'',
    @BezVysledku BIT = 0,
    @PlnitMezery BIT = 0
AS
SET NOCOUNT ON
DECLARE @Cislo INT, @Skript NVARCHAR(MAX), @Zprava NVARCHAR(400)
IF ISNULL(@Tabulka, N'') = N'' OR OBJECT_ID(@Tabulka, N'U') IS NULL
BEGIN
    SET @Zprava = N'Tabulka ' + ISNULL(@Tabulka, N'NULL') + N' neexistuje.'
    RAISERROR(@Zprava, 16, 1)
    RETURN 0
END
IF ISNULL(@Atribut, N'') = N''
BEGIN
    RAISERROR(N'Není zadán atribut pro hledání volného čísla.', 16, 1)
    RETURN 0
END
IF @Min IS NOT NULL AND @Max IS NOT NULL AND @Min <= @Max
BEGIN
    CREATE TABLE #NajdiPrvniVolny (Cislo INT NOT NULL)
    SET @Skript = N'INSERT INTO #NajdiPrvniVolny (Cislo) SELECT DISTINCT ' + QUOTENAME(@Atribut)
        + N' FROM dbo.' + QUOTENAME(@Tabulka)
        + N' WHERE ' + QUOTENAME(@Atribut) + N' >= ' + CAST(@Min AS NVARCHAR(11))
        + N' AND ' + QUOTENAME(@Atribut) + N' <= ' + CAST(@Max AS NVARCHAR(11))
    IF LTRIM(RTRIM(ISNULL(@Podminka, N''))) <> N''
        SET @Skript = @Skript + N' AND (' + @Podminka + N')'
    EXEC(@Skript)
    IF @@ERROR <> 0
    BEGIN
        DROP TABLE #NajdiPrvniVolny
        RETURN 0
    END
    IF @PlnitMezery = 0
    BEGIN
        SELECT @Cislo = MAX(Cislo) FROM #NajdiPrvniVolny
        IF @Cislo IS NULL
            SET @Cislo = @Min
        ELSE IF @Cislo < @Max
            SET @Cislo = @Cislo + 1
        ELSE
            SET @Cislo = NULL
    END
    IF @Cislo IS NULL
    BEGIN
        IF NOT EXISTS (SELECT * FROM #NajdiPrvniVolny WHERE Cislo = @Min)
            SET @Cislo = @Min
        ELSE
            SELECT @Cislo = MIN(a.Cislo + 1) FROM #NajdiPrvniVolny a
            WHERE a.Cislo < @Max
              AND NOT EXISTS (SELECT * FROM #NajdiPrvniVolny b WHERE b.Cislo = a.Cislo + 1)
    END
    DROP TABLE #NajdiPrvniVolny
END
IF ISNULL(@BezVysledku, 0) = 0
    SELECT @Cislo AS Cislo
RETURN ISNULL(@Cislo, 0)
GO

-- External attribute: makes sure the extension table <@Tabulka>_EXT exists (column ID,
-- the host row's ID, primary key, not an identity) and has column @Atribut of type @Typ
-- (a type text such as INT, BIT, CHAR(1), NVARCHAR(128), NUMERIC(19,6)), nullable.
-- Calling it again with the same arguments changes nothing. Extension rows are never
-- created here.
CREATE PROCEDURE dbo.hp_ExterniTabulka
    @Tabulka NVARCHAR(128),
    @Atribut NVARCHAR(128),
    @Typ NVARCHAR(128)
AS
SET NOCOUNT ON
DECLARE @Ext NVARCHAR(128), @Skript NVARCHAR(MAX), @Zprava NVARCHAR(400)
IF ISNULL(@Tabulka, N'') = N'' OR OBJECT_ID(@Tabulka, N'U') IS NULL
BEGIN
    SET @Zprava = N'Tabulka ' + ISNULL(@Tabulka, N'NULL') + N' neexistuje.'
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
IF ISNULL(@Atribut, N'') = N'' OR @Atribut = N'ID'
BEGIN
    SET @Zprava = N'Neplatný název externího atributu: ' + ISNULL(@Atribut, N'NULL')
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
IF ISNULL(@Typ, N'') = N'' OR @Typ LIKE N'%;%' OR @Typ LIKE N'%--%' OR @Typ LIKE N'%/*%'
    OR @Typ LIKE N'%''%'
BEGIN
    SET @Zprava = N'Neplatný typ externího atributu ' + @Atribut + N': ' + ISNULL(@Typ, N'NULL')
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
SET @Ext = @Tabulka + N'_EXT'
IF OBJECT_ID(@Ext, N'U') IS NULL
BEGIN
    SET @Skript = N'CREATE TABLE dbo.' + QUOTENAME(@Ext) + N' (ID INT NOT NULL CONSTRAINT '
        + QUOTENAME(N'PK__' + @Ext + N'__ID') + N' PRIMARY KEY)'
    EXEC(@Skript)
    IF @@ERROR <> 0 RETURN 1
END
IF NOT EXISTS (SELECT * FROM syscolumns WHERE id = OBJECT_ID(@Ext, N'U') AND name = @Atribut)
BEGIN
    SET @Skript = N'ALTER TABLE dbo.' + QUOTENAME(@Ext) + N' ADD ' + QUOTENAME(@Atribut) + N' ' + @Typ + N' NULL'
    EXEC(@Skript)
    IF @@ERROR <> 0 RETURN 1
END
RETURN 0
GO

-- Next employee number of series @Rada (TabMzRadyOsCisel, CisloOd..CisloDo): one more
-- than the highest TabCisZam.Cislo used within the series, or CisloOd when none is used;
-- when that passes CisloDo, the smallest unused number of the series. An unknown or
-- exhausted series raises an error and leaves @Cislo NULL.
CREATE PROCEDURE dbo.hp_MzVratCisZamRada_Cislo
    @Rada NVARCHAR(3),
    @Cislo INT OUTPUT
AS
SET NOCOUNT ON
DECLARE @Od INT, @Do INT, @Zprava NVARCHAR(400)
SET @Cislo = NULL
SELECT @Od = CisloOd, @Do = CisloDo FROM dbo.TabMzRadyOsCisel WHERE Rada = @Rada
IF @Od IS NULL
BEGIN
    SET @Zprava = N'Řada osobních čísel ' + ISNULL(@Rada, N'NULL') + N' neexistuje.'
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
SELECT @Cislo = MAX(Cislo) FROM dbo.TabCisZam WHERE Cislo >= @Od AND Cislo <= @Do
IF @Cislo IS NULL
    SET @Cislo = @Od
ELSE IF @Cislo < @Do
    SET @Cislo = @Cislo + 1
ELSE
BEGIN
    SET @Cislo = NULL
    IF NOT EXISTS (SELECT * FROM dbo.TabCisZam WHERE Cislo = @Od)
        SET @Cislo = @Od
    ELSE
        SELECT @Cislo = MIN(a.Cislo + 1) FROM dbo.TabCisZam a
        WHERE a.Cislo >= @Od AND a.Cislo < @Do
          AND NOT EXISTS (SELECT * FROM dbo.TabCisZam b WHERE b.Cislo = a.Cislo + 1)
END
IF @Cislo IS NULL
BEGIN
    SET @Zprava = N'Řada osobních čísel ' + @Rada + N' je vyčerpána.'
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
RETURN 0
GO

-- Payroll record of a new employee: creates the TabZamMzd row of employee @IDZam for
-- period @IdObdobi when it is missing (in service, calendar 1 of the period's year, the
-- employee's department, cost pool and job order), and the employee's calendar of that
-- year with its days copied from the company calendar when it is missing.
CREATE PROCEDURE dbo.hp_PridejMzdovouVetu
    @IDZam INT,
    @IdObdobi INT
AS
SET NOCOUNT ON
DECLARE @Rok INT, @IDKalendar INT, @IDKalendarZam INT, @Uvazek NUMERIC(19,6), @Zprava NVARCHAR(400)
IF NOT EXISTS (SELECT * FROM dbo.TabCisZam WHERE ID = @IDZam)
BEGIN
    SET @Zprava = N'Zaměstnanec s ID ' + ISNULL(CAST(@IDZam AS NVARCHAR(11)), N'NULL') + N' neexistuje.'
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
SELECT @Rok = Rok FROM dbo.TabMzdObd WHERE IdObdobi = @IdObdobi
IF @Rok IS NULL
BEGIN
    SET @Zprava = N'Mzdové období ' + ISNULL(CAST(@IdObdobi AS NVARCHAR(11)), N'NULL') + N' neexistuje.'
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
SELECT TOP 1 @IDKalendar = ID, @Uvazek = UvazekTyden FROM dbo.TabMzKalendar WHERE Rok = @Rok AND Cislo = 1
IF NOT EXISTS (SELECT * FROM dbo.TabZamMzd WHERE ZamestnanecId = @IDZam AND IdObdobi = @IdObdobi)
BEGIN
    INSERT INTO dbo.TabZamMzd (ZamestnanecId, IdObdobi, StavES, DruhPP, DruhMzdyMesHod, ZakladniPlat,
        RokKalendare, DruhKalendare, TydenniUvazek, Stredisko, NakladovyOkruh, Zakazka)
    SELECT z.ID, @IdObdobi, 0, 0, 0, 0, @Rok, 1, @Uvazek, z.Stredisko, z.NakladovyOkruh, z.Zakazka
    FROM dbo.TabCisZam z WHERE z.ID = @IDZam
    IF @@ERROR <> 0 RETURN 1
END
IF NOT EXISTS (SELECT * FROM dbo.TabMzKalendarZam WHERE ZamestnanecId = @IDZam AND Rok = @Rok AND Cislo = 1)
BEGIN
    INSERT INTO dbo.TabMzKalendarZam (Rok, Cislo, ZamestnanecId, UvazekTyden) VALUES (@Rok, 1, @IDZam, @Uvazek)
    IF @@ERROR <> 0 RETURN 1
    SET @IDKalendarZam = SCOPE_IDENTITY()
    INSERT INTO dbo.TabMzKalendarDnyZam (IDKalendar, Datum, TypDne, PocetHodin)
    SELECT @IDKalendarZam, d.Datum, d.TypDne, d.PocetHodin FROM dbo.TabMzKalendarDny d WHERE d.IDKalendar = @IDKalendar
    IF @@ERROR <> 0 RETURN 1
END
RETURN 0
GO

-- Exchange rate of currency @Mena into the main currency on @Datum: Kurz / JednotkaMeny
-- of the latest TabKurzList row dated on or before @Datum, else of the latest row at all;
-- 1 for the main currency or no currency. A currency without any rate raises an error.
CREATE PROCEDURE dbo.hpi_VratKurz
    @Mena NVARCHAR(3),
    @Datum DATETIME,
    @Kurz NUMERIC(19,6) OUTPUT
AS
SET NOCOUNT ON
DECLARE @Zprava NVARCHAR(400)
SET @Kurz = 1
IF @Mena IS NULL OR @Mena = N'' OR EXISTS (SELECT * FROM dbo.TabKodMen WHERE Kod = @Mena AND HlavniMena = 1)
    RETURN 0
SET @Kurz = NULL
SELECT TOP 1 @Kurz = Kurz / JednotkaMeny FROM dbo.TabKurzList
WHERE Mena = @Mena AND Datum <= ISNULL(@Datum, GETDATE()) ORDER BY Datum DESC
IF @Kurz IS NULL
    SELECT TOP 1 @Kurz = Kurz / JednotkaMeny FROM dbo.TabKurzList WHERE Mena = @Mena ORDER BY Datum DESC
IF @Kurz IS NULL
BEGIN
    SET @Zprava = N'V kurzovním lístku chybí kurz měny ' + @Mena + N'.'
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
RETURN 0
GO

-- Travel allowances of travel document @ID. For each leg, its duration in hours is split
-- into whole days (24 h each at the full rate) and the rest, paid by bands:
--   own country (KodZeme NULL or the own country), in the main currency:
--     CZ: 5-12 h 67, 12-18 h 101, over 18 h 158;  SK (Legislativa 1): 4.20, 6.30, 9.80;
--   abroad, in the leg's currency: base 45 a day; over 18 h full, 12-18 h two thirds,
--     1-12 h one third.
-- The amount is reduced by the leg's ProcStrav percentage (meals provided) and stored in
-- CelkemStravne, rounded to two decimals. The document's CelkemDiety becomes the sum of
-- CelkemStravne + CelkemKapesne of its legs, converted to the main currency.
CREATE PROCEDURE dbo.hpi_VypoctiDiety
    @ID INT
AS
SET NOCOUNT ON
DECLARE @VlastniZeme NVARCHAR(3), @Legislativa INT, @Zprava NVARCHAR(400), @Ret INT,
    @Nizka NUMERIC(19,6), @Stredni NUMERIC(19,6), @Plna NUMERIC(19,6), @Zahranicni NUMERIC(19,6),
    @IDUsek INT, @Od DATETIME, @Do DATETIME, @Zeme NVARCHAR(3), @Mena NVARCHAR(3),
    @ProcStrav NUMERIC(19,6), @Kapesne NUMERIC(19,6), @Hodiny FLOAT, @Dny INT, @Zbytek FLOAT,
    @Stravne NUMERIC(19,2), @Kurz NUMERIC(19,6), @Diety NUMERIC(19,6)
IF NOT EXISTS (SELECT * FROM dbo.TabICestak WHERE ID = @ID)
BEGIN
    SET @Zprava = N'Cestovní příkaz s ID ' + ISNULL(CAST(@ID AS NVARCHAR(11)), N'NULL') + N' neexistuje.'
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
SELECT TOP 1 @VlastniZeme = ISOKod FROM dbo.TabZeme WHERE Vlastni = 1
SELECT TOP 1 @Legislativa = Legislativa FROM dbo.TabHGlob
IF @Legislativa = 1
BEGIN
    SET @Nizka = 4.20
    SET @Stredni = 6.30
    SET @Plna = 9.80
END
ELSE
BEGIN
    SET @Nizka = 67
    SET @Stredni = 101
    SET @Plna = 158
END
SET @Zahranicni = 45
SET @Diety = 0
DECLARE c CURSOR LOCAL FAST_FORWARD FOR
    SELECT ID, DatCasPocatek, DatCasKonec, KodZeme, Mena, ISNULL(ProcStrav, 0), ISNULL(CelkemKapesne, 0)
    FROM dbo.TabICestaUsek WHERE IDCestak = @ID
OPEN c
WHILE 1 = 1
BEGIN
    FETCH NEXT FROM c INTO @IDUsek, @Od, @Do, @Zeme, @Mena, @ProcStrav, @Kapesne
    IF @@FETCH_STATUS <> 0 BREAK
    SET @Hodiny = 0
    IF @Od IS NOT NULL AND @Do IS NOT NULL AND @Do > @Od
        SET @Hodiny = (CONVERT(FLOAT, @Do) - CONVERT(FLOAT, @Od)) * 24
    SET @Dny = CONVERT(INT, @Hodiny / 24)
    SET @Zbytek = @Hodiny - @Dny * 24
    IF @Zeme IS NULL OR @Zeme = N'' OR @Zeme = @VlastniZeme
        SET @Stravne = @Dny * @Plna
            + CASE WHEN @Zbytek > 18 THEN @Plna WHEN @Zbytek >= 12 THEN @Stredni
                   WHEN @Zbytek >= 5 THEN @Nizka ELSE 0 END
    ELSE
        SET @Stravne = @Dny * @Zahranicni
            + CASE WHEN @Zbytek > 18 THEN @Zahranicni WHEN @Zbytek > 12 THEN @Zahranicni * 2 / 3
                   WHEN @Zbytek >= 1 THEN @Zahranicni / 3 ELSE 0 END
    SET @Stravne = @Stravne * (100 - @ProcStrav) / 100
    UPDATE dbo.TabICestaUsek SET CelkemStravne = @Stravne WHERE ID = @IDUsek
    EXEC @Ret = dbo.hpi_VratKurz @Mena, @Od, @Kurz OUTPUT
    IF @Ret <> 0
    BEGIN
        DEALLOCATE c
        RETURN 1
    END
    SET @Diety = @Diety + (@Stravne + @Kapesne) * @Kurz
END
DEALLOCATE c
UPDATE dbo.TabICestak SET CelkemDiety = CAST(@Diety AS NUMERIC(19,2)) WHERE ID = @ID
RETURN 0
GO

-- Totals of travel document @ID, all in the main currency:
--   CelkemNaklady = sum of the costs' CenaKc;
--   CelkemPHM     = sum of litres x price per litre (CenaKc, or CenaVal at the rate of Mena
--                   on the fuel row's date);
--   CelkemNahrady = for a private car (TypDopravy 'S') when @Prepocet is 1:
--                   KMCelkem x (SazbaKm + Spotreba / 100 x CenaL), else kept as it is;
--   CelkemKc      = CelkemDiety + CelkemNahrady + CelkemNaklady + CelkemPHM, where fuel
--                   bought for a private car is not counted again (the compensation covers it).
CREATE PROCEDURE dbo.hpi_VypoctiCestak
    @ID INT,
    @Prepocet INT = 1
AS
SET NOCOUNT ON
DECLARE @Zprava NVARCHAR(400), @Ret INT, @Litry NUMERIC(19,6), @CenaKc NUMERIC(19,6),
    @CenaVal NUMERIC(19,6), @Mena NVARCHAR(3), @Datum DATETIME, @Kurz NUMERIC(19,6),
    @PHM NUMERIC(19,6), @Soukrome BIT
IF NOT EXISTS (SELECT * FROM dbo.TabICestak WHERE ID = @ID)
BEGIN
    SET @Zprava = N'Cestovní příkaz s ID ' + ISNULL(CAST(@ID AS NVARCHAR(11)), N'NULL') + N' neexistuje.'
    RAISERROR(@Zprava, 16, 1)
    RETURN 1
END
SET @PHM = 0
DECLARE p CURSOR LOCAL FAST_FORWARD FOR
    SELECT ISNULL(Litry, 0), ISNULL(CenaKc, 0), ISNULL(CenaVal, 0), Mena, Datum
    FROM dbo.TabICestaPHM WHERE IDCestak = @ID
OPEN p
WHILE 1 = 1
BEGIN
    FETCH NEXT FROM p INTO @Litry, @CenaKc, @CenaVal, @Mena, @Datum
    IF @@FETCH_STATUS <> 0 BREAK
    EXEC @Ret = dbo.hpi_VratKurz @Mena, @Datum, @Kurz OUTPUT
    IF @Ret <> 0
    BEGIN
        DEALLOCATE p
        RETURN 1
    END
    IF @Mena IS NULL OR @Mena = N'' OR EXISTS (SELECT * FROM dbo.TabKodMen WHERE Kod = @Mena AND HlavniMena = 1)
        SET @PHM = @PHM + @Litry * @CenaKc
    ELSE
        SET @PHM = @PHM + @Litry * @CenaVal * @Kurz
END
DEALLOCATE p
SELECT @Soukrome = CASE WHEN TypDopravy = N'S' THEN 1 ELSE 0 END FROM dbo.TabICestak WHERE ID = @ID
UPDATE dbo.TabICestak SET
    CelkemNaklady = ISNULL((SELECT SUM(ISNULL(n.CenaKc, 0)) FROM dbo.TabICestaNakl n WHERE n.IDCestak = @ID), 0),
    CelkemPHM = CAST(@PHM AS NUMERIC(19,2))
WHERE ID = @ID
IF @Soukrome = 1 AND @Prepocet = 1
    UPDATE dbo.TabICestak SET
        CelkemNahrady = CAST(ISNULL(KMCelkem, 0) * (ISNULL(SazbaKm, 0) + ISNULL(Spotreba, 0) / 100 * ISNULL(CenaL, 0))
            AS NUMERIC(19,2))
    WHERE ID = @ID
UPDATE dbo.TabICestak SET
    CelkemKc = CelkemDiety + CelkemNahrady + CelkemNaklady + CASE WHEN @Soukrome = 1 THEN 0 ELSE CelkemPHM END
WHERE ID = @ID
RETURN 0
GO

-- Payroll preprocessing import by user procedures (the action "A_ExtorniProc" of the
-- preprocessing browse). For period @IdObdobi (default: the current period, Stav 1) and for
-- each definition of TabMzImpDefUP with VlastniUP 1, in ID order:
--   1. creates #PredzpImportTable and runs the definition's procedure JmenoUP as
--      "EXEC <JmenoUP> @IdObdobi, @TabName OUTPUT, @AtrName OUTPUT"; the procedure fills the table;
--   2. inserts one TabPredzp row per filled row of that period that names an employee and a
--      payroll component (other rows are left out and stay pending at their source);
--   3. when the procedure returned @TabName and @AtrName, stores the new TabPredzp.ID in
--      column @AtrName of row Pomocne_ID of table @TabName.
-- The whole import is one transaction: an error leaves nothing imported. No result set.
CREATE PROCEDURE dbo.hp_MzPredzpImportUP
    @IdObdobi INT = NULL
AS
SET NOCOUNT ON
DECLARE @IDDef INT, @JmenoUP NVARCHAR(255), @TabName VARCHAR(50), @AtrName VARCHAR(50), @Skript NVARCHAR(MAX),
    @Zprava NVARCHAR(400), @Radek INT, @PomocneID INT, @NoveID INT
IF @IdObdobi IS NULL
    SELECT @IdObdobi = IdObdobi FROM dbo.TabMzdObd WHERE Stav = 1
IF @IdObdobi IS NULL OR NOT EXISTS (SELECT * FROM dbo.TabMzdObd WHERE IdObdobi = @IdObdobi)
BEGIN
    RAISERROR(N'Mzdové období pro import předzpracování neexistuje.', 16, 1)
    RETURN 1
END
CREATE TABLE #PredzpImportTable (
    Radek INT IDENTITY(1,1) NOT NULL,
    Pomocne_ID INT NULL,
    OsCislo INT NULL,
    PrijmeniJmeno NVARCHAR(100) NULL,
    ZamestnanecId INT NULL,
    IdObdobi INT NULL,
    CisloMS INT NULL,
    SkupinaMS INT NULL,
    Castka NUMERIC(19,2) NULL,
    Hodiny NUMERIC(9,2) NULL,
    Dny NUMERIC(9,2) NULL,
    DnyKal NUMERIC(9,2) NULL,
    Procento NUMERIC(9,2) NULL,
    DatumOd DATETIME NULL,
    DatumDo DATETIME NULL,
    Utvar NVARCHAR(100) NULL,
    Zakazka NVARCHAR(100) NULL,
    NakladovyOkruh NVARCHAR(100) NULL,
    IdVozidlo INT NULL
)
CREATE TABLE #PredzpImportVystup (TabName VARCHAR(50) NULL, AtrName VARCHAR(50) NULL)
BEGIN TRANSACTION
DECLARE d CURSOR LOCAL FAST_FORWARD FOR
    SELECT ID, JmenoUP FROM dbo.TabMzImpDefUP WHERE VlastniUP = 1 AND ISNULL(JmenoUP, N'') <> N'' ORDER BY ID
OPEN d
WHILE 1 = 1
BEGIN
    FETCH NEXT FROM d INTO @IDDef, @JmenoUP
    IF @@FETCH_STATUS <> 0 BREAK
    IF @JmenoUP LIKE N'%;%' OR @JmenoUP LIKE N'% %' OR @JmenoUP LIKE N'%''%' OR @JmenoUP LIKE N'%--%'
        OR @JmenoUP LIKE N'%/*%'
    BEGIN
        SET @Zprava = N'Neplatný název procedury importu: ' + @JmenoUP
        RAISERROR(@Zprava, 16, 1)
        GOTO CHYBA
    END
    DELETE FROM #PredzpImportTable
    DELETE FROM #PredzpImportVystup
    SET @Skript = N'DECLARE @TabName VARCHAR(50), @AtrName VARCHAR(50) EXEC ' + @JmenoUP + N' '
        + CAST(@IdObdobi AS NVARCHAR(11)) + N', @TabName OUTPUT, @AtrName OUTPUT '
        + N'INSERT INTO #PredzpImportVystup (TabName, AtrName) VALUES (@TabName, @AtrName)'
    EXEC(@Skript)
    IF @@ERROR <> 0 GOTO CHYBA
    SET @TabName = NULL
    SET @AtrName = NULL
    SELECT TOP 1 @TabName = TabName, @AtrName = AtrName FROM #PredzpImportVystup
    SET @Radek = NULL
    SELECT @Radek = MIN(Radek) FROM #PredzpImportTable
    WHERE IdObdobi = @IdObdobi AND ZamestnanecId IS NOT NULL AND CisloMS IS NOT NULL
    WHILE @Radek IS NOT NULL
    BEGIN
        INSERT INTO dbo.TabPredzp (ZamestnanecId, IdObdobi, CisloMS, SkupinaMS, Castka, Hodiny, Dny, DnyKal,
            Procento, DatumOd, DatumDo, Utvar, Zakazka, NakladovyOkruh, IdVozidlo)
        SELECT ZamestnanecId, IdObdobi, CisloMS, SkupinaMS, Castka, Hodiny, Dny, DnyKal,
            Procento, DatumOd, DatumDo, Utvar, Zakazka, NakladovyOkruh, IdVozidlo
        FROM #PredzpImportTable WHERE Radek = @Radek
        IF @@ERROR <> 0 GOTO CHYBA
        SET @NoveID = SCOPE_IDENTITY()
        SET @PomocneID = NULL
        SELECT @PomocneID = Pomocne_ID FROM #PredzpImportTable WHERE Radek = @Radek
        IF @TabName IS NOT NULL AND @AtrName IS NOT NULL AND @PomocneID IS NOT NULL
        BEGIN
            SET @Skript = N'UPDATE dbo.' + QUOTENAME(@TabName) + N' SET ' + QUOTENAME(@AtrName) + N' = '
                + CAST(@NoveID AS NVARCHAR(11)) + N' WHERE ID = ' + CAST(@PomocneID AS NVARCHAR(11))
            EXEC(@Skript)
            IF @@ERROR <> 0 GOTO CHYBA
        END
        SELECT @Radek = MIN(Radek) FROM #PredzpImportTable
        WHERE IdObdobi = @IdObdobi AND ZamestnanecId IS NOT NULL AND CisloMS IS NOT NULL AND Radek > @Radek
    END
END
DEALLOCATE d
COMMIT
DROP TABLE #PredzpImportVystup
DROP TABLE #PredzpImportTable
RETURN 0
CHYBA:
DEALLOCATE d
IF @@TRANCOUNT > 0 ROLLBACK
DROP TABLE #PredzpImportVystup
DROP TABLE #PredzpImportTable
RETURN 1
GO
