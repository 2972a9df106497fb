CREATE PROC [dbo].[_HP_QUELTA_NovyZamestnanecZPortalu]
  @Cislo NVARCHAR(20),
  @Prijmeni NVARCHAR(20),
  @Jmeno NVARCHAR(20),
  @TitulPred NVARCHAR(15),
  @Obdobi INT,
  @RodnePrijmeni NVARCHAR(20),
  @Pohlavi NVARCHAR(10),
  @DatumNarozeni DATETIME,
  @MistoNarozeni NVARCHAR(30),
  @RodneCislo NVARCHAR(11),
  @RodinnyStav SMALLINT,
  @StatniPrislus NVARCHAR(3),
  @AdrTrvUlice NVARCHAR(30),
  @AdrTrvPopCislo NVARCHAR(15),
  @AdrTrvOrCislo NVARCHAR(15),
  @AdrTrvPSC NVARCHAR(10),
  @AdrTrvZeme NVARCHAR(3),
  @AdrPrechUlice NVARCHAR(30),
  @AdrPrechPopCislo NVARCHAR(15),
  @AdrPrechOrCislo NVARCHAR(15),
  @AdrPrechPSC NVARCHAR(10),
  @AdrPrechZeme NVARCHAR(3),
  @Utvar NVARCHAR(30),
  @NakladovyOkruh NVARCHAR(15),
  @Zakazka NVARCHAR(15),
  @SSN NVARCHAR(24),
  @PovoleniKPobytu NVARCHAR(30),
  @CisloOP NVARCHAR(15),
  @PlatnostOP DATETIME,
  @CisloPasu NVARCHAR(20),
  @PlatnostPasu DATETIME,
  @DruhDuchodu INT,
  @DatumNaroku DATETIME,
  @DrivejsiPrijmeni NVARCHAR(40),
  @DatumVznikuPP DATETIME,
  @DruhPP SMALLINT,
  @DatumUkonceniPP DATETIME,
  @ZdravPojistovna NVARCHAR(3),
  @DruhMzdyMesHod SMALLINT,
  @ZakladniPlat NUMERIC(19,6),
  @Email NVARCHAR(255),
  @Telefon NVARCHAR(255),
  @CisloUctu NVARCHAR(100),
  @KodUstavu NVARCHAR(100),
  @IBANElektronicky NVARCHAR(100),
  @PortalID INT,
  @CommitNumber INT,
  @Obrazek IMAGE
AS
-- Stores one employee received from the Portal in TabQUELTAZamPortal.
-- A Portal employee seen for the first time gets a main record (TypZaznamu 2): a copy of the
-- host employee when the Portal knows the employee's number, else the Portal's values, which a
-- first change record (TypZaznamu 1) repeats for approval. Otherwise only the values that differ
-- from the main record are kept, in the pending change record (updated, or a new one), and that
-- change is merged into the main record.
SET NOCOUNT ON
DECLARE @CisloZam INT, @PohlaviKod SMALLINT, @AdrTrvMisto NVARCHAR(40), @AdrPrechMisto NVARCHAR(40),
  @NazevBankSpoj NVARCHAR(100), @DatumVlozeni DATETIME, @Novy BIT, @IDZmeny INT, @TypZaznamu SMALLINT

-- 1. Preparation.
IF ISNULL(@AdrTrvPSC, N'') <> N''
  SELECT TOP 1 @AdrTrvMisto = Mesto FROM TabPSC WHERE Cislo = @AdrTrvPSC ORDER BY ID
IF ISNULL(@AdrPrechPSC, N'') <> N''
  SELECT TOP 1 @AdrPrechMisto = Mesto FROM TabPSC WHERE Cislo = @AdrPrechPSC ORDER BY ID
