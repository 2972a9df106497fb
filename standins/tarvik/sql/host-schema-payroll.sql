-- Tarvik host database: payroll and human resources (periods, employees and their
-- payroll records, family, contacts, bank connections, calendars, payroll components,
-- funds and insurers, tax reliefs, results, payment orders, positions, preprocessing,
-- series of employee numbers).

-- Payroll periods; Stav 1 marks the current period (exactly one row), 2 the running one.
CREATE TABLE dbo.TabMzdObd (
    IdObdobi INT NOT NULL CONSTRAINT PK__TabMzdObd__IdObdobi PRIMARY KEY,
    Rok INT NOT NULL,
    Mesic INT NOT NULL CONSTRAINT CK__TabMzdObd__Mesic CHECK (Mesic >= 1 AND Mesic <= 12),
    Stav INT NOT NULL CONSTRAINT DF__TabMzdObd__Stav DEFAULT 0,
    Uzavreno INT NOT NULL CONSTRAINT DF__TabMzdObd__Uzavreno DEFAULT 0,
    CONSTRAINT UQ__TabMzdObd__Rok UNIQUE (Rok, Mesic)
)
GO

-- Employees.
CREATE TABLE dbo.TabCisZam (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabCisZam__ID PRIMARY KEY,
    Cislo INT NOT NULL CONSTRAINT UQ__TabCisZam__Cislo UNIQUE,
    Prijmeni NVARCHAR(20) NULL,
    Jmeno NVARCHAR(20) NULL,
    PrijmeniJmeno AS (RTRIM(ISNULL(Prijmeni, N'') + N' ' + ISNULL(Jmeno, N''))),
    TitulPred NVARCHAR(15) NULL CONSTRAINT DF__TabCisZam__TitulPred DEFAULT N'',
    RodnePrijmeni NVARCHAR(20) NULL CONSTRAINT DF__TabCisZam__RodnePrijmeni DEFAULT N'',
    Pohlavi SMALLINT NULL CONSTRAINT DF__TabCisZam__Pohlavi DEFAULT 2,
    DatumNarozeni DATETIME NULL,
    MistoNarozeni NVARCHAR(30) NULL CONSTRAINT DF__TabCisZam__MistoNarozeni DEFAULT N'',
    RodneCislo NVARCHAR(11) NULL CONSTRAINT DF__TabCisZam__RodneCislo DEFAULT N'',
    RodinnyStav SMALLINT NULL CONSTRAINT DF__TabCisZam__RodinnyStav DEFAULT 0,
    Narodnost NVARCHAR(30) NULL,
    StatniPrislus NVARCHAR(3) NULL,
    AdrTrvUlice NVARCHAR(30) NULL CONSTRAINT DF__TabCisZam__AdrTrvUlice DEFAULT N'',
    AdrTrvPopCislo NVARCHAR(15) NULL CONSTRAINT DF__TabCisZam__AdrTrvPopCislo DEFAULT N'',
    AdrTrvOrCislo NVARCHAR(15) NULL CONSTRAINT DF__TabCisZam__AdrTrvOrCislo DEFAULT N'',
    AdrTrvMisto NVARCHAR(40) NULL CONSTRAINT DF__TabCisZam__AdrTrvMisto DEFAULT N'',
    AdrTrvPSC NVARCHAR(10) NULL CONSTRAINT DF__TabCisZam__AdrTrvPSC DEFAULT N'',
    AdrTrvZeme NVARCHAR(3) NULL,
    AdrPrechUlice NVARCHAR(30) NULL CONSTRAINT DF__TabCisZam__AdrPrechUlice DEFAULT N'',
    AdrPrechPopCislo NVARCHAR(15) NULL CONSTRAINT DF__TabCisZam__AdrPrechPopCislo DEFAULT N'',
    AdrPrechOrCislo NVARCHAR(15) NULL CONSTRAINT DF__TabCisZam__AdrPrechOrCislo DEFAULT N'',
    AdrPrechMisto NVARCHAR(40) NULL CONSTRAINT DF__TabCisZam__AdrPrechMisto DEFAULT N'',
    AdrPrechPSC NVARCHAR(10) NULL CONSTRAINT DF__TabCisZam__AdrPrechPSC DEFAULT N'',
    AdrPrechZeme NVARCHAR(3) NULL,
    Stredisko NVARCHAR(30) NULL,
    NakladovyOkruh NVARCHAR(15) NULL,
    Zakazka NVARCHAR(15) NULL,
    SSN NVARCHAR(24) NULL,
    PovoleniKPobytu NVARCHAR(30) NULL,
    CisloOP NVARCHAR(15) NULL,
    PlatnostOP DATETIME NULL,
    CisloPasu NVARCHAR(20) NULL,
    PlatnostPasu DATETIME NULL,
    Obrazek IMAGE NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabCisZam__DatPorizeni DEFAULT GETDATE(),
    Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabCisZam__Autor DEFAULT SUSER_SNAME()
)
GO

