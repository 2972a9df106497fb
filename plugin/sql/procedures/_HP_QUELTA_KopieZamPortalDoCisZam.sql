CREATE PROC [dbo].[_HP_QUELTA_KopieZamPortalDoCisZam]
  @ID INT,
  @Rada NVARCHAR(3)
AS
-- Transfers the Portal employee of record @ID into the host: an employee without a host number
-- gets a new one (the first free number, or the next one of the number series @Rada) and a new
-- host employee with a payroll record; then the host employee, the payroll record of the main
-- record's period, contacts, bank connection and former surnames take the main record's values,
-- and every record of the Portal employee is marked as transferred. Either all of it is done or
-- nothing: an error is stored in TextChyby of record @ID instead.
SET NOCOUNT ON
DECLARE @PortalID INT, @Cislo INT, @IDZam INT, @Obdobi INT, @Email NVARCHAR(255), @Telefon NVARCHAR(255),
  @CisloUctu NVARCHAR(100), @KodUstavu NVARCHAR(100), @IBANElektronicky NVARCHAR(100),
  @NazevBankSpoj NVARCHAR(100), @DrivejsiPrijmeni NVARCHAR(40), @IDUstavu INT, @Hlavni INT,
  @Zbytek NVARCHAR(40), @Carka INT, @Prijmeni NVARCHAR(40), @Chyba NVARCHAR(400)
