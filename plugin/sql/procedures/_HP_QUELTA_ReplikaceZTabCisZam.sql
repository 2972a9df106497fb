CREATE PROC [dbo].[_HP_QUELTA_ReplikaceZTabCisZam]
  @Cislo INT,
  @PortalID INT
AS
-- Creates the main record (TypZaznamu 2) of a Portal employee who already exists in the host: a
-- copy of the host employee with the payroll record of the current period, the default bank
-- connection, the default e-mail and telephone and the first pension. The main record's text
-- columns that must be filled take the empty text where the host has none.
SET NOCOUNT ON
DECLARE @Obdobi INT
SELECT @Obdobi = IdObdobi FROM TabMzdObd WHERE Stav = 1
INSERT INTO TabQUELTAZamPortal (Cislo, PortalID, CommitNumber, TypZaznamu, DatumVlozeni, NazevBankSpoj, Obdobi,
  Prijmeni, Jmeno, TitulPred, RodnePrijmeni, Pohlavi, DatumNarozeni, MistoNarozeni, RodneCislo, RodinnyStav,
  StatniPrislus, AdrTrvUlice, AdrTrvPopCislo, AdrTrvOrCislo, AdrTrvMisto, AdrTrvPSC, AdrTrvZeme, AdrPrechUlice,
  AdrPrechPopCislo, AdrPrechOrCislo, AdrPrechMisto, AdrPrechPSC, AdrPrechZeme, Utvar, NakladovyOkruh, Zakazka,
  SSN, PovoleniKPobytu, CisloOP, PlatnostOP, CisloPasu, PlatnostPasu, DruhDuchodu, DatumNaroku, DrivejsiPrijmeni,
  DatumVznikuPP, DruhPP, DatumUkonceniPP, ZdravPojistovna, DruhMzdyMesHod, ZakladniPlat, Email, Telefon,
  CisloUctu, KodUstavu, IBANElektronicky, Foto)
SELECT @Cislo, @PortalID, 0, 2, GETDATE(), N'', @Obdobi,
  ISNULL(z.Prijmeni, N''), z.Jmeno, z.TitulPred, z.RodnePrijmeni, z.Pohlavi, z.DatumNarozeni, z.MistoNarozeni,
  z.RodneCislo, z.RodinnyStav, z.StatniPrislus, z.AdrTrvUlice, z.AdrTrvPopCislo, z.AdrTrvOrCislo, z.AdrTrvMisto,
  ISNULL(z.AdrTrvPSC, N''), z.AdrTrvZeme, z.AdrPrechUlice, z.AdrPrechPopCislo, z.AdrPrechOrCislo, z.AdrPrechMisto,
  ISNULL(z.AdrPrechPSC, N''), z.AdrPrechZeme, z.Stredisko, z.NakladovyOkruh, z.Zakazka,
  ISNULL(z.SSN, N''), ISNULL(z.PovoleniKPobytu, N''), ISNULL(z.CisloOP, N''), z.PlatnostOP,
  ISNULL(z.CisloPasu, N''), z.PlatnostPasu, d.DruhDuchodu, d.DatumNaroku, N'',
  m.DatumVznikuPP, m.DruhPP, m.DatumUkonceniPP, m.ZdravPojistovna, ISNULL(m.DruhMzdyMesHod, 0), m.ZakladniPlat,
  e.Spojeni, t.Spojeni, b.CisloUctu, u.KodUstavu, b.IBANElektronicky, z.Obrazek
FROM TabCisZam z
LEFT OUTER JOIN TabZamMzd m ON m.ZamestnanecId = z.ID AND m.IdObdobi = @Obdobi
LEFT OUTER JOIN TabBankSpojeni b ON b.ID = (SELECT TOP 1 b1.ID FROM TabBankSpojeni b1
  WHERE b1.IDZam = z.ID AND b1.Prednastaveno = 1 ORDER BY b1.ID)
LEFT OUTER JOIN TabPenezniUstavy u ON u.ID = b.IDUstavu
LEFT OUTER JOIN TabKontakty e ON e.ID = (SELECT TOP 1 k.ID FROM TabKontakty k
  WHERE k.IDCisZam = z.ID AND k.Prednastaveno = 1 AND k.Druh = 6 ORDER BY k.ID)
LEFT OUTER JOIN TabKontakty t ON t.ID = (SELECT TOP 1 k.ID FROM TabKontakty k
  WHERE k.IDCisZam = z.ID AND k.Prednastaveno = 1 AND k.Druh = 2 ORDER BY k.ID)
LEFT OUTER JOIN TabDuchod d ON d.ID = (SELECT TOP 1 d1.ID FROM TabDuchod d1
  WHERE d1.ZamestnanecID = z.ID ORDER BY d1.ID)
WHERE z.Cislo = @Cislo