-- Payroll record of an employee in a period.
CREATE TABLE dbo.TabZamMzd (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZamMzd__ID PRIMARY KEY,
    ZamestnanecId INT NOT NULL,
    IdObdobi INT NOT NULL,
    DatumVznikuPP DATETIME NULL,
    DatumUkonceniPP DATETIME NULL,
    DruhPP SMALLINT NULL CONSTRAINT DF__TabZamMzd__DruhPP DEFAULT 0,
    ZdravPojistovna NVARCHAR(3) NULL,
    DruhMzdyMesHod SMALLINT NULL CONSTRAINT DF__TabZamMzd__DruhMzdyMesHod DEFAULT 0,
    ZakladniPlat NUMERIC(19,6) NULL CONSTRAINT DF__TabZamMzd__ZakladniPlat DEFAULT 0,
    DanitMzdu BIT NOT NULL CONSTRAINT DF__TabZamMzd__DanitMzdu DEFAULT 0,
    ZkusebniDoba_X DATETIME NULL,
    DovPrumer NUMERIC(19,6) NULL,
    DNPPrumer NUMERIC(19,6) NULL,
    DNPPrumerSK NUMERIC(19,6) NULL,
    DovNarokBR NUMERIC(19,6) NULL,
    DovMinulyRok NUMERIC(19,6) NULL,
    DovZustatekMR NUMERIC(19,6) NULL,
    DovCerpaniBR NUMERIC(19,6) NULL,
    DovKraceni NUMERIC(19,6) NULL,
    DovKraceniRucne NUMERIC(19,6) NULL,
    DovZustatekBR NUMERIC(19,6) NULL,
    StavES INT NOT NULL CONSTRAINT DF__TabZamMzd__StavES DEFAULT 0,
    RokKalendare INT NULL,
    DruhKalendare INT NULL,
    TydenniUvazek NUMERIC(19,6) NULL,
    Stredisko NVARCHAR(30) NULL,
    NakladovyOkruh NVARCHAR(15) NULL,
    Zakazka NVARCHAR(15) NULL,
    CONSTRAINT UQ__TabZamMzd__ZamestnanecId UNIQUE (ZamestnanecId, IdObdobi)
)
GO

-- Bank connections of employees; Prednastaveno 1 marks the default one.
CREATE TABLE dbo.TabBankSpojeni (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabBankSpojeni__ID PRIMARY KEY,
    IDZam INT NULL,
    Prednastaveno BIT NOT NULL CONSTRAINT DF__TabBankSpojeni__Prednastaveno DEFAULT 0,
    IDUstavu INT NULL,
    NazevBankSpoj NVARCHAR(100) NULL,
    CisloUctu NVARCHAR(100) NULL,
    IBANElektronicky NVARCHAR(100) NULL,
    KonstantniSymbol NVARCHAR(10) NOT NULL CONSTRAINT DF__TabBankSpojeni__KonstantniSymbol DEFAULT N'',
    SpecifickySymbol NVARCHAR(10) NOT NULL CONSTRAINT DF__TabBankSpojeni__SpecifickySymbol DEFAULT N''
)
GO

