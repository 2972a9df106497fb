-- Tarvik host database: code lists (banks, countries, postal codes, departments and
-- their settings per accounting period, cost pools, job orders, currencies, rates).

-- Banks.
CREATE TABLE dbo.TabPenezniUstavy (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabPenezniUstavy__ID PRIMARY KEY,
    KodUstavu NVARCHAR(15) NULL,
    SWIFTUstavu NVARCHAR(15) NULL,
    NazevUstavu NVARCHAR(100) NULL
)
GO

-- Countries; Vlastni 1 marks the company's own country.
CREATE TABLE dbo.TabZeme (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZeme__ID PRIMARY KEY,
    ISOKod NVARCHAR(3) NOT NULL CONSTRAINT UQ__TabZeme__ISOKod UNIQUE,
    Nazev NVARCHAR(100) NULL,
    Vlastni BIT NOT NULL CONSTRAINT DF__TabZeme__Vlastni DEFAULT 0
)
GO

-- Postal codes with their towns.
CREATE TABLE dbo.TabPSC (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabPSC__ID PRIMARY KEY,
    Cislo NVARCHAR(10) NOT NULL,
    Mesto NVARCHAR(100) NULL
)
GO

-- Departments.
CREATE TABLE dbo.TabStrom (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabStrom__ID PRIMARY KEY,
    Cislo NVARCHAR(30) NOT NULL CONSTRAINT UQ__TabStrom__Cislo UNIQUE,
    Nazev NVARCHAR(100) NULL
)
GO

-- Department settings per accounting period; Zakazano 1 forbids its use.
CREATE TABLE dbo.TabStromDef (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabStromDef__ID PRIMARY KEY,
    IdStrom INT NOT NULL,
    IdObdobi INT NOT NULL,
    Zakazano BIT NOT NULL CONSTRAINT DF__TabStromDef__Zakazano DEFAULT 0
)
GO

-- Cost pools.
CREATE TABLE dbo.TabNakladovyOkruh (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabNakladovyOkruh__ID PRIMARY KEY,
    Cislo NVARCHAR(15) NOT NULL CONSTRAINT UQ__TabNakladovyOkruh__Cislo UNIQUE,
    Nazev NVARCHAR(100) NULL
)
GO

-- Job orders; Ukonceno 1 marks a closed order.
CREATE TABLE dbo.TabZakazka (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZakazka__ID PRIMARY KEY,
    CisloZakazky NVARCHAR(15) NOT NULL CONSTRAINT UQ__TabZakazka__CisloZakazky UNIQUE,
    Nazev NVARCHAR(100) NULL,
    Ukonceno BIT NOT NULL CONSTRAINT DF__TabZakazka__Ukonceno DEFAULT 0
)
GO

-- Currencies; HlavniMena 1 marks the main currency (exactly one).
CREATE TABLE dbo.TabKodMen (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabKodMen__ID PRIMARY KEY,
    Kod NVARCHAR(3) NOT NULL CONSTRAINT UQ__TabKodMen__Kod UNIQUE,
    Nazev NVARCHAR(100) NULL,
    HlavniMena BIT NOT NULL CONSTRAINT DF__TabKodMen__HlavniMena DEFAULT 0
)
GO

-- Exchange rates: JednotkaMeny units of Mena cost Kurz in the main currency on Datum.
CREATE TABLE dbo.TabKurzList (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabKurzList__ID PRIMARY KEY,
    Mena NVARCHAR(3) NOT NULL,
    Datum DATETIME NOT NULL,
    JednotkaMeny NUMERIC(19,6) NOT NULL CONSTRAINT DF__TabKurzList__JednotkaMeny DEFAULT 1
        CONSTRAINT CK__TabKurzList__JednotkaMeny CHECK (JednotkaMeny > 0),
    Kurz NUMERIC(19,6) NOT NULL
)
GO
