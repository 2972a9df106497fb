CREATE PROC [dbo].[_HP_QUELTA_OdeslaniZmenNaPortal]
  @ID INT,
  @PrenasetCislo BIT
AS
-- Merges the change record @ID into the main record (TypZaznamu 2) of the same Portal employee:
-- every value the change holds replaces the main record's; an empty surname, first name or
-- identity document number counts as no value. The employee number is taken over only with
-- @PrenasetCislo = 1. On an error nothing is changed and the error is raised again.
SET NOCOUNT ON
DECLARE @Chyba NVARCHAR(400)
BEGIN TRY
  BEGIN TRANSACTION
  UPDATE h SET
    Cislo = CASE WHEN @PrenasetCislo = 1 THEN z.Cislo ELSE h.Cislo END,
    CommitNumber = z.CommitNumber,
    Prijmeni = CASE WHEN ISNULL(z.Prijmeni, N'') = N'' THEN h.Prijmeni ELSE z.Prijmeni END,
    Jmeno = CASE WHEN ISNULL(z.Jmeno, N'') = N'' THEN h.Jmeno ELSE z.Jmeno END,
    SSN = CASE WHEN ISNULL(z.SSN, N'') = N'' THEN h.SSN ELSE z.SSN END,
    PovoleniKPobytu = CASE WHEN ISNULL(z.PovoleniKPobytu, N'') = N'' THEN h.PovoleniKPobytu ELSE z.PovoleniKPobytu END,
    CisloOP = CASE WHEN ISNULL(z.CisloOP, N'') = N'' THEN h.CisloOP ELSE z.CisloOP END,
    CisloPasu = CASE WHEN ISNULL(z.CisloPasu, N'') = N'' THEN h.CisloPasu ELSE z.CisloPasu END,
    DrivejsiPrijmeni = CASE WHEN ISNULL(z.DrivejsiPrijmeni, N'') = N'' THEN h.DrivejsiPrijmeni
      ELSE z.DrivejsiPrijmeni END,
    TitulPred = ISNULL(z.TitulPred, h.TitulPred), Pohlavi = ISNULL(z.Pohlavi, h.Pohlavi),
    RodnePrijmeni = ISNULL(z.RodnePrijmeni, h.RodnePrijmeni), DatumNarozeni = ISNULL(z.DatumNarozeni, h.DatumNarozeni),
    MistoNarozeni = ISNULL(z.MistoNarozeni, h.MistoNarozeni), RodneCislo = ISNULL(z.RodneCislo, h.RodneCislo),
    RodinnyStav = ISNULL(z.RodinnyStav, h.RodinnyStav), StatniPrislus = ISNULL(z.StatniPrislus, h.StatniPrislus),
    AdrTrvUlice = ISNULL(z.AdrTrvUlice, h.AdrTrvUlice), AdrTrvPopCislo = ISNULL(z.AdrTrvPopCislo, h.AdrTrvPopCislo),
    AdrTrvOrCislo = ISNULL(z.AdrTrvOrCislo, h.AdrTrvOrCislo), AdrTrvMisto = ISNULL(z.AdrTrvMisto, h.AdrTrvMisto),
    AdrTrvPSC = ISNULL(z.AdrTrvPSC, h.AdrTrvPSC), AdrTrvZeme = ISNULL(z.AdrTrvZeme, h.AdrTrvZeme),
    AdrPrechUlice = ISNULL(z.AdrPrechUlice, h.AdrPrechUlice),
    AdrPrechPopCislo = ISNULL(z.AdrPrechPopCislo, h.AdrPrechPopCislo),
    AdrPrechOrCislo = ISNULL(z.AdrPrechOrCislo, h.AdrPrechOrCislo),
    AdrPrechMisto = ISNULL(z.AdrPrechMisto, h.AdrPrechMisto), AdrPrechPSC = ISNULL(z.AdrPrechPSC, h.AdrPrechPSC),
    AdrPrechZeme = ISNULL(z.AdrPrechZeme, h.AdrPrechZeme), Utvar = ISNULL(z.Utvar, h.Utvar),
    NakladovyOkruh = ISNULL(z.NakladovyOkruh, h.NakladovyOkruh), Zakazka = ISNULL(z.Zakazka, h.Zakazka),
    PlatnostOP = ISNULL(z.PlatnostOP, h.PlatnostOP), PlatnostPasu = ISNULL(z.PlatnostPasu, h.PlatnostPasu),
    DruhDuchodu = ISNULL(z.DruhDuchodu, h.DruhDuchodu), DatumNaroku = ISNULL(z.DatumNaroku, h.DatumNaroku),
    DatumVznikuPP = ISNULL(z.DatumVznikuPP, h.DatumVznikuPP), DruhPP = ISNULL(z.DruhPP, h.DruhPP),
    DatumUkonceniPP = ISNULL(z.DatumUkonceniPP, h.DatumUkonceniPP),
    ZdravPojistovna = ISNULL(z.ZdravPojistovna, h.ZdravPojistovna),
    DruhMzdyMesHod = ISNULL(z.DruhMzdyMesHod, h.DruhMzdyMesHod), ZakladniPlat = ISNULL(z.ZakladniPlat, h.ZakladniPlat),
    Email = ISNULL(z.Email, h.Email), Telefon = ISNULL(z.Telefon, h.Telefon),
    CisloUctu = ISNULL(z.CisloUctu, h.CisloUctu), KodUstavu = ISNULL(z.KodUstavu, h.KodUstavu),
    IBANElektronicky = ISNULL(z.IBANElektronicky, h.IBANElektronicky)
  FROM TabQUELTAZamPortal h
  JOIN TabQUELTAZamPortal z ON z.PortalID = h.PortalID
  WHERE z.ID = @ID AND z.TypZaznamu <> 2 AND h.TypZaznamu = 2
  -- The picture goes over only when the change has one.
  UPDATE h SET Foto = z.Foto
  FROM TabQUELTAZamPortal h
  JOIN TabQUELTAZamPortal z ON z.PortalID = h.PortalID
  WHERE z.ID = @ID AND z.TypZaznamu <> 2 AND h.TypZaznamu = 2 AND z.Foto IS NOT NULL
  COMMIT TRANSACTION
END TRY
BEGIN CATCH
  SET @Chyba = LEFT(ERROR_MESSAGE(), 400)
  IF @@TRANCOUNT > 0
    ROLLBACK TRANSACTION
  RAISERROR(N'%s', 16, 1, @Chyba)
END CATCH