-- Contacts of employees: Druh 2 telephone, 6 e-mail.
CREATE TABLE dbo.TabKontakty (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabKontakty__ID PRIMARY KEY,
    IDCisZam INT NULL,
    Prednastaveno BIT NOT NULL CONSTRAINT DF__TabKontakty__Prednastaveno DEFAULT 0,
    Druh INT NOT NULL,
    Spojeni NVARCHAR(255) NULL
)
GO

-- Pensions received by employees.
CREATE TABLE dbo.TabDuchod (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabDuchod__ID PRIMARY KEY,
    ZamestnanecID INT NOT NULL,
    DruhDuchodu INT NULL,
    DatumNaroku DATETIME NULL
)
GO

-- Personal data per period (practice, profession).
CREATE TABLE dbo.TabZamPer (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZamPer__ID PRIMARY KEY,
    ZamestnanecId INT NOT NULL,
    IdObdobi INT NOT NULL,
    PraxeRoky INT NULL,
    PraxeDny INT NULL,
    Profese NVARCHAR(12) NULL
)
GO

-- Annual tax data; StavRZD 0 = the employer does the annual tax account.
CREATE TABLE dbo.TabZamDan (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZamDan__ID PRIMARY KEY,
    ZamestnanecId INT NOT NULL,
    Rok INT NOT NULL,
    StavRZD INT NOT NULL CONSTRAINT DF__TabZamDan__StavRZD DEFAULT 1
)
GO

-- Payroll constants per period.
CREATE TABLE dbo.TabMzKons (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzKons__ID PRIMARY KEY,
    IdObdobi INT NOT NULL,
    MinimalniMzda NUMERIC(19,6) NULL,
    SazbaZP NUMERIC(19,6) NULL,
    SazbaSP NUMERIC(19,6) NULL
)
GO

-- Flat-rate payroll components of an employee in a period.
CREATE TABLE dbo.TabMzPaus (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzPaus__ID PRIMARY KEY,
    ZamestnanecId INT NOT NULL,
    IdObdobi INT NOT NULL,
    CisloMS INT NOT NULL,
    Castka NUMERIC(19,6) NULL
)
GO

-- Payroll component groups per period; Typ classifies the group.
CREATE TABLE dbo.TabSkupMS (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabSkupMS__ID PRIMARY KEY,
    SkupinaMS INT NOT NULL,
    IdObdobi INT NOT NULL,
    Nazev NVARCHAR(40) NULL,
    Typ INT NOT NULL CONSTRAINT DF__TabSkupMS__Typ DEFAULT 0,
    CONSTRAINT UQ__TabSkupMS__SkupinaMS UNIQUE (IdObdobi, SkupinaMS)
)
GO

-- Payroll components, one row per component and period.
CREATE TABLE dbo.TabCisMzSl (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabCisMzSl__ID PRIMARY KEY,
    IdObdobi INT NOT NULL,
    CisloMzSl INT NOT NULL,
    NazevMS NVARCHAR(40) NULL,
    SkupinaMS INT NULL,
    Konstanty_DoPredzpracovani BIT NULL,
    Srazky_PrispevekPFZam BIT NOT NULL CONSTRAINT DF__TabCisMzSl__Srazky_PrispevekPFZam DEFAULT 0,
    Srazky_PrispevekZPZam BIT NOT NULL CONSTRAINT DF__TabCisMzSl__Srazky_PrispevekZPZam DEFAULT 0,
    Vypocet_ZakladProVypocet INT NOT NULL CONSTRAINT DF__TabCisMzSl__Vypocet_ZakladProVypocet DEFAULT 0,
    CONSTRAINT UQ__TabCisMzSl__IdObdobi UNIQUE (IdObdobi, CisloMzSl)
)
GO