SET @NazevBankSpoj = @Prijmeni + N' ' + @Jmeno + N' - peníze na účet'
SET @DatumVlozeni = GETDATE()
SET @RodinnyStav = ISNULL(@RodinnyStav, 0)
SET @AdrTrvUlice = ISNULL(@AdrTrvUlice, N'')
SET @AdrTrvPopCislo = ISNULL(@AdrTrvPopCislo, N'')
SET @AdrTrvOrCislo = ISNULL(@AdrTrvOrCislo, N'')
SET @AdrPrechUlice = ISNULL(@AdrPrechUlice, N'')
SET @AdrPrechPopCislo = ISNULL(@AdrPrechPopCislo, N'')
SET @AdrPrechOrCislo = ISNULL(@AdrPrechOrCislo, N'')
SET @PohlaviKod = CASE @Pohlavi WHEN N'MALE' THEN 0 WHEN N'FEMALE' THEN 1 END
SET @CisloZam = CAST(NULLIF(@Cislo, N'') AS INT)

-- 2. A Portal employee seen for the first time.
SET @Novy = 0
IF NOT EXISTS (SELECT * FROM TabQUELTAZamPortal WHERE PortalID = @PortalID)
BEGIN
  IF @CisloZam IS NULL
    SET @Novy = 1
  ELSE
    EXEC [dbo].[_HP_QUELTA_ReplikaceZTabCisZam] @CisloZam, @PortalID
END

