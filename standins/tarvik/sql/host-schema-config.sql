-- Tarvik host database: global settings, users, journal and the tables in which
-- plug-ins register themselves (installed versions, actions, user browses, folders,
-- relations, messages, external attributes, editor window sizes, import definitions).
-- Batches are separated by lines holding only GO. The script runs on an empty database.

-- Global settings of the company: exactly one row.
CREATE TABLE dbo.TabHGlob (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabHGlob__ID PRIMARY KEY,
    Legislativa INT NULL CONSTRAINT DF__TabHGlob__Legislativa DEFAULT 0,
    fazeeuro INT NOT NULL CONSTRAINT DF__TabHGlob__fazeeuro DEFAULT 0,
    DatumPrechoduNaEuro DATETIME NULL,
    NazevFirmy NVARCHAR(100) NULL
)
GO

-- Users of the host, keyed by their server login.
CREATE TABLE dbo.TabUziv (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabUziv__ID PRIMARY KEY,
    LoginName NVARCHAR(128) NOT NULL CONSTRAINT UQ__TabUziv__LoginName UNIQUE,
    Jazyk INT NOT NULL CONSTRAINT DF__TabUziv__Jazyk DEFAULT 1,
    Jazyk2 INT NOT NULL CONSTRAINT DF__TabUziv__Jazyk2 DEFAULT -1,
    CeleJmeno NVARCHAR(100) NULL
)
GO

-- The host journal written by dbo.hp_ZapisDoZurnalu.
CREATE TABLE dbo.TabZurnal (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabZurnal__ID PRIMARY KEY,
    Druh INT NULL,
    Kod INT NULL,
    Text NVARCHAR(MAX) NULL,
    Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabZurnal__Autor DEFAULT SUSER_SNAME(),
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabZurnal__DatPorizeni DEFAULT GETDATE()
)
GO

-- Installed version of each plug-in.
CREATE TABLE dbo.TabPluginInfo (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabPluginInfo__ID PRIMARY KEY,
    NazevSys NVARCHAR(128) NOT NULL CONSTRAINT UQ__TabPluginInfo__NazevSys UNIQUE,
    VerzePluginu NVARCHAR(12) NULL,
    NazevObjektu NVARCHAR(128) NULL,
    NazevVerejny NVARCHAR(128) NULL,
    ZmenyOK BIT NOT NULL CONSTRAINT DF__TabPluginInfo__ZmenyOK DEFAULT 0,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabPluginInfo__DatPorizeni DEFAULT GETDATE(),
    DatZmeny DATETIME NULL
)
GO

-- External actions (menu commands) offered on browses; UP names the plug-in class called.
CREATE TABLE dbo.TabExtKom (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabExtKom__ID PRIMARY KEY,
    GUID BINARY(16) NULL,
    Typ INT NOT NULL CONSTRAINT DF__TabExtKom__Typ DEFAULT 3,
    IdBrowse INT NULL,
    Popis NVARCHAR(255) NULL,
    UP NVARCHAR(255) NULL,
    ParamTa INT NOT NULL CONSTRAINT DF__TabExtKom__ParamTa DEFAULT 0,
    HotKey INT NOT NULL CONSTRAINT DF__TabExtKom__HotKey DEFAULT 0,
    Skupina NVARCHAR(30) NULL,
    NazevPodmenu NVARCHAR(255) NULL,
    PoradiVPodmenu INT NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabExtKom__DatPorizeni DEFAULT GETDATE(),
    DatZmeny DATETIME NULL,
    Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabExtKom__Autor DEFAULT SUSER_SNAME(),
    Zmenil NVARCHAR(128) NULL,
    Napoveda NVARCHAR(255) NULL,
    VerejnaAkce BIT NOT NULL CONSTRAINT DF__TabExtKom__VerejnaAkce DEFAULT 0,
    Parametry NVARCHAR(255) NULL
)
GO

-- User browses; the browse number seen by plug-ins is 100000 + Cislo.
CREATE TABLE dbo.TabObecnyPrehled (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabObecnyPrehled__ID PRIMARY KEY,
    Cislo INT NOT NULL CONSTRAINT UQ__TabObecnyPrehled__Cislo UNIQUE,
    NazevSys NVARCHAR(36) NULL,
    Skupina NVARCHAR(30) NULL,
    Nazev NVARCHAR(50) NULL,
    Pomocnicek NVARCHAR(255) NULL,
    BlobTableName NVARCHAR(128) NULL,
    DefView NVARCHAR(MAX) NULL,
    DefAttrs NVARCHAR(MAX) NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabObecnyPrehled__DatPorizeni DEFAULT GETDATE(),
    DatZmeny DATETIME NULL,
    Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabObecnyPrehled__Autor DEFAULT SUSER_SNAME(),
    Zmenil NVARCHAR(128) NULL,
    Systemovy BIT NOT NULL CONSTRAINT DF__TabObecnyPrehled__Systemovy DEFAULT 0,
    JeToDBView BIT NOT NULL CONSTRAINT DF__TabObecnyPrehled__JeToDBView DEFAULT 0
)
GO

-- Navigation folders; BrowseID holds a view name or a host browse number as text.
CREATE TABLE dbo.TabSoudky (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabSoudky__ID PRIMARY KEY,
    Skupina NVARCHAR(30) NULL,
    Soudek NVARCHAR(255) NULL,
    BrowseID NVARCHAR(128) NULL,
    Poradi INT NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabSoudky__DatPorizeni DEFAULT GETDATE(),
    Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabSoudky__Autor DEFAULT SUSER_SNAME(),
    Systemovy BIT NOT NULL CONSTRAINT DF__TabSoudky__Systemovy DEFAULT 0,
    IDPredek INT NULL
)
GO