-- Pension funds (DruhFondu 0) and life insurers (DruhFondu 1) per period.
CREATE TABLE dbo.TabMzPF (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzPF__ID PRIMARY KEY,
    IdObdobi INT NOT NULL,
    Symbol NVARCHAR(10) NULL,
    Nazev NVARCHAR(100) NULL,
    DruhFondu INT NOT NULL CONSTRAINT DF__TabMzPF__DruhFondu DEFAULT 0,
    MSZamestnanec INT NULL
)
GO

-- Slovak insurance funds.
CREATE TABLE dbo.TabMzdPojFondy (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzdPojFondy__ID PRIMARY KEY,
    Symbol NVARCHAR(10) NULL,
    Nazev NVARCHAR(100) NULL
)
GO

-- Czech health insurance offices, one row per office and period.
CREATE TABLE dbo.TabZdrPoj (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZdrPoj__ID PRIMARY KEY,
    Kod NVARCHAR(3) NOT NULL,
    Nazev NVARCHAR(100) NULL,
    IdObdobi INT NOT NULL,
    CONSTRAINT UQ__TabZdrPoj__Kod UNIQUE (IdObdobi, Kod)
)
GO

-- Family members per period; Vztah is the relation (value list).
CREATE TABLE dbo.TabZamRPr (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZamRPr__ID PRIMARY KEY,
    ZamestnanecId INT NOT NULL,
    IdObdobi INT NOT NULL,
    RodneCislo NVARCHAR(11) NULL,
    DatumNarozeni DATETIME NULL,
    Vztah SMALLINT NULL CONSTRAINT DF__TabZamRPr__Vztah DEFAULT 0,
    Jmeno NVARCHAR(20) NULL,
    Prijmeni NVARCHAR(20) NULL
)
GO

-- Former surnames in Poradi order.
CREATE TABLE dbo.TabZamJme (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZamJme__ID PRIMARY KEY,
    ZamestnanecId INT NOT NULL,
    Prijmeni NVARCHAR(40) NULL,
    Poradi INT NULL
)
GO

-- Payroll calendars by year and number.
CREATE TABLE dbo.TabMzKalendar (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzKalendar__ID PRIMARY KEY,
    Cislo INT NOT NULL,
    Rok INT NULL,
    Nazev NVARCHAR(40) NULL,
    UvazekTyden NUMERIC(19,6) NULL
)
GO

-- Days of a payroll calendar; TypDne P work day, S Saturday, N Sunday; Svatek A on a public holiday.
CREATE TABLE dbo.TabMzKalendarDny (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzKalendarDny__ID PRIMARY KEY,
    IDKalendar INT NOT NULL,
    Datum DATETIME NOT NULL,
    TypDne NCHAR(1) NULL,
    Svatek NCHAR(1) NULL,
    PocetHodin NUMERIC(19,6) NULL CONSTRAINT DF__TabMzKalendarDny__PocetHodin DEFAULT 0,
    CONSTRAINT UQ__TabMzKalendarDny__IDKalendar UNIQUE (IDKalendar, Datum)
)
GO

-- Calendar of an employee for a year.
CREATE TABLE dbo.TabMzKalendarZam (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzKalendarZam__ID PRIMARY KEY,
    Rok INT NOT NULL,
    Cislo INT NOT NULL,
    ZamestnanecId INT NOT NULL,
    UvazekTyden NUMERIC(19,6) NULL
)
GO

-- Days of an employee calendar.
CREATE TABLE dbo.TabMzKalendarDnyZam (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzKalendarDnyZam__ID PRIMARY KEY,
    IDKalendar INT NOT NULL,
    Datum DATETIME NOT NULL,
    TypDne NCHAR(1) NULL,
    PocetHodin NUMERIC(19,6) NULL CONSTRAINT DF__TabMzKalendarDnyZam__PocetHodin DEFAULT 0,
    CONSTRAINT UQ__TabMzKalendarDnyZam__IDKalendar UNIQUE (IDKalendar, Datum)
)
GO

