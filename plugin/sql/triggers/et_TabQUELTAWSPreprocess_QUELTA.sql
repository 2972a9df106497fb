CREATE TRIGGER et_TabQUELTAWSPreprocess_QUELTA ON TabQUELTAWSPreprocess FOR INSERT, UPDATE
AS
-- A preprocessing record written alone gets its class (from the type of its payroll component's
-- group, unless it has one), the employee's names and the payroll component's name.
SET NOCOUNT ON
DECLARE @ID INT, @Trida NVARCHAR(30), @Zamestnanec INT, @Slozka NVARCHAR(100), @Obdobi NVARCHAR(100),
  @Typ INT, @Jmeno NVARCHAR(20), @Prijmeni NVARCHAR(20), @NazevMzSl NVARCHAR(40)
IF (SELECT COUNT(*) FROM inserted) <> 1
  RETURN
SELECT @ID = ID, @Trida = PreprocessClass, @Zamestnanec = employeeErpPk, @Slozka = PayrollComponentsType,
  @Obdobi = period
FROM inserted
IF @Trida IS NULL
BEGIN
  SELECT TOP 1 @Typ = s.Typ
  FROM TabCisMzSl m
  JOIN TabSkupMS s ON s.SkupinaMS = m.SkupinaMS AND s.IdObdobi = m.IdObdobi
  WHERE m.CisloMzSl = @Slozka AND m.IdObdobi = @Obdobi
  SET @Trida = CASE
    WHEN @Typ IN (0, 2, 6) THEN N'Record'
    WHEN @Typ IN (1, 3, 4, 5, 7, 8, 10) THEN N'CashIncome' END
END
SELECT TOP 1 @Jmeno = Jmeno, @Prijmeni = Prijmeni FROM TabCisZam WHERE Cislo = @Zamestnanec
SELECT TOP 1 @NazevMzSl = NazevMS FROM TabCisMzSl WHERE CisloMzSl = @Slozka AND IdObdobi = @Obdobi
UPDATE TabQUELTAWSPreprocess SET PreprocessClass = @Trida, Jmeno = @Jmeno, Prijmeni = @Prijmeni,
  NazevMzSl = @NazevMzSl
WHERE ID = @ID