IF @Novy = 0
BEGIN
  -- An employee the host has numbered keeps the number while the Portal does not know it yet.
  IF @CisloZam IS NULL
    SELECT TOP 1 @CisloZam = Cislo FROM TabQUELTAZamPortal WHERE PortalID = @PortalID AND TypZaznamu = 2 ORDER BY ID

  -- 4. Only what differs from the main record is a change; an unchanged identity text is empty.
  SELECT TOP 1
    @TitulPred = CASE WHEN @TitulPred = h.TitulPred THEN NULL ELSE @TitulPred END,
    @RodnePrijmeni = CASE WHEN @RodnePrijmeni = h.RodnePrijmeni THEN NULL ELSE @RodnePrijmeni END,
    @PohlaviKod = CASE WHEN @PohlaviKod = h.Pohlavi THEN NULL ELSE @PohlaviKod END,
    @DatumNarozeni = CASE WHEN @DatumNarozeni = h.DatumNarozeni THEN NULL ELSE @DatumNarozeni END,
    @MistoNarozeni = CASE WHEN @MistoNarozeni = h.MistoNarozeni THEN NULL ELSE @MistoNarozeni END,
    @RodneCislo = CASE WHEN @RodneCislo = h.RodneCislo THEN NULL ELSE @RodneCislo END,
    @RodinnyStav = CASE WHEN @RodinnyStav = h.RodinnyStav THEN NULL ELSE @RodinnyStav END,
    @StatniPrislus = CASE WHEN @StatniPrislus = h.StatniPrislus THEN NULL ELSE @StatniPrislus END,
    @AdrTrvUlice = CASE WHEN @AdrTrvUlice = h.AdrTrvUlice THEN NULL ELSE @AdrTrvUlice END,
    @AdrTrvPopCislo = CASE WHEN @AdrTrvPopCislo = h.AdrTrvPopCislo THEN NULL ELSE @AdrTrvPopCislo END,
    @AdrTrvOrCislo = CASE WHEN @AdrTrvOrCislo = h.AdrTrvOrCislo THEN NULL ELSE @AdrTrvOrCislo END,
    @AdrTrvMisto = CASE WHEN @AdrTrvMisto = h.AdrTrvMisto THEN NULL ELSE @AdrTrvMisto END,
    @AdrTrvPSC = CASE WHEN @AdrTrvPSC = h.AdrTrvPSC THEN NULL ELSE @AdrTrvPSC END,
    @AdrTrvZeme = CASE WHEN @AdrTrvZeme = h.AdrTrvZeme THEN NULL ELSE @AdrTrvZeme END,
    @AdrPrechUlice = CASE WHEN @AdrPrechUlice = h.AdrPrechUlice THEN NULL ELSE @AdrPrechUlice END,
    @AdrPrechPopCislo = CASE WHEN @AdrPrechPopCislo = h.AdrPrechPopCislo THEN NULL ELSE @AdrPrechPopCislo END,
    @AdrPrechOrCislo = CASE WHEN @AdrPrechOrCislo = h.AdrPrechOrCislo THEN NULL ELSE @AdrPrechOrCislo END,
    @AdrPrechMisto = CASE WHEN @AdrPrechMisto = h.AdrPrechMisto THEN NULL ELSE @AdrPrechMisto END,
    @AdrPrechPSC = CASE WHEN @AdrPrechPSC = h.AdrPrechPSC THEN NULL ELSE @AdrPrechPSC END,
    @AdrPrechZeme = CASE WHEN @AdrPrechZeme = h.AdrPrechZeme THEN NULL ELSE @AdrPrechZeme END,
    @Utvar = CASE WHEN @Utvar = h.Utvar THEN NULL ELSE @Utvar END,
    @NakladovyOkruh = CASE WHEN @NakladovyOkruh = h.NakladovyOkruh THEN NULL ELSE @NakladovyOkruh END,
    @Zakazka = CASE WHEN @Zakazka = h.Zakazka THEN NULL ELSE @Zakazka END,
    @SSN = CASE WHEN @SSN = h.SSN THEN N'' ELSE @SSN END,
    @PovoleniKPobytu = CASE WHEN @PovoleniKPobytu = h.PovoleniKPobytu THEN N'' ELSE @PovoleniKPobytu END,
    @CisloOP = CASE WHEN @CisloOP = h.CisloOP THEN N'' ELSE @CisloOP END,
    @PlatnostOP = CASE WHEN @PlatnostOP = h.PlatnostOP THEN NULL ELSE @PlatnostOP END,
    @CisloPasu = CASE WHEN @CisloPasu = h.CisloPasu THEN N'' ELSE @CisloPasu END,
    @PlatnostPasu = CASE WHEN @PlatnostPasu = h.PlatnostPasu THEN NULL ELSE @PlatnostPasu END,
    @DruhDuchodu = CASE WHEN @DruhDuchodu = h.DruhDuchodu THEN NULL ELSE @DruhDuchodu END,
    @DatumNaroku = CASE WHEN @DatumNaroku = h.DatumNaroku THEN NULL ELSE @DatumNaroku END,
    @DrivejsiPrijmeni = CASE WHEN @DrivejsiPrijmeni = h.DrivejsiPrijmeni THEN N'' ELSE @DrivejsiPrijmeni END,
    @DatumVznikuPP = CASE WHEN @DatumVznikuPP = h.DatumVznikuPP THEN NULL ELSE @DatumVznikuPP END,
    @DruhPP = CASE WHEN @DruhPP = h.DruhPP THEN NULL ELSE @DruhPP END,
    @DatumUkonceniPP = CASE WHEN @DatumUkonceniPP = h.DatumUkonceniPP THEN NULL ELSE @DatumUkonceniPP END,
    @ZdravPojistovna = CASE WHEN @ZdravPojistovna = h.ZdravPojistovna THEN NULL ELSE @ZdravPojistovna END,
    @DruhMzdyMesHod = CASE WHEN @DruhMzdyMesHod = h.DruhMzdyMesHod THEN NULL ELSE @DruhMzdyMesHod END,
    @ZakladniPlat = CASE WHEN @ZakladniPlat = h.ZakladniPlat THEN NULL ELSE @ZakladniPlat END,
    @Email = CASE WHEN @Email = h.Email THEN NULL ELSE @Email END,
    @Telefon = CASE WHEN @Telefon = h.Telefon THEN NULL ELSE @Telefon END,
    @CisloUctu = CASE WHEN @CisloUctu = h.CisloUctu THEN NULL ELSE @CisloUctu END,
    @KodUstavu = CASE WHEN @KodUstavu = h.KodUstavu THEN NULL ELSE @KodUstavu END,
    @IBANElektronicky = CASE WHEN @IBANElektronicky = h.IBANElektronicky THEN NULL ELSE @IBANElektronicky END
  FROM TabQUELTAZamPortal h
  WHERE h.PortalID = @PortalID AND h.TypZaznamu = 2
  ORDER BY h.ID

  -- 5. A pending change takes the new values and keeps the others.
  SELECT TOP 1 @IDZmeny = ID FROM TabQUELTAZamPortal
  WHERE PortalID = @PortalID AND Stav = 0 AND TypZaznamu <> 2
  ORDER BY ID DESC
  IF @IDZmeny IS NOT NULL
  BEGIN
    UPDATE TabQUELTAZamPortal SET
      CommitNumber = @CommitNumber,
      Cislo = ISNULL(@CisloZam, Cislo), Prijmeni = ISNULL(@Prijmeni, Prijmeni), Jmeno = ISNULL(@Jmeno, Jmeno),
      TitulPred = ISNULL(@TitulPred, TitulPred), Obdobi = ISNULL(@Obdobi, Obdobi),
      RodnePrijmeni = ISNULL(@RodnePrijmeni, RodnePrijmeni), Pohlavi = ISNULL(@PohlaviKod, Pohlavi),
      DatumNarozeni = ISNULL(@DatumNarozeni, DatumNarozeni), MistoNarozeni = ISNULL(@MistoNarozeni, MistoNarozeni),
      RodneCislo = ISNULL(@RodneCislo, RodneCislo), RodinnyStav = ISNULL(@RodinnyStav, RodinnyStav),
      StatniPrislus = ISNULL(@StatniPrislus, StatniPrislus),
      AdrTrvUlice = ISNULL(@AdrTrvUlice, AdrTrvUlice), AdrTrvPopCislo = ISNULL(@AdrTrvPopCislo, AdrTrvPopCislo),
      AdrTrvOrCislo = ISNULL(@AdrTrvOrCislo, AdrTrvOrCislo), AdrTrvMisto = ISNULL(@AdrTrvMisto, AdrTrvMisto),
      AdrTrvPSC = ISNULL(@AdrTrvPSC, AdrTrvPSC), AdrTrvZeme = ISNULL(@AdrTrvZeme, AdrTrvZeme),
      AdrPrechUlice = ISNULL(@AdrPrechUlice, AdrPrechUlice),
      AdrPrechPopCislo = ISNULL(@AdrPrechPopCislo, AdrPrechPopCislo),
      AdrPrechOrCislo = ISNULL(@AdrPrechOrCislo, AdrPrechOrCislo),
      AdrPrechMisto = ISNULL(@AdrPrechMisto, AdrPrechMisto), AdrPrechPSC = ISNULL(@AdrPrechPSC, AdrPrechPSC),
      AdrPrechZeme = ISNULL(@AdrPrechZeme, AdrPrechZeme), Utvar = ISNULL(@Utvar, Utvar),
      NakladovyOkruh = ISNULL(@NakladovyOkruh, NakladovyOkruh), Zakazka = ISNULL(@Zakazka, Zakazka),
      SSN = CASE WHEN @SSN <> N'' THEN @SSN ELSE SSN END,
      PovoleniKPobytu = CASE WHEN @PovoleniKPobytu <> N'' THEN @PovoleniKPobytu ELSE PovoleniKPobytu END,
      CisloOP = CASE WHEN @CisloOP <> N'' THEN @CisloOP ELSE CisloOP END,
      CisloPasu = CASE WHEN @CisloPasu <> N'' THEN @CisloPasu ELSE CisloPasu END,
      DrivejsiPrijmeni = CASE WHEN @DrivejsiPrijmeni <> N'' THEN @DrivejsiPrijmeni ELSE DrivejsiPrijmeni END,
      PlatnostOP = ISNULL(@PlatnostOP, PlatnostOP), PlatnostPasu = ISNULL(@PlatnostPasu, PlatnostPasu),
      DruhDuchodu = ISNULL(@DruhDuchodu, DruhDuchodu), DatumNaroku = ISNULL(@DatumNaroku, DatumNaroku),
      DatumVznikuPP = ISNULL(@DatumVznikuPP, DatumVznikuPP), DruhPP = ISNULL(@DruhPP, DruhPP),
      DatumUkonceniPP = ISNULL(@DatumUkonceniPP, DatumUkonceniPP),
      ZdravPojistovna = ISNULL(@ZdravPojistovna, ZdravPojistovna),
      DruhMzdyMesHod = ISNULL(@DruhMzdyMesHod, DruhMzdyMesHod), ZakladniPlat = ISNULL(@ZakladniPlat, ZakladniPlat),
      Email = ISNULL(@Email, Email), Telefon = ISNULL(@Telefon, Telefon), CisloUctu = ISNULL(@CisloUctu, CisloUctu),
      KodUstavu = ISNULL(@KodUstavu, KodUstavu), IBANElektronicky = ISNULL(@IBANElektronicky, IBANElektronicky),
      NazevBankSpoj = ISNULL(@NazevBankSpoj, NazevBankSpoj)
    WHERE ID = @IDZmeny
    IF @Obrazek IS NOT NULL
      UPDATE TabQUELTAZamPortal SET Foto = @Obrazek WHERE ID = @IDZmeny
  END