-- Tax reliefs defined per period.
CREATE TABLE dbo.TabMzdOdpPol (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzdOdpPol__ID PRIMARY KEY,
    Symbol NVARCHAR(10) NOT NULL,
    IdObdobi INT NOT NULL,
    Nazev NVARCHAR(100) NULL,
    CastkaMesic NUMERIC(19,6) NULL
)
GO

-- Tax reliefs claimed by an employee in a period.
CREATE TABLE dbo.TabMzdOdpPolMzd (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzdOdpPolMzd__ID PRIMARY KEY,
    Symbol NVARCHAR(10) NOT NULL,
    IdObdobi INT NOT NULL,
    ZamestnanecID INT NOT NULL
)
GO

-- Payroll results, one per employee and period.
CREATE TABLE dbo.TabZamVyp (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZamVyp__ID PRIMARY KEY,
    ZamestnanecId INT NOT NULL,
    IdObdobi INT NOT NULL,
    HrubaMzda NUMERIC(19,6) NULL,
    CistaMzda NUMERIC(19,6) NULL,
    KVyplate NUMERIC(19,6) NULL,
    CONSTRAINT UQ__TabZamVyp__ZamestnanecId UNIQUE (ZamestnanecId, IdObdobi)
)
GO

-- Domestic payment orders; type 0 orders of a period lock it for the Portal.
CREATE TABLE dbo.TabPlatTuz (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabPlatTuz__ID PRIMARY KEY,
    TypPrikazu INT NOT NULL CONSTRAINT DF__TabPlatTuz__TypPrikazu DEFAULT 0,
    IdMzdObd INT NULL,
    Castka NUMERIC(19,6) NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabPlatTuz__DatPorizeni DEFAULT GETDATE()
)
GO

-- Foreign payment orders.
CREATE TABLE dbo.TabPlatZahr (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabPlatZahr__ID PRIMARY KEY,
    IdMzdObd INT NULL,
    Castka NUMERIC(19,6) NULL,
    Mena NVARCHAR(3) NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabPlatZahr__DatPorizeni DEFAULT GETDATE()
)
GO

-- Job positions.
CREATE TABLE dbo.TabPracovniPozice (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabPracovniPozice__ID PRIMARY KEY,
    Nazev NVARCHAR(100) NULL
)
GO

-- Assignments of employees to job positions; PlatnostDo NULL = open.
CREATE TABLE dbo.TabObsazeniPracovnichPozic (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabObsazeniPracovnichPozic__ID PRIMARY KEY,
    IDZam INT NOT NULL,
    IDPP INT NOT NULL,
    PlatnostOd DATETIME NULL,
    PlatnostDo DATETIME NULL
)
GO

-- Professions.
CREATE TABLE dbo.TabProfes (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabProfes__ID PRIMARY KEY,
    Cislo NVARCHAR(12) NOT NULL CONSTRAINT UQ__TabProfes__Cislo UNIQUE,
    Nazev NVARCHAR(100) NULL
)
GO

-- Payroll preprocessing rows (input of the payroll run).
CREATE TABLE dbo.TabPredzp (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabPredzp__ID PRIMARY KEY,
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
    IdVozidlo INT NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabPredzp__DatPorizeni DEFAULT GETDATE(),
    Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabPredzp__Autor DEFAULT SUSER_SNAME()
)
GO

-- Series of employee numbers: Rada covers CisloOd..CisloDo.
CREATE TABLE dbo.TabMzRadyOsCisel (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzRadyOsCisel__ID PRIMARY KEY,
    Rada NVARCHAR(3) NOT NULL CONSTRAINT UQ__TabMzRadyOsCisel__Rada UNIQUE,
    Nazev NVARCHAR(40) NULL,
    CisloOd INT NOT NULL,
    CisloDo INT NOT NULL,
    CONSTRAINT CK__TabMzRadyOsCisel__CisloOd CHECK (CisloOd >= 1 AND CisloOd <= CisloDo)
)
GO
