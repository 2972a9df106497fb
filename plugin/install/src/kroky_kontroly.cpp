// The installer's checking steps: each reads the catalog of the database under check with its
// query and hands the rows to the schema checker. Missing tables are created at once.

#include "plugin/install/instalace.h"

#include "plugin/definitions/ddl.h"
#include "plugin/install/porovnani.h"
#include "plugin/messages/hlasky.h"

#include "common/sql_text.h"

#include "hodnoty.h"
#include "texty.h"

#include <map>

namespace plugin {

namespace {

using instalace::CastTextu;
using instalace::Cislo;
using instalace::Text;

constexpr int kNadpisZmen = 36;
constexpr int kTabulkyChybi = 37;
constexpr int kTabulkaChybi = 150;

constexpr std::string_view kDotazTabulek = "SELECT name FROM sysobjects WHERE name IN(%s) AND xtype='U'";

constexpr std::string_view kDotazSloupcu = "SELECT sysobjects.name,\r"
                                           "syscolumns.name,\r"
                                           "systypes.name,\r"
                                           "COLUMNPROPERTY(sysobjects.id,syscolumns.name,'IsIdentity'),\r"
                                           "syscolumns.isnullable,\r"
                                           "syscolumns.prec,\r"
                                           "syscolumns.xprec,\r"
                                           "syscolumns.scale\r"
                                           "FROM sysobjects\r"
                                           "JOIN syscolumns ON sysobjects.id=syscolumns.id\r"
                                           "JOIN systypes ON syscolumns.xusertype=systypes.xusertype\r"
                                           "WHERE syscolumns.iscomputed=0 and sysobjects.xtype='U' AND "
                                           "sysobjects.name IN(%s)\r"
                                           "ORDER BY sysobjects.name";

constexpr std::string_view kDotazPocitanych =
    "SELECT sysobjects.name,\r"
    "syscolumns.name,\r"
    "systypes.name,\r"
    "COLUMNPROPERTY(sysobjects.id,syscolumns.name,'IsIdentity'),\r"
    "syscolumns.isnullable,\r"
    "syscolumns.prec,\r"
    "syscolumns.xprec,\r"
    "syscolumns.scale,\r"
    "substring(text,    1,2000) + '|',\r"
    "substring(text, 2001,2000) + '|'\r"
    "FROM sysobjects\r"
    "JOIN syscolumns ON sysobjects.id=syscolumns.id\r"
    "JOIN systypes ON syscolumns.xusertype=systypes.xusertype\r"
    "JOIN syscomments ON syscolumns.id=syscomments.id AND syscolumns.colid=syscomments.number\r"
    "WHERE syscolumns.iscomputed=1 and sysobjects.xtype='U' AND sysobjects.name IN(%s)\r"
    "ORDER BY sysobjects.name";

constexpr std::string_view kDotazPK_UQ =
    "SELECT sysobjects.name, o2.name FROM sysobjects, sysobjects o2 WHERE "
    "sysobjects.xtype IN('UQ','PK') AND o2.id = sysobjects.parent_obj AND "
    "o2.name IN(%s)";

constexpr std::string_view kDotazDefaultu = "SELECT sysobjects.name,\r"
                                            "syscomments.text,\r"
                                            "OBJECTPROPERTY(sysobjects.id,'CnstIsDisabled'),\r"
                                            "o2.name\r"
                                            "FROM sysobjects,syscomments,sysobjects o2\r"
                                            "WHERE sysobjects.id=syscomments.id\r"
                                            "AND sysobjects.xtype IN('D','C')\r"
                                            "AND o2.id=sysobjects.parent_obj\r"
                                            "AND o2.name IN(%s)";

constexpr std::string_view kDotazCizichKlicu = "SELECT OBJECTPROPERTY(constid,'CnstIsDisabled'),\r"
                                               "OBJECT_NAME(constid),\r"
                                               "OBJECT_NAME(rkeyid),\r"
                                               "COL_NAME(rkeyid,rkey1),\r"
                                               "COL_NAME(rkeyid,rkey2),\r"
                                               "COL_NAME(rkeyid,rkey3),\r"
                                               "COL_NAME(rkeyid,rkey4),\r"
                                               "COL_NAME(rkeyid,rkey5),\r"
                                               "COL_NAME(rkeyid,rkey6),\r"
                                               "COL_NAME(rkeyid,rkey7),\r"
                                               "COL_NAME(rkeyid,rkey8),\r"
                                               "COL_NAME(rkeyid,rkey9),\r"
                                               "COL_NAME(rkeyid,rkey10),\r"
                                               "COL_NAME(rkeyid,rkey11),\r"
                                               "COL_NAME(rkeyid,rkey12),\r"
                                               "COL_NAME(rkeyid,rkey13),\r"
                                               "COL_NAME(rkeyid,rkey14),\r"
                                               "COL_NAME(rkeyid,rkey15),\r"
                                               "COL_NAME(rkeyid,rkey16),\r"
                                               "OBJECT_NAME(fkeyid)\r"
                                               "FROM sysreferences\r"
                                               "JOIN sysobjects ON fkeyid=id WHERE name IN(%s)";

//! Triggers on tables, in 2000-character parts; %s: the tables, then "NOT LIKE" or "LIKE"
//! with its two quoted halves around the table name.
constexpr std::string_view kDotazTriggeru = "SELECT sysobjects.id,\r"
                                            "OBJECTPROPERTY(sysobjects.id,'ExecIsTriggerDisabled'),\r"
                                            "substring(text,    1,2000) + '|',\r"
                                            "substring(text, 2001,2000) + '|'\r"
                                            "FROM sysobjects\r"
                                            "JOIN syscomments ON sysobjects.id=syscomments.id\r"
                                            "JOIN sysobjects o2 ON o2.id=sysobjects.parent_obj\r"
                                            "WHERE sysobjects.xtype='TR' AND o2.name IN(%s)\r"
                                            "AND sysobjects.name %s %s+o2.name+%s\r"
                                            "ORDER BY syscomments.id,syscomments.colid";

constexpr std::string_view kDotazIndexu = "SELECT name, OBJECT_NAME(id),\r"
                                          "INDEXPROPERTY(id,name,'IsClustered'),\r"
                                          "INDEX_COL(OBJECT_NAME(id),indid,1),\r"
                                          "INDEX_COL(OBJECT_NAME(id),indid,2),\r"
                                          "INDEX_COL(OBJECT_NAME(id),indid,3),\r"
                                          "INDEX_COL(OBJECT_NAME(id),indid,4),\r"
                                          "INDEX_COL(OBJECT_NAME(id),indid,5),\r"
                                          "INDEX_COL(OBJECT_NAME(id),indid,6),\r"
                                          "INDEX_COL(OBJECT_NAME(id),indid,7),\r"
                                          "INDEX_COL(OBJECT_NAME(id),indid,8)\r"
                                          "FROM sysindexes\r"
                                          "WHERE indid BETWEEN 1 AND 254\r"
                                          "AND INDEXPROPERTY(id,name,'IsStatistics')=0\r"
                                          "AND INDEXPROPERTY(id, name, 'IsUnique')=0\r"
                                          "AND OBJECT_NAME(id) LIKE %s";

constexpr std::string_view kDotazProcedur = "SELECT c.id,\r"
                                            "SUBSTRING(text,    1, 2000) + N'|',\r"
                                            "SUBSTRING(text, 2001, 2000) + N'|'\r"
                                            "FROM sysobjects\r"
                                            "JOIN syscomments c ON sysobjects.id=c.id\r"
                                            "WHERE sysobjects.name IN(%s) AND sysobjects.xtype='P'\r"
                                            "ORDER BY c.id,c.colid";

constexpr std::string_view kDotazFunkci =
    "SELECT c.id,\r"
    "SUBSTRING(text,    1, 2000) + N'|',\r"
    "SUBSTRING(text, 2001, 2000) + N'|'\r"
    "FROM sysobjects\r"
    "JOIN syscomments c ON sysobjects.id=c.id\r"
    "WHERE sysobjects.name IN(%s) AND sysobjects.xtype IN('FN','IF','TF')\r"
    "ORDER BY c.id, c.colid";

//! Texts of objects given in parts: rows of (id, ..., part 1, part 2) ordered by id and part,
//! each object's parts joined, cut to start at CREATE. `prvniCast` is the column of part 1.
struct TText {
    std::string Text;
    bool Vypnuto = false;
};
std::vector<TText> TextyPoCastech(ITaQuery& radky, int prvniCast, int sloupecVypnuto = -1) {
    std::vector<TText> texty;
    std::string posledniId;
    for (; !radky.Eof(); radky.Next()) {
        const auto id = Text(radky.FieldValue(0));
        if (texty.empty() || id != posledniId) {
            texty.push_back({{}, sloupecVypnuto >= 0 && Cislo(radky.FieldValue(sloupecVypnuto)) == 1});
            posledniId = id;
        }
        texty.back().Text +=
            CastTextu(radky.FieldValue(prvniCast)) + CastTextu(radky.FieldValue(prvniCast + 1));
    }
    for (auto& text : texty)
        text.Text = std::string(OdCreate(text.Text));
    return texty;
}

//! Every row of a result made into a record.
template <typename T, typename Radek> std::vector<T> Radky(ITaQuery& radky, Radek radek) {
    std::vector<T> zaznamy;
    for (; !radky.Eof(); radky.Next())
        zaznamy.push_back(radek(radky));
    return zaznamy;
}

//! The non-empty values of the columns [od, do) joined by commas.
std::string Seznam(const ITaQuery& radky, int od, int do_) {
    std::string seznam;
    for (int i = od; i < do_; ++i)
        if (const auto hodnota = Text(radky.FieldValue(i)); !hodnota.empty())
            seznam += (seznam.empty() ? "" : ",") + hodnota;
    return seznam;
}

TplgKatalogSloupec Sloupec(const ITaQuery& radky, bool pocitany) {
    TplgKatalogSloupec sloupec;
    sloupec.Tabulka = Text(radky.FieldValue(0));
    sloupec.Jmeno = Text(radky.FieldValue(1));
    sloupec.Typ = Text(radky.FieldValue(2));
    sloupec.Identity = Cislo(radky.FieldValue(3)) == 1;
    sloupec.Nullable = Cislo(radky.FieldValue(4)) == 1;
    sloupec.Delka = Cislo(radky.FieldValue(5));
    sloupec.Presnost = Cislo(radky.FieldValue(6));
    sloupec.Meritko = Cislo(radky.FieldValue(7));
    sloupec.Pocitany = pocitany;
    if (pocitany) sloupec.Vyraz = CastTextu(radky.FieldValue(8)) + CastTextu(radky.FieldValue(9));
    return sloupec;
}

} // namespace

bool TplgInstalace::KontrolaTabulek() {
    if (tabWhere_.empty()) return true;
    auto radky = Dotaz(Format(kDotazTabulek, {tabWhere_}));
    std::vector<std::string> existujici;
    for (; !radky->Eof(); radky->Next())
        existujici.push_back(Text(radky->FieldValue(0)));
    const auto existuje = [&](std::string_view jmeno) {
        for (const auto& nazev : existujici)
            if (instalace::StejneBezVelikosti(nazev, jmeno)) return true;
        return false;
    };
    TplgObsahDialogu obsah =
        ObsahZRegistrace(TextHlasky(kNadpisZmen) + "\r" + TextHlasky(kTabulkyChybi),
                         konfigurace_.ZobrazovanaVerze, konfigurace_.Identita.SystemoveJmeno, {});
    std::vector<std::pair<std::size_t, const TplgTabulkaDef*>> chybejici;
    for (const auto tabulka : tabulky_) {
        const auto* definice = definice_.Schema->Tabulka(tabulka);
        if (existuje(definice->JmenoSys)) continue;
        TplgUzelDialogu uzelTabulky;
        uzelTabulky.Druh = TDruhUzlu::Tabulka;
        uzelTabulky.Text = definice->JmenoSys;
        TplgUzelDialogu zprava;
        zprava.Text = TextHlasky(kTabulkaChybi);
        const int id = static_cast<int>(obsah.Prikazy.size()) + 1;
        obsah.Prikazy.push_back({id, Prepni(TextCreateTable(*definice))});
        zprava.Prikazy.push_back(id);
        uzelTabulky.Deti.push_back(std::move(zprava));
        chybejici.emplace_back(obsah.Koren.Deti.size(), definice);
        obsah.Koren.Deti.push_back(std::move(uzelTabulky));
    }
    if (chybejici.empty()) return true;
    // What must run right after a table was created follows all the tables.
    for (const auto& [uzel, definice] : chybejici) {
        if (instalace::Orizni(definice->AfterCreateTable).empty()) continue;
        const int id = static_cast<int>(obsah.Prikazy.size()) + 1;
        obsah.Prikazy.push_back({id, Prepni(std::string(definice->AfterCreateTable))});
        obsah.Koren.Deti[uzel].Deti.front().Prikazy.push_back(id);
    }
    return stav_.ZobrazZmeny(obsah);
}

bool TplgInstalace::KontrolaAtributu() {
    if (tabWhere_.empty()) return true;
    // Stored columns of each table first, then its computed ones.
    std::vector<std::string> poradi;
    std::map<std::string, std::vector<TplgKatalogSloupec>> podleTabulky;
    for (const auto& [dotaz, pocitany] :
         {std::pair{kDotazSloupcu, false}, std::pair{kDotazPocitanych, true}}) {
        auto radky = Dotaz(Format(dotaz, {tabWhere_}));
        for (; !radky->Eof(); radky->Next()) {
            auto sloupec = Sloupec(*radky, pocitany);
            const auto klic = instalace::Velkymi(sloupec.Tabulka);
            if (!podleTabulky.contains(klic)) poradi.push_back(klic);
            podleTabulky[klic].push_back(std::move(sloupec));
        }
    }
    auto& kontrola = *lokT_;
    for (const auto& klic : poradi) {
        const auto& sloupce = podleTabulky[klic];
        kontrola.SetTabulka(definice_.Schema->TabulkaPodleJmena(sloupce.front().Tabulka));
        for (const auto& sloupec : sloupce)
            kontrola.Kontrola(sloupec);
    }
    kontrola.SetTabulka(tZadna);
    return true;
}

bool TplgInstalace::KontrolaPK_UQ() {
    if (tabWhere_.empty()) return true;
    lokT_->KontrolujOmezeni_PK_UQ(
        Radky<TplgKatalogOmezeni>(*Dotaz(Format(kDotazPK_UQ, {tabWhere_})), [](const ITaQuery& r) {
            return TplgKatalogOmezeni{Text(r.FieldValue(0)), Text(r.FieldValue(1))};
        }));
    return true;
}

bool TplgInstalace::KontrolaDefaultu() {
    if (tabWhere_.empty()) return true;
    lokT_->KontrolujDefaultyChecky(
        Radky<TplgKatalogVyraz>(*Dotaz(Format(kDotazDefaultu, {tabWhere_})), [](const ITaQuery& r) {
            return TplgKatalogVyraz{Text(r.FieldValue(0)), Text(r.FieldValue(3)), Text(r.FieldValue(1)),
                                    Cislo(r.FieldValue(2)) == 1};
        }));
    return true;
}

bool TplgInstalace::KontrolaFK() {
    if (tabWhere_.empty()) return true;
    // The sixteen referenced columns, the unused ones empty.
    lokT_->KontrolujOmezeni_FK(
        Radky<TplgKatalogCiziKlic>(*Dotaz(Format(kDotazCizichKlicu, {tabWhere_})), [](const ITaQuery& r) {
            return TplgKatalogCiziKlic{Text(r.FieldValue(1)), Text(r.FieldValue(19)), Text(r.FieldValue(2)),
                                       Seznam(r, 3, 19), Cislo(r.FieldValue(0)) == 1};
        }));
    return true;
}

bool TplgInstalace::KontrolaTriggeru() {
    std::vector<TplgKatalogTrigger> katalog;
    std::vector<std::string_view> definice;
    const auto nacti = [&](const std::string& sql, const std::vector<std::string>* jmena) {
        auto radky = Dotaz(sql);
        for (auto& text : TextyPoCastech(*radky, 2, 1)) {
            if (jmena) {
                const auto jmeno = instalace::Velkymi(JmenoTriggeru(text.Text).Jmeno);
                if (std::find(jmena->begin(), jmena->end(), jmeno) == jmena->end()) continue;
            }
            katalog.push_back({std::move(text.Text), text.Vypnuto});
        }
    };
    const auto et = common::SqlNString("et_");
    const auto procento = common::SqlNString("%");
    // Foreign triggers on the plug-in's tables, and the tables' own.
    if (!tabWhere_.empty()) nacti(Format(kDotazTriggeru, {tabWhere_, "NOT LIKE", et, procento}), nullptr);
    for (const auto tabulka : tabulky_)
        if (const auto text = definice_.Schema->Tabulka(tabulka)->DefiniceTriggeru;
            !instalace::Orizni(text).empty())
            definice.push_back(text);
    // The plug-in's triggers on host tables take part only in the host's own database.
    if (instalace::StejneBezVelikosti(stav_.TestDB, stav_.AktDB)) {
        std::string tabulky;
        std::vector<std::string> jmena;
        for (std::size_t i = 1; i < definice_.Triggery.size(); ++i) {
            const auto& trigger = definice_.Triggery[i];
            if (!trigger.Legislativa.Plati(stav_.Legislativa) ||
                instalace::Orizni(trigger.TriggerSkript).empty())
                continue;
            definice.push_back(trigger.TriggerSkript);
            jmena.push_back(instalace::Velkymi(JmenoTriggeru(OdCreate(trigger.TriggerSkript)).Jmeno));
            const auto tabulka = common::SqlNString(trigger.JmenoTabulky);
            if (instalace::Najdi(tabulky, tabulka) == std::string::npos)
                tabulky += (tabulky.empty() ? "" : ",") + tabulka;
        }
        if (!tabulky.empty()) nacti(Format(kDotazTriggeru, {tabulky, "LIKE", et, procento}), &jmena);
    }
    lokT_->KontrolujTriggers(std::move(katalog), definice);
    return true;
}

bool TplgInstalace::KontrolaIndexu() {
    const auto dotaz = Format(kDotazIndexu, {common::SqlNString(konfigurace_.PrefixTabulek + "%")});
    lokT_->KontrolujIndex(Radky<TplgKatalogIndex>(*Dotaz(dotaz), [](const ITaQuery& r) {
        return TplgKatalogIndex{Text(r.FieldValue(0)), Text(r.FieldValue(1)), Seznam(r, 3, 11),
                                Cislo(r.FieldValue(2)) == 1};
    }));
    return true;
}

bool TplgInstalace::KontrolaProcedur(bool funkce) {
    std::vector<std::string_view> zdroje;
    std::string jmena;
    const auto pridej = [&](const TplgLegislativy& legislativa, std::string_view databaze,
                            std::string_view text) {
        const auto& vlastni = databaze.empty() ? stav_.AktDB : databaze;
        if (!legislativa.Plati(stav_.Legislativa) || !instalace::StejneBezVelikosti(vlastni, stav_.TestDB))
            return;
        const auto modul = JmenoModulu(text, funkce);
        if (modul.Jmeno.empty()) return;
        zdroje.push_back(text);
        jmena += (jmena.empty() ? "" : ",") + common::SqlNString(modul.Objekt);
    };
    if (funkce)
        for (std::size_t i = 1; i < definice_.Funkce.size(); ++i)
            pridej(definice_.Funkce[i].Legislativa, definice_.Funkce[i].Databaze, definice_.Funkce[i].Text);
    else
        for (std::size_t i = 1; i < definice_.Procedury.size(); ++i)
            pridej(definice_.Procedury[i].Legislativa, definice_.Procedury[i].Databaze,
                   definice_.Procedury[i].Text);
    std::vector<std::string> katalog;
    if (!jmena.empty()) {
        auto radky = Dotaz(Format(funkce ? kDotazFunkci : kDotazProcedur, {jmena}));
        for (auto& text : TextyPoCastech(*radky, 1))
            katalog.push_back(std::move(text.Text));
    }
    if (funkce)
        lokT_->KontrolujUzivatelskeFunkce(katalog, zdroje);
    else
        lokT_->KontrolujUlozeneProcedury(katalog, zdroje);
    return true;
}

} // namespace plugin