-- Rights on folder entries.
CREATE TABLE dbo.TabPravaSoudky (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabPravaSoudky__ID PRIMARY KEY,
    IDSoudek INT NOT NULL,
    LoginName NVARCHAR(128) NULL,
    Pravo INT NOT NULL CONSTRAINT DF__TabPravaSoudky__Pravo DEFAULT 1
)
GO

-- Order of the navigation folders.
CREATE TABLE dbo.TabSoudkyPoradi (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabSoudkyPoradi__ID PRIMARY KEY,
    Soudek NVARCHAR(255) NULL,
    Poradi INT NULL
)
GO

-- Relations between browses (left and right table, join condition).
CREATE TABLE dbo.TabObecnaVazba (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabObecnaVazba__ID PRIMARY KEY,
    GUIDVazby BINARY(16) NULL,
    Systemovy BIT NOT NULL CONSTRAINT DF__TabObecnaVazba__Systemovy DEFAULT 0,
    Popis NVARCHAR(255) NULL,
    Skupina NVARCHAR(30) NULL,
    TabL NVARCHAR(128) NULL,
    TabP NVARCHAR(128) NULL,
    NazevLP NVARCHAR(100) NULL,
    NazevPL NVARCHAR(100) NULL,
    NazevLPSys NVARCHAR(128) NULL,
    NazevPLSys NVARCHAR(128) NULL,
    TypLP INT NULL,
    TypPL INT NULL,
    Podminka NVARCHAR(MAX) NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabObecnaVazba__DatPorizeni DEFAULT GETDATE(),
    DatZmeny DATETIME NULL,
    Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabObecnaVazba__Autor DEFAULT SUSER_SNAME(),
    Zmenil NVARCHAR(128) NULL
)
GO

-- Message texts of plug-ins by GUID and language.
CREATE TABLE dbo.TabExtHlasky (
    GUID BINARY(16) NOT NULL,
    Jazyk INT NOT NULL,
    Hlaska NVARCHAR(MAX) NULL,
    Skupina NVARCHAR(30) NULL,
    CONSTRAINT PK__TabExtHlasky__GUID PRIMARY KEY (GUID, Jazyk)
)
GO

-- Definitions of external (stored in <table>_EXT) and computed attributes.
CREATE TABLE dbo.TabUzivAtr (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabUzivAtr__ID PRIMARY KEY,
    Externi BIT NOT NULL CONSTRAINT DF__TabUzivAtr__Externi DEFAULT 1,
    NazevTabulkySys NVARCHAR(128) NULL,
    NazevAtrSys NVARCHAR(128) NULL,
    NazevAtrVer NVARCHAR(255) NULL,
    NazevAtrVerZkr NVARCHAR(255) NULL,
    TypAtr NVARCHAR(128) NULL,
    MaskaAtr NVARCHAR(128) NULL,
    VerejnyAtr NCHAR(1) NULL,
    SirkaSloupceAtr INT NULL,
    SumovatAtr NCHAR(1) NULL,
    TiskAtr NCHAR(1) NULL,
    PoznamkaAtr NVARCHAR(255) NULL,
    DefiniceAtr NVARCHAR(MAX) NULL,
    ExtEd_BrowseID INT NULL,
    ExtEd_Atr NVARCHAR(128) NULL,
    ExtEd_PrimaEditace BIT NOT NULL CONSTRAINT DF__TabUzivAtr__ExtEd_PrimaEditace DEFAULT 0,
    ExtEd_Zalozka NVARCHAR(128) NULL,
    ExtEd_Poradi INT NULL,
    Skupina NVARCHAR(30) NULL,
    ExtEd_Podminka NVARCHAR(MAX) NULL,
    ProcPruhAtr BIT NOT NULL CONSTRAINT DF__TabUzivAtr__ProcPruhAtr DEFAULT 0,
    BarvaAtr BIT NOT NULL CONSTRAINT DF__TabUzivAtr__BarvaAtr DEFAULT 0,
    KonverzeAtr NVARCHAR(255) NULL,
    DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabUzivAtr__DatPorizeni DEFAULT GETDATE(),
    Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabUzivAtr__Autor DEFAULT SUSER_SNAME()
)
GO

-- Customisation groups.
CREATE TABLE dbo.TabSkupinaExt (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabSkupinaExt__ID PRIMARY KEY,
    Skupina NVARCHAR(30) NOT NULL CONSTRAINT UQ__TabSkupinaExt__Skupina UNIQUE
)
GO

-- Editor window position and size per login and form.
CREATE TABLE dbo.TabVelikostEditOkna (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabVelikostEditOkna__ID PRIMARY KEY,
    LoginName NVARCHAR(128) NOT NULL CONSTRAINT DF__TabVelikostEditOkna__LoginName DEFAULT SUSER_SNAME(),
    FormIdent NVARCHAR(255) NOT NULL,
    FormLeft INT NULL,
    FormTop INT NULL,
    FormWidth INT NULL,
    FormHeight INT NULL,
    Maximized BIT NOT NULL CONSTRAINT DF__TabVelikostEditOkna__Maximized DEFAULT 0,
    CONSTRAINT UQ__TabVelikostEditOkna__LoginName UNIQUE (LoginName, FormIdent)
)
GO

-- Definitions of payroll preprocessing imports done by a user procedure.
CREATE TABLE dbo.TabMzImpDefUP (
    ID INT IDENTITY(1,1) NOT NULL CONSTRAINT PK__TabMzImpDefUP__ID PRIMARY KEY,
    Nazev NVARCHAR(100) NULL,
    JmenoUP NVARCHAR(255) NULL,
    VlastniUP BIT NOT NULL CONSTRAINT DF__TabMzImpDefUP__VlastniUP DEFAULT 0,
    DefiniceUP NVARCHAR(MAX) NULL
)
GO
