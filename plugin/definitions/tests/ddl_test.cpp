// Statements made from single definitions.
#include "plugin/definitions/ddl.h"
#include "plugin/definitions/schema.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plugin {
namespace {

TEST(CreateTable, ConversionTableCharacterForCharacter) {
    EXPECT_EQ(
        TextCreateTable(EfektivniSchema(), tQUELTAKonverzeVztah),
        "CREATE TABLE dbo.TabQUELTAKonverzeVztah(\r\n"
        "ID INT IDENTITY NOT NULL,\r\n"
        "Cislo INT NOT NULL,\r\n"
        "Hodnota NVARCHAR(100) NOT NULL,\r\n"
        "Autor NVARCHAR(128) NOT NULL CONSTRAINT DF__TabQUELTAKonverzeVztah__Autor DEFAULT SUSER_SNAME(),\r\n"
        "DatPorizeni DATETIME NOT NULL CONSTRAINT DF__TabQUELTAKonverzeVztah__DatPorizeni DEFAULT "
        "GETDATE(),\r\n"
        "Zmenil NVARCHAR(128) NULL,\r\n"
        "DatZmeny DATETIME NULL,\r\n"
        "BlokovaniEditoru SMALLINT NULL,\r\n"
        "CONSTRAINT PK__TabQUELTAKonverzeVztah__ID PRIMARY KEY(ID),\r\n"
        "CONSTRAINT UQ__TabQUELTAKonverzeVztah__Cislo UNIQUE(Cislo))");
}

TEST(CreateTable, ComputedColumnsAndChecksFollowTheStoredColumns) {
    const TplgAtributTabulky atributy[] = {
        {.JmenoSys = "ID", .Typ = taIdentity, .Null = nNOTNULL, .PK_UQ = puPrimaryKey},
        {.JmenoSys = "Dvakrat", .Typ = taInt, .Pocitany = "Cena * 2", .Null = nNOTNULL},
        {.JmenoSys = "Cena", .Typ = taNumeric_19_6, .Null = nNULL, .ServerDEFAULT = " 0.0 "},
        {.JmenoSys = "Pomocny", .Typ = taInt, .Null = nNULL, .DalsiVlastnosti = advNeniDatabazovy},
        {.JmenoSys = "BezTypu", .Null = nNULL},
        {.JmenoSys = "Text", .Typ = taNText, .Delka = 10, .Null = nNULL},
        {.JmenoSys = "Guid", .Typ = taBinary, .Delka = 16, .Null = nNOTNULL},
    };
    const TplgConstraintTabulky constraints[] = {
        {.JmenoSys = "PK__T__ID", .Typ = coPrimaryKey, .Atributy = "ID"},
        {.JmenoSys = "CK__T__Cena", .Typ = coCheck, .Atributy = "Cena", .Vyraz = "Cena >= 0"},
        {.JmenoSys = "DF__T__Cena", .Typ = coDefault, .Atributy = "Cena", .Vyraz = " 0.0 "},
        {.JmenoSys = "FK__T__Cena", .Typ = coForeignKey, .VlastniAtributy = "Cena", .CiziTabulka = "C"},
        {.JmenoSys = "IX__T__Cena", .Typ = coIndex, .Atributy = "Cena"},
    };
    const TplgTabulkaDef tabulka{.SelfIdent = static_cast<TplgTabulka>(1),
                                 .JmenoSys = "T",
                                 .Atributy = atributy,
                                 .Constraints = constraints};
    EXPECT_EQ(TextCreateTable(tabulka), "CREATE TABLE dbo.T(\r\n"
                                        "ID INT IDENTITY NOT NULL,\r\n"
                                        "Cena NUMERIC(19,6) NULL CONSTRAINT DF__T__Cena DEFAULT  0.0 ,\r\n"
                                        "Text NTEXT NULL,\r\n"
                                        "Guid BINARY(16) NOT NULL,\r\n"
                                        "Dvakrat AS Cena * 2,\r\n"
                                        "CONSTRAINT PK__T__ID PRIMARY KEY(ID),\r\n"
                                        "CONSTRAINT CK__T__Cena CHECK(Cena >= 0))");
}

TEST(TypeText, CatalogColumnsAndDefinitionsCompareAlike) {
    struct Pripad {
        TplgSloupecKatalogu Sloupec;
        std::string_view Text;
    };
    const std::vector<Pripad> pripady = {
        {{.Typ = "int", .Identity = true, .Delka = 10, .Presnost = 10}, "INT IDENTITY(1,1) NOT NULL"},
        {{.Typ = "nvarchar", .Delka = 100, .Nullable = true}, "NVARCHAR(100) NULL"},
        {{.Typ = "varchar", .Delka = 5}, "VARCHAR(5) NOT NULL"},
        {{.Typ = "binary", .Delka = 16, .Nullable = true}, "BINARY(16) NULL"},
        {{.Typ = "numeric", .Delka = 19, .Presnost = 19, .Meritko = 6, .Nullable = true},
         "NUMERIC(19,6) NULL"},
        {{.Typ = "datetime", .Delka = 23, .Presnost = 23, .Meritko = 3}, "DATETIME NOT NULL"},
        {{.Typ = "image", .Nullable = true}, "IMAGE NULL"},
        {{.Typ = "ntext", .Delka = 0, .Nullable = true}, "NTEXT NULL"},
        {{.Typ = "float", .Delka = 53, .Presnost = 53, .Nullable = true}, "FLOAT NULL"},
    };
    for (const auto& pripad : pripady)
        EXPECT_EQ(TextTypu(pripad.Sloupec), pripad.Text);

    const auto& schema = EfektivniSchema();
    EXPECT_EQ(TextTypu(*schema.Atribut("TabQUELTAZamPortal.ZakladniPlat")), "NUMERIC(19,6) NULL");
    EXPECT_EQ(TextTypu(*schema.Atribut("TabQUELTAZamPortal.Foto")), "IMAGE NULL");
    EXPECT_EQ(TextTypu(*schema.Atribut("Tabx_Quelta_TravelOrder_ImportTable.PrivateCar")), "TINYINT NULL");
    EXPECT_EQ(TextTypu(*schema.Atribut("TabQUELTADeleteLog.SmazanoUplne")), "BIT NOT NULL");
}

TEST(AddColumn, DefaultsAndTemporaryDefaults) {
    struct Pripad {
        TplgAtributTabulky Atribut;
        std::string_view Prikaz;
        std::string_view PridanyDefault;
    };
    const std::vector<Pripad> pripady = {
        {{.JmenoSys = "Stav", .Typ = taSmallInt, .Null = nNOTNULL, .ServerDEFAULT = "0"},
         "ALTER TABLE T ADD Stav SMALLINT NOT NULL CONSTRAINT DF__T__Stav DEFAULT 0",
         "DF__T__Stav"},
        {{.JmenoSys = "Poradi", .Typ = taSmallInt, .Null = nNOTNULL},
         "ALTER TABLE T ADD Poradi SMALLINT NOT NULL CONSTRAINT DF__T__Poradi__TarvikPom DEFAULT 0\r"
         "ALTER TABLE T DROP CONSTRAINT DF__T__Poradi__TarvikPom",
         ""},
        {{.JmenoSys = "Castka", .Typ = taNumeric_9_2, .Null = nNOTNULL},
         "ALTER TABLE T ADD Castka NUMERIC(9,2) NOT NULL CONSTRAINT DF__T__Castka__TarvikPom DEFAULT 0\r"
         "ALTER TABLE T DROP CONSTRAINT DF__T__Castka__TarvikPom",
         ""},
        {{.JmenoSys = "Kod", .Typ = taNVarChar, .Delka = 10, .Null = nNOTNULL},
         "ALTER TABLE T ADD Kod NVARCHAR(10) NOT NULL CONSTRAINT DF__T__Kod__TarvikPom DEFAULT ''\r"
         "ALTER TABLE T DROP CONSTRAINT DF__T__Kod__TarvikPom",
         ""},
        {{.JmenoSys = "Kdy", .Typ = taDateTime, .Null = nNOTNULL},
         "ALTER TABLE T ADD Kdy DATETIME NOT NULL",
         ""},
        {{.JmenoSys = "G", .Typ = taBinary, .Delka = 16, .Null = nNOTNULL},
         "ALTER TABLE T ADD G BINARY(16) NOT NULL",
         ""},
        {{.JmenoSys = "ID", .Typ = taIdentity, .Null = nNOTNULL},
         "ALTER TABLE T ADD ID INT IDENTITY(1,1) NOT NULL",
         ""},
        {{.JmenoSys = "Jmeno", .Typ = taNVarChar, .Delka = 20, .Null = nNULL},
         "ALTER TABLE T ADD Jmeno NVARCHAR(20) NULL",
         ""},
        {{.JmenoSys = "Dvakrat", .Typ = taInt, .Pocitany = "Cena * 2"},
         "ALTER TABLE T ADD Dvakrat AS Cena * 2",
         ""},
    };
    for (const auto& pripad : pripady) {
        const auto pridani = TextPridaniAtributu("T", pripad.Atribut);
        EXPECT_EQ(pridani.Prikaz, pripad.Prikaz);
        EXPECT_EQ(pridani.PridanyDefault, pripad.PridanyDefault);
    }
    const TplgAtributTabulky jmeno{.JmenoSys = "Jmeno", .Typ = taNVarChar, .Delka = 40, .Null = nNULL};
    EXPECT_EQ(TextZmenyAtributu("T", jmeno), "ALTER TABLE T ALTER COLUMN Jmeno NVARCHAR(40) NULL");
    EXPECT_EQ(TextZruseniAtributu("T", "Jmeno"), "ALTER TABLE T DROP COLUMN Jmeno");
}

TEST(ConstraintTexts, EveryKind) {
    struct Pripad {
        TplgConstraintTabulky Constraint;
        std::string_view Prikaz;
    };
    const std::vector<Pripad> pripady = {
        {{.JmenoSys = "PK__T__ID", .Typ = coPrimaryKey, .Atributy = "ID"},
         "ALTER TABLE T ADD CONSTRAINT PK__T__ID PRIMARY KEY (ID)"},
        {{.JmenoSys = "UQ__T__A__B", .Typ = coUnique},
         "ALTER TABLE T ADD CONSTRAINT UQ__T__A__B UNIQUE (A,B)"},
        {{.JmenoSys = "CK__T__Stav", .Typ = coCheck, .Vyraz = "Stav IN (0,1)"},
         "ALTER TABLE T ADD CONSTRAINT CK__T__Stav CHECK (Stav IN (0,1))"},
        {{.JmenoSys = "DF__T__Stav", .Typ = coDefault, .Atributy = "Stav", .Vyraz = "0"},
         "ALTER TABLE T ADD CONSTRAINT DF__T__Stav DEFAULT 0 FOR Stav"},
        {{.JmenoSys = "FK__T__Mena",
          .Typ = coForeignKey,
          .VlastniAtributy = "Mena",
          .CiziTabulka = "TabKodMen",
          .CiziAtributy = "Kod"},
         "ALTER TABLE T ADD CONSTRAINT FK__T__Mena FOREIGN KEY (Mena) REFERENCES TabKodMen (Kod)"},
        {{.JmenoSys = "IX__T__A", .Typ = coIndex, .Atributy = "A"},
         "CREATE NONCLUSTERED INDEX IX__T__A ON T (A)"},
        {{.JmenoSys = "IC__T__A", .Typ = coIndexClustered, .Atributy = "A"},
         "CREATE CLUSTERED INDEX IC__T__A ON T (A)"},
        {{.JmenoSys = "XX__T__A", .Typ = coChyba}, ""},
    };
    for (const auto& pripad : pripady)
        EXPECT_EQ(TextPridaniConstraintu("T", pripad.Constraint), pripad.Prikaz);

    EXPECT_EQ(TextZmenyConstraintu("T", pripady[3].Constraint),
              "ALTER TABLE T DROP CONSTRAINT DF__T__Stav \rALTER TABLE T ADD CONSTRAINT DF__T__Stav DEFAULT "
              "0 FOR Stav");
    EXPECT_EQ(TextZruseniConstraintu("T", "UQ__T__A"), "ALTER TABLE T DROP CONSTRAINT UQ__T__A");
    EXPECT_EQ(TextZapnutiConstraintu("T", "CK__T__A"), "ALTER TABLE T WITH CHECK CHECK CONSTRAINT CK__T__A");
}

TEST(ConstraintTexts, NamesReadBackIntoTheirParts) {
    struct Pripad {
        std::string_view Jmeno;
        TplgConstraint Typ;
        std::string_view Tabulka;
        std::string_view Atributy;
    };
    const std::vector<Pripad> pripady = {
        {"PK__TabQUELTAHGlob__ID", coPrimaryKey, "TabQUELTAHGlob", "ID"},
        {"df__T__A__B", coDefault, "T", "A,B"},
        {"DF__T__Kod__TarvikPom", coDefault, "T", "Kod,TarvikPom"},
        {"UQ__Tabulka", coUnique, "Tabulka", ""},
        {"XY__T__A", coChyba, "T", "A"},
        {"PK", coPrimaryKey, "", ""},
        {"", coChyba, "", ""},
    };
    for (const auto& pripad : pripady) {
        const auto casti = RozeberJmenoConstraintu(pripad.Jmeno);
        EXPECT_EQ(casti.Typ, pripad.Typ) << pripad.Jmeno;
        EXPECT_EQ(casti.Tabulka, pripad.Tabulka) << pripad.Jmeno;
        EXPECT_EQ(casti.Atributy, pripad.Atributy) << pripad.Jmeno;
    }
    EXPECT_EQ(PrefixConstraintu(coChyba), "!chyba!");
    EXPECT_EQ(PrefixConstraintu(coIndexClustered), "IC");
    EXPECT_EQ(ConstraintPodlePrefixu("fk"), coForeignKey);
    EXPECT_EQ(ConstraintPodlePrefixu("!chyba!"), coChyba);
}

} // namespace
} // namespace plugin
