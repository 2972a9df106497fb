// The generated DDL run on the embedded engine: the catalog then shows exactly the defined
// columns, types, nullability and constraint names; the views run over a host database.
#include "plugin/definitions/ddl.h"
#include "plugin/definitions/schema.h"
#include "plugin/definitions/views.h"

#include "common/sql_text.h"
#include "standins/tarvik/host_script.h"
#include "tsql/engine.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace plugin {
namespace {

using Radky = std::vector<std::vector<tsql::Value>>;

class Databaze {
public:
    Databaze()
        : databaze_(tsql::Database::open({}))
        , session_(databaze_->connect("tester")) {}

    //! Runs a batch; throws with the server's message when it fails. The rows of its first result.
    Radky Proved(std::string_view sql) {
        auto vystup = session_->execute(sql);
        Radky radky;
        bool prvni = true;
        for (auto& udalost : vystup.events) {
            if (udalost.kind == tsql::BatchEvent::Kind::Message && udalost.message.isError())
                throw std::runtime_error(udalost.message.text + "\nin:\n" + std::string(sql));
            if (udalost.kind == tsql::BatchEvent::Kind::Rows && prvni) {
                radky = std::move(udalost.rows.rows);
                prvni = false;
            }
        }
        return radky;
    }

    std::vector<std::string> Sloupce(std::string_view sql) {
        for (auto& udalost : session_->execute(sql).events) {
            if (udalost.kind == tsql::BatchEvent::Kind::Message && udalost.message.isError())
                throw std::runtime_error(udalost.message.text);
            if (udalost.kind == tsql::BatchEvent::Kind::Rows) {
                std::vector<std::string> jmena;
                for (const auto& sloupec : udalost.rows.columns)
                    jmena.push_back(sloupec.name);
                return jmena;
            }
        }
        return {};
    }

private:
    std::shared_ptr<tsql::Database> databaze_;
    std::unique_ptr<tsql::Session> session_;
};

// The catalog's view of a table, read as the installer's column step reads it.
void PorovnejSKatalogem(Databaze& db, const TplgTabulkaDef& tabulka) {
    const auto jmeno = common::SqlNString(tabulka.JmenoSys);
    const auto sloupce =
        db.Proved("SELECT syscolumns.name, systypes.name,\r"
                  "COLUMNPROPERTY(sysobjects.id,syscolumns.name,'IsIdentity'),\r"
                  "syscolumns.isnullable, syscolumns.prec, syscolumns.xprec, syscolumns.scale\r"
                  "FROM sysobjects\r"
                  "JOIN syscolumns ON sysobjects.id=syscolumns.id\r"
                  "JOIN systypes ON syscolumns.xusertype=systypes.xusertype\r"
                  "WHERE sysobjects.xtype='U' AND sysobjects.name=" +
                  jmeno + "\rORDER BY syscolumns.colid");
    std::vector<const TplgAtributTabulky*> databazove;
    for (const auto& atribut : tabulka.Atributy)
        if (atribut.JeDatabazovy()) databazove.push_back(&atribut);
    ASSERT_EQ(sloupce.size(), databazove.size()) << tabulka.JmenoSys;
    for (std::size_t i = 0; i < sloupce.size(); ++i) {
        const auto& radek = sloupce[i];
        EXPECT_EQ(radek[0].asString(), databazove[i]->JmenoSys) << tabulka.JmenoSys << " column " << i + 1;
        const TplgSloupecKatalogu katalog{.Typ = radek[1].asString(),
                                          .Identity = radek[2].asInt() == 1,
                                          .Delka = static_cast<int>(radek[4].asInt()),
                                          .Presnost = static_cast<int>(radek[5].asInt()),
                                          .Meritko = static_cast<int>(radek[6].asInt()),
                                          .Nullable = radek[3].asInt() == 1};
        EXPECT_EQ(TextTypu(katalog), TextTypu(*databazove[i]))
            << tabulka.JmenoSys << "." << databazove[i]->JmenoSys;
    }

    const auto constraints = db.Proved("SELECT o.name, RTRIM(o.xtype) FROM sysobjects o\r"
                                       "JOIN sysobjects t ON t.id = o.parent_obj\r"
                                       "WHERE o.xtype IN ('PK','UQ','D','C','F') AND t.name=" +
                                       jmeno);
    std::set<std::pair<std::string, std::string>> vKatalogu;
    for (const auto& radek : constraints)
        vKatalogu.emplace(radek[0].asString(), radek[1].asString());
    std::set<std::pair<std::string, std::string>> definovane;
    const char* druhy[] = {"", "PK", "UQ", "C", "F", "D"};
    for (const auto& constraint : tabulka.Constraints)
        if (constraint.Typ >= coPrimaryKey && constraint.Typ <= coDefault)
            definovane.emplace(std::string(constraint.JmenoSys), druhy[constraint.Typ]);
    EXPECT_EQ(vKatalogu, definovane) << tabulka.JmenoSys;
}

class EveryPluginTable : public testing::TestWithParam<int> {
protected:
    const TplgTabulkaDef& Tabulka() const {
        return *EfektivniSchema().Tabulka(static_cast<TplgTabulka>(GetParam()));
    }
};

TEST_P(EveryPluginTable, CreatedFromItsCreateTableText) {
    Databaze db;
    db.Proved(TextCreateTable(Tabulka()));
    PorovnejSKatalogem(db, Tabulka());
}

// The statements the installer adds a missing column or constraint with bring a table holding a
// row to the same state as its CREATE TABLE text.
TEST_P(EveryPluginTable, BuiltColumnByColumnOnAFilledTable) {
    const auto& tabulka = Tabulka();
    auto prvni = tabulka;
    prvni.Atributy = tabulka.Atributy.first(1);
    prvni.Constraints = {};
    Databaze db;
    db.Proved(TextCreateTable(prvni));
    db.Proved("INSERT dbo." + std::string(tabulka.JmenoSys) + " DEFAULT VALUES");
    for (const auto& atribut : tabulka.Atributy.subspan(1))
        db.Proved(TextPridaniAtributu(tabulka.JmenoSys, atribut).Prikaz);
    for (const auto& constraint : tabulka.Constraints)
        if (constraint.Typ != coDefault) db.Proved(TextPridaniConstraintu(tabulka.JmenoSys, constraint));
    PorovnejSKatalogem(db, tabulka);
    EXPECT_EQ(db.Proved("SELECT COUNT(*) FROM " + std::string(tabulka.JmenoSys))[0][0].asInt(), 1);
}

INSTANTIATE_TEST_SUITE_P(PluginTables, EveryPluginTable, testing::Range(1, 17), [](const auto& info) {
    return std::string(EfektivniSchema().JmenoSys(static_cast<TplgTabulka>(info.param)));
});

class HostDatabase : public testing::Test {
protected:
    void SetUp() override {
        for (const auto& soubor : standins::tarvik::hostScriptFiles())
            if (soubor.name.starts_with("host-schema"))
                for (const auto& davka : standins::tarvik::splitBatches(soubor.text))
                    db.Proved(davka);
        const auto& schema = EfektivniSchema();
        for (int i = schema.PrvniTabulka(); i <= schema.PosledniTabulka(); ++i)
            db.Proved(TextCreateTable(schema, static_cast<TplgTabulka>(i)));
        for (const auto& pohled : Pohledy().subspan(1))
            db.Proved(TextCreateView(pohled));
    }
    Databaze db;
};

TEST_F(HostDatabase, EveryViewShowsAllColumnsOfItsTable) {
    for (const auto& pohled : Pohledy().subspan(1)) {
        std::vector<std::string> ocekavane;
        for (const auto& atribut : EfektivniSchema().Tabulka(pohled.HlavniTabulka)->Atributy)
            ocekavane.emplace_back(atribut.JmenoSys);
        EXPECT_EQ(db.Sloupce("SELECT * FROM " + std::string(pohled.JmenoView)), ocekavane)
            << pohled.JmenoView;
    }
    const auto texty = db.Proved("SELECT o.name, c.text FROM sysobjects o JOIN syscomments c ON c.id = o.id "
                                 "WHERE o.xtype = 'V' AND o.name = N'hvw_QUELTAZamPortal_BezneObdobi'");
    ASSERT_EQ(texty.size(), 1u);
    EXPECT_EQ(texty[0][1].asString(), TextCreateView(Pohledy()[bQUELTAZamPortal_BezneObdobi]));
}

TEST_F(HostDatabase, EmployeeViewsFilterByRecordKindAndPeriod) {
    db.Proved("INSERT TabMzdObd (IdObdobi, Rok, Mesic, Stav) VALUES (12, 2013, 12, 1)\r"
              "INSERT TabMzdObd (IdObdobi, Rok, Mesic, Stav) VALUES (13, 2014, 1, 2)\r"
              "INSERT TabMzdObd (IdObdobi, Rok, Mesic, Stav) VALUES (11, 2013, 11, 0)");
    const std::vector<std::pair<int, int>> radky = {{1, 12}, {1, 12}, {1, 13}, {1, 11}, {2, 12}, {0, 13}};
    for (const auto& [typ, obdobi] : radky)
        db.Proved("INSERT TabQUELTAZamPortal (TypZaznamu, Obdobi, Prijmeni, SSN, PovoleniKPobytu, CisloOP, "
                  "CisloPasu, "
                  "DrivejsiPrijmeni) VALUES (" +
                  common::SqlValue(std::int32_t{typ}) + ", " + common::SqlValue(std::int32_t{obdobi}) + ", " +
                  common::SqlNString("Nováková") + ", N'', N'', N'', N'', N'')");
    const auto pocet = [&](std::string_view pohled) {
        return db.Proved("SELECT COUNT(*) FROM " + std::string(pohled))[0][0].asInt();
    };
    EXPECT_EQ(pocet("hvw_QUELTAZamPortal"), 4);
    EXPECT_EQ(pocet("hvw_QUELTAZamPortal_AktualniObdobi"), 2);
    EXPECT_EQ(pocet("hvw_QUELTAZamPortal_BezneObdobi"), 1);
    // Defaults of the table fill what the insert left out.
    const auto novy = db.Proved("SELECT Stav, TextChyby, Autor FROM hvw_QUELTAZamPortal WHERE Obdobi = 13");
    ASSERT_EQ(novy.size(), 1u);
    EXPECT_EQ(novy[0][0].asInt(), 0);
    EXPECT_EQ(novy[0][1].asString(), "");
    EXPECT_EQ(novy[0][2].asString(), "tester");
}

TEST_F(HostDatabase, PreprocessViewHidesDeletedRowsAndIsWrittenThrough) {
    db.Proved("INSERT TabQUELTAWSPreprocess (portalID, deleted) VALUES (1, 0)\r"
              "INSERT TabQUELTAWSPreprocess (portalID, deleted) VALUES (2, 1)\r"
              "INSERT TabQUELTAWSPreprocess (portalID) VALUES (3)");
    EXPECT_EQ(db.Proved("SELECT COUNT(*) FROM hvw_QUELTAWSPreprocess")[0][0].asInt(), 2);
    db.Proved("UPDATE hvw_QUELTAWSPreprocess SET CommitNumber = 7");
    const auto radky =
        db.Proved("SELECT portalID, commitNumber FROM TabQUELTAWSPreprocess ORDER BY portalID");
    ASSERT_EQ(radky.size(), 3u);
    EXPECT_EQ(radky[0][1].asInt(), 7);
    EXPECT_TRUE(radky[1][1].isNull());
    EXPECT_EQ(radky[2][1].asInt(), 7);
}

TEST_F(HostDatabase, SettingsViewsReadAndWriteTheirTables) {
    db.Proved("INSERT TabQUELTANastaveniSynchronizace (Ciselnik, Nazev, Kod, Poradi) "
              "VALUES (N'TabPenezniUstavy', N'Banky', N'bankcode', 1)\r"
              "INSERT TabQUELTAHGlob (URL) VALUES (N'http://127.0.0.1:8080/')\r"
              "INSERT TabQUELTASynchroLog (Tabulka, Poznamka) VALUES (N'bankcode', N'OK')");
    EXPECT_EQ(db.Proved("SELECT CommitNumber, Kod FROM hvw_QUELTANastaveniSynchronizace")[0][0].asInt(), 0);
    EXPECT_EQ(db.Proved("SELECT CertStoreLocation FROM hvw_QUELTAHGlob")[0][0].asInt(), 0);
    EXPECT_EQ(db.Proved("SELECT Status FROM hvw_QUELTASynchroLog")[0][0].asInt(), 1);
    // The code is unique whatever its case.
    EXPECT_THROW(db.Proved("INSERT TabQUELTANastaveniSynchronizace (Ciselnik, Nazev, Kod) "
                           "VALUES (N'TabZeme', N'Země', N'BANKCODE')"),
                 std::runtime_error);

    db.Proved("UPDATE hvw_QUELTANastaveniSynchronizace SET CommitNumber = 41 WHERE Kod = N'bankcode'");
    db.Proved("INSERT hvw_QUELTAHGlob (ExePath) VALUES (N'/opt/quelta')");
    EXPECT_EQ(db.Proved("SELECT CommitNumber FROM TabQUELTANastaveniSynchronizace")[0][0].asInt(), 41);
    EXPECT_EQ(db.Proved("SELECT COUNT(*) FROM TabQUELTAHGlob")[0][0].asInt(), 2);
}

} // namespace
} // namespace plugin
