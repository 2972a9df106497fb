-- Tarvik host database: travel documents with their legs, costs and fuel, cost codes,
-- document number series, vehicles and the travel module settings.

-- Travel module settings: exactly one row.
CREATE TABLE dbo.TabIHGlob (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabIHGlob__ID PRIMARY KEY,
    CestakSazbaPHM NUMERIC(19,6) NULL,
    CestakSazbaKm NUMERIC(19,6) NULL,
    CestakKapesne NUMERIC(19,6) NULL,
    CestakZahrPHM NUMERIC(19,6) NULL
)
GO

-- Vehicles.
CREATE TABLE dbo.TabIVozidlo (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabIVozidlo__ID PRIMARY KEY,
    SPZZobraz NVARCHAR(20) NULL,
    EvCislo NVARCHAR(20) NULL,
    Popis NVARCHAR(100) NULL,
    Soukrome BIT NOT NULL CONSTRAINT DF__TabIVozidlo__Soukrome DEFAULT 0,
    Spotreba NUMERIC(19,6) NULL
)
GO

-- Travel cost codes.
CREATE TABLE dbo.TabINaklKod (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabINaklKod__ID PRIMARY KEY,
    Kod NVARCHAR(20) NOT NULL CONSTRAINT UQ__TabINaklKod__Kod UNIQUE,
    Popis NVARCHAR(100) NULL
)
GO

-- Series of document numbers; a series ends below the next higher StPrefix.
CREATE TABLE dbo.TabIStazkaRada (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabIStazkaRada__ID PRIMARY KEY,
    TypPrepravy NCHAR(1) NOT NULL,
    StPrefix INT NOT NULL
)
GO

-- Travel documents.
CREATE TABLE dbo.TabICestak (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabICestak__ID PRIMARY KEY,
    Stav NCHAR(1) NOT NULL CONSTRAINT DF__TabICestak__Stav DEFAULT N'O',
    CisDok NVARCHAR(20) NULL,
    TypDopravy NVARCHAR(30) NULL,
    TypCesty NVARCHAR(255) NULL,
    DatVystDokl DATETIME NULL,
    DatVystDokl_X AS (CONVERT(DATETIME, CONVERT(INT, CONVERT(FLOAT, DatVystDokl)))),
    DatCasPocatek DATETIME NULL,
    DatCasKonec DATETIME NULL,
    CisloZamestnance INT NULL,
    CilCesty NVARCHAR(60) NULL,
    UcelCesty NVARCHAR(255) NULL,
    idVozidlo INT NULL,
    SPZ NVARCHAR(20) NULL,
    CisloZakazky NVARCHAR(15) NULL,
    NOkruh NVARCHAR(15) NULL,
    Stredisko NVARCHAR(30) NULL,
    CelkemDiety NUMERIC(19,6) NOT NULL CONSTRAINT DF__TabICestak__CelkemDiety DEFAULT 0,
    CelkemNahrady NUMERIC(19,6) NOT NULL CONSTRAINT DF__TabICestak__CelkemNahrady DEFAULT 0,
    CelkemNaklady NUMERIC(19,6) NOT NULL CONSTRAINT DF__TabICestak__CelkemNaklady DEFAULT 0,
    CelkemPHM NUMERIC(19,6) NOT NULL CONSTRAINT DF__TabICestak__CelkemPHM DEFAULT 0,
    CelkemKc NUMERIC(19,6) NOT NULL CONSTRAINT DF__TabICestak__CelkemKc DEFAULT 0,
    Spotreba NUMERIC(19,6) NULL,
    KMCelkem NUMERIC(19,6) NULL,
    KMZahr NUMERIC(19,6) NULL,
    VratkaTuz BIT NOT NULL CONSTRAINT DF__TabICestak__VratkaTuz DEFAULT 0,
    CenaL NUMERIC(19,6) NULL,
    SazbaKm NUMERIC(19,6) NULL,
    ProcKapes NUMERIC(19,6) NULL,
    PHMZahrPo NUMERIC(19,6) NULL,
    SDPlati NCHAR(1) NULL,
    BlokovaniEditoru INT NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabICestak__DatPorizeni DEFAULT GETDATE(),
    Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabICestak__Autor DEFAULT SUSER_SNAME()
)
GO

-- Costs of a travel document; CenaKc in the main currency, CenaVal in Mena.
CREATE TABLE dbo.TabICestaNakl (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabICestaNakl__ID PRIMARY KEY,
    IDCestak INT NOT NULL,
    IDNaklKod INT NULL,
    Datum DATETIME NULL,
    DatumKurz DATETIME NULL,
    Popis NVARCHAR(255) NULL,
    Mena NVARCHAR(3) NULL,
    Kurz NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaNakl__Kurz DEFAULT 1,
    JednotkaMeny NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaNakl__JednotkaMeny DEFAULT 1,
    ZpusobKurzu INT NULL CONSTRAINT DF__TabICestaNakl__ZpusobKurzu DEFAULT 0,
    CenaKc NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaNakl__CenaKc DEFAULT 0,
    CenaVal NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaNakl__CenaVal DEFAULT 0
)
GO

-- Legs of a travel document; KodZeme NULL = own country, Mena NULL = main currency.
CREATE TABLE dbo.TabICestaUsek (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabICestaUsek__ID PRIMARY KEY,
    IDCestak INT NOT NULL,
    TypUseku NVARCHAR(255) NULL,
    DatCasPocatek DATETIME NULL,
    DatCasKonec DATETIME NULL,
    Relace NVARCHAR(255) NULL,
    Odkud NVARCHAR(255) NULL,
    Kam NVARCHAR(255) NULL,
    ProcStrav NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaUsek__ProcStrav DEFAULT 0,
    ZpusobKurzu INT NULL CONSTRAINT DF__TabICestaUsek__ZpusobKurzu DEFAULT 0,
    CelkemKapesne NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaUsek__CelkemKapesne DEFAULT 0,
    CelkemStravne NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaUsek__CelkemStravne DEFAULT 0,
    KodZeme NVARCHAR(3) NULL,
    Mena NVARCHAR(3) NULL
)
GO

-- Fuel bought on a trip: Litry at a price per litre (CenaKc, or CenaVal in Mena).
CREATE TABLE dbo.TabICestaPHM (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabICestaPHM__ID PRIMARY KEY,
    IDCestak INT NOT NULL,
    idUsek INT NULL,
    Datum DATETIME NULL,
    Litry NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaPHM__Litry DEFAULT 0,
    Mena NVARCHAR(3) NULL,
    ZpusobKurzu INT NULL CONSTRAINT DF__TabICestaPHM__ZpusobKurzu DEFAULT 0,
    CenaKc NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaPHM__CenaKc DEFAULT 0,
    CenaVal NUMERIC(19,6) NULL CONSTRAINT DF__TabICestaPHM__CenaVal DEFAULT 0
)
GO