BEGIN TRY
  BEGIN TRANSACTION

  -- 1. The record and the main record of its Portal employee.
  SELECT @PortalID = PortalID, @Cislo = Cislo FROM TabQUELTAZamPortal WHERE ID = @ID
  SELECT TOP 1 @Hlavni = ID, @Obdobi = Obdobi, @Email = Email, @Telefon = Telefon, @CisloUctu = CisloUctu,
    @KodUstavu = KodUstavu, @IBANElektronicky = IBANElektronicky,
    @NazevBankSpoj = Prijmeni + N' ' + Jmeno + N' - peníze na účet',
    @DrivejsiPrijmeni = NULLIF(DrivejsiPrijmeni, N'')
  FROM TabQUELTAZamPortal
  WHERE PortalID = @PortalID AND TypZaznamu = 2
  ORDER BY ID
  IF @Hlavni IS NULL
    RAISERROR(N'Zaměstnanec z portálu nemá hlavní záznam, nelze ho přenést.', 16, 1)

  -- 2. A new employee number.
  IF ISNULL(@Cislo, 0) = 0
  BEGIN
    IF ISNULL(@Rada, N'') = N''
      EXEC @Cislo = [dbo].[hp_NajdiPrvniVolny] 'TabCisZam', 'Cislo', 1, 999999, '',1,0
    ELSE
      EXEC dbo.hp_MzVratCisZamRada_Cislo @Rada, @Cislo OUT
    IF ISNULL(@Cislo, 0) = 0
      RAISERROR(N'Pro zaměstnance z portálu nebylo nalezeno volné osobní číslo.', 16, 1)
  END

  -- 3. A new host employee with the payroll record of the period; the Portal employee's records
  -- learn the number.
  IF NOT EXISTS (SELECT * FROM TabCisZam WHERE Cislo = @Cislo)
  BEGIN
    INSERT INTO TabCisZam (Cislo) VALUES (@Cislo)
    SET @IDZam = SCOPE_IDENTITY()
    EXEC dbo.hp_PridejMzdovouVetu @IDZam, @Obdobi
    UPDATE TabQUELTAZamPortal SET Cislo = @Cislo WHERE PortalID = @PortalID
  END
  SELECT @IDZam = ID FROM TabCisZam WHERE Cislo = @Cislo

  -- 4. The host employee; the towns of the addresses come from the postal codes.
  UPDATE z SET
    Prijmeni = NULLIF(p.Prijmeni, N''), Jmeno = NULLIF(p.Jmeno, N''),
    TitulPred = ISNULL(p.TitulPred, N''), RodnePrijmeni = ISNULL(p.RodnePrijmeni, N''),
    MistoNarozeni = ISNULL(p.MistoNarozeni, N''), RodneCislo = ISNULL(p.RodneCislo, N''),
    AdrTrvUlice = ISNULL(p.AdrTrvUlice, N''), AdrTrvPopCislo = ISNULL(p.AdrTrvPopCislo, N''),
    AdrTrvOrCislo = ISNULL(p.AdrTrvOrCislo, N''), AdrTrvPSC = ISNULL(p.AdrTrvPSC, N''),
    AdrPrechUlice = ISNULL(p.AdrPrechUlice, N''), AdrPrechPopCislo = ISNULL(p.AdrPrechPopCislo, N''),
    AdrPrechOrCislo = ISNULL(p.AdrPrechOrCislo, N''), AdrPrechPSC = ISNULL(p.AdrPrechPSC, N''),
    Pohlavi = ISNULL(p.Pohlavi, 2), RodinnyStav = ISNULL(p.RodinnyStav, 0),
    DatumNarozeni = p.DatumNarozeni, StatniPrislus = p.StatniPrislus,
    AdrTrvZeme = p.AdrTrvZeme, AdrPrechZeme = p.AdrPrechZeme,
    NakladovyOkruh = p.NakladovyOkruh, Zakazka = p.Zakazka,
    SSN = p.SSN, PovoleniKPobytu = p.PovoleniKPobytu, CisloOP = p.CisloOP, PlatnostOP = p.PlatnostOP,
    CisloPasu = p.CisloPasu, PlatnostPasu = p.PlatnostPasu,
    Stredisko = p.Utvar, Obrazek = p.Foto,
    AdrTrvMisto = ISNULL((SELECT TOP 1 LEFT(s.Mesto, 40) FROM TabPSC s WHERE s.Cislo = p.AdrTrvPSC ORDER BY s.ID), N''),
    AdrPrechMisto = ISNULL((SELECT TOP 1 LEFT(s.Mesto, 40) FROM TabPSC s WHERE s.Cislo = p.AdrPrechPSC ORDER BY s.ID),
      N'')
  FROM TabCisZam z
  JOIN TabQUELTAZamPortal p ON p.ID = @Hlavni
  WHERE z.ID = @IDZam

  -- 5. The payroll record of the main record's period.
  UPDATE m SET
    DatumVznikuPP = p.DatumVznikuPP, DatumUkonceniPP = p.DatumUkonceniPP, ZdravPojistovna = p.ZdravPojistovna,
    Stredisko = p.Utvar, NakladovyOkruh = p.NakladovyOkruh, Zakazka = p.Zakazka,
    DruhPP = ISNULL(p.DruhPP, m.DruhPP), ZakladniPlat = ISNULL(p.ZakladniPlat, m.ZakladniPlat),
    DruhMzdyMesHod = ISNULL(p.DruhMzdyMesHod, 0)
  FROM TabZamMzd m
  JOIN TabQUELTAZamPortal p ON p.ID = @Hlavni
  WHERE m.ZamestnanecId = @IDZam AND m.IdObdobi = @Obdobi

  -- 6. Telephone and e-mail, unless the employee has them already.
  IF ISNULL(@Telefon, N'') <> N''
    AND NOT EXISTS (SELECT * FROM TabKontakty WHERE IDCisZam = @IDZam AND Druh = 2 AND Spojeni = @Telefon)
    INSERT INTO TabKontakty (Druh, Spojeni, IDCisZam) VALUES (2, @Telefon, @IDZam)
  IF ISNULL(@Email, N'') <> N''
    AND NOT EXISTS (SELECT * FROM TabKontakty WHERE IDCisZam = @IDZam AND Druh = 6 AND Spojeni = @Email)
    INSERT INTO TabKontakty (Druh, Spojeni, IDCisZam) VALUES (6, @Email, @IDZam)

  -- 7. The bank connection, unless the employee has a default one.
  IF ISNULL(@KodUstavu, N'') <> N''
    SELECT TOP 1 @IDUstavu = ID FROM TabPenezniUstavy WHERE KodUstavu = @KodUstavu ORDER BY ID
  IF ISNULL(@CisloUctu, N'') <> N''
    AND NOT EXISTS (SELECT * FROM TabBankSpojeni WHERE IDZam = @IDZam AND Prednastaveno = 1)
    INSERT INTO TabBankSpojeni (KonstantniSymbol, SpecifickySymbol, IDZam, Prednastaveno, IDUstavu, CisloUctu,
      IBANElektronicky, NazevBankSpoj)
    VALUES (N'', N'', @IDZam, 1, @IDUstavu, @CisloUctu, @IBANElektronicky, @NazevBankSpoj)

  -- 8. Former surnames, separated by commas, in their order.
  DELETE FROM TabZamJme WHERE ZamestnanecId = @IDZam
  SET @Zbytek = @DrivejsiPrijmeni
  WHILE @Zbytek IS NOT NULL
  BEGIN
    SET @Carka = CHARINDEX(N',', @Zbytek)
    IF @Carka > 0
    BEGIN
      SET @Prijmeni = LTRIM(RTRIM(LEFT(@Zbytek, @Carka - 1)))
      SET @Zbytek = SUBSTRING(@Zbytek, @Carka + 1, 40)
    END
    ELSE
    BEGIN
      SET @Prijmeni = LTRIM(RTRIM(@Zbytek))
      SET @Zbytek = NULL
    END
    IF @Prijmeni <> N''
      AND NOT EXISTS (SELECT * FROM TabZamJme WHERE ZamestnanecId = @IDZam AND Prijmeni = @Prijmeni)
      INSERT INTO TabZamJme (ZamestnanecID, Prijmeni, Poradi)
      SELECT @IDZam, @Prijmeni, ISNULL(MAX(Poradi), 0) + 1 FROM TabZamJme WHERE ZamestnanecId = @IDZam
  END

  -- 9. Done.
  UPDATE TabQUELTAZamPortal SET Stav = 2, DatumPreneseni = GETDATE(), AutorPreneseni = SUSER_SNAME()
  WHERE PortalID = @PortalID
  COMMIT TRANSACTION
END TRY
BEGIN CATCH
  -- 10. Nothing stays half-written; the error is kept for the user (as much as the column holds).
  SET @Chyba = LEFT(ERROR_MESSAGE(), 400)
  IF @@TRANCOUNT > 0
    ROLLBACK TRANSACTION
  UPDATE TabQUELTAZamPortal SET TextChyby = LEFT(@Chyba, 255) WHERE ID = @ID
END CATCH