END

-- 2., 3. and 5.: the records to insert, all with the values prepared above: the main record of a
-- new employee followed by its first change record, or a new change record.
SET @TypZaznamu = CASE WHEN @Novy = 1 THEN 2 WHEN @IDZmeny IS NULL THEN 1 END
WHILE @TypZaznamu IS NOT NULL
BEGIN
  INSERT INTO TabQUELTAZamPortal (TypZaznamu, Cislo, PortalID, CommitNumber, DatumVlozeni, NazevBankSpoj, Obdobi,
    Prijmeni, Jmeno, TitulPred, RodnePrijmeni, Pohlavi, DatumNarozeni, MistoNarozeni, RodneCislo, RodinnyStav,
    StatniPrislus, AdrTrvUlice, AdrTrvPopCislo, AdrTrvOrCislo, AdrTrvMisto, AdrTrvPSC, AdrTrvZeme, AdrPrechUlice,
    AdrPrechPopCislo, AdrPrechOrCislo, AdrPrechMisto, AdrPrechPSC, AdrPrechZeme, Utvar, NakladovyOkruh, Zakazka,
    SSN, PovoleniKPobytu, CisloOP, PlatnostOP, CisloPasu, PlatnostPasu, DruhDuchodu, DatumNaroku, DrivejsiPrijmeni,
    DatumVznikuPP, DruhPP, DatumUkonceniPP, ZdravPojistovna, DruhMzdyMesHod, ZakladniPlat, Email, Telefon,
    CisloUctu, KodUstavu, IBANElektronicky, Foto)
  VALUES (@TypZaznamu, @CisloZam, @PortalID, @CommitNumber, @DatumVlozeni, @NazevBankSpoj, @Obdobi,
    ISNULL(@Prijmeni, N''), @Jmeno, @TitulPred, @RodnePrijmeni, @PohlaviKod, @DatumNarozeni, @MistoNarozeni,
    @RodneCislo, @RodinnyStav, @StatniPrislus, @AdrTrvUlice, @AdrTrvPopCislo, @AdrTrvOrCislo, @AdrTrvMisto,
    @AdrTrvPSC, @AdrTrvZeme, @AdrPrechUlice, @AdrPrechPopCislo, @AdrPrechOrCislo, @AdrPrechMisto, @AdrPrechPSC,
    @AdrPrechZeme, @Utvar, @NakladovyOkruh, @Zakazka, ISNULL(@SSN, N''), ISNULL(@PovoleniKPobytu, N''),
    ISNULL(@CisloOP, N''), @PlatnostOP, ISNULL(@CisloPasu, N''), @PlatnostPasu, @DruhDuchodu, @DatumNaroku,
    ISNULL(@DrivejsiPrijmeni, N''), @DatumVznikuPP, @DruhPP, @DatumUkonceniPP, @ZdravPojistovna, @DruhMzdyMesHod,
    @ZakladniPlat, @Email, @Telefon, @CisloUctu, @KodUstavu, @IBANElektronicky, @Obrazek)
  SET @IDZmeny = SCOPE_IDENTITY()
  SET @TypZaznamu = CASE WHEN @TypZaznamu = 2 THEN 1 END
END

-- 6. The change goes into the main record (not for a new employee: both records hold the same).
IF @Novy = 0
  EXEC [dbo].[_HP_QUELTA_OdeslaniZmenNaPortal] @IDZmeny, 1
