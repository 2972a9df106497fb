#pragma once
//! The schema checker: compares the plug-in's definitions with the catalog rows the installer
//! reads and, for every difference, records the statement that removes it together with a short
//! explanation. It runs nothing; the installer shows what it collected in the change dialog.

#include "plugin/definitions/schema.h"
#include "plugin/install/skript_zmen.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace plugin {

//! A column as the catalog describes it (syscolumns, systypes, COLUMNPROPERTY, syscomments).
struct TplgKatalogSloupec {
    std::string Tabulka;
    std::string Jmeno;
    std::string Typ; //!< systypes.name
    bool Identity = false;
    bool Nullable = false;
    int Delka = 0;    //!< prec
    int Presnost = 0; //!< xprec
    int Meritko = 0;  //!< scale
    bool Pocitany = false;
    std::string Vyraz; //!< the expression of a computed column as the catalog stores it
};

//! A primary key or unique constraint of the catalog.
struct TplgKatalogOmezeni {
    std::string Jmeno;
    std::string Tabulka;
};

//! A default or check constraint of the catalog.
struct TplgKatalogVyraz {
    std::string Jmeno;
    std::string Tabulka;
    std::string Text; //!< as the server stores it, e.g. "((0))"
    bool Vypnuto = false;
};

//! A foreign key of the catalog.
struct TplgKatalogCiziKlic {
    std::string Jmeno;
    std::string Tabulka;      //!< the table the key is on
    std::string CiziTabulka;  //!< the referenced table
    std::string CiziAtributy; //!< the referenced columns, a comma list
    bool Vypnuto = false;
};

//! A trigger of the catalog: its text from CREATE on.
struct TplgKatalogTrigger {
    std::string Text;
    bool Vypnuto = false;
};

//! An index of the catalog that is neither unique nor statistics.
struct TplgKatalogIndex {
    std::string Jmeno;
    std::string Tabulka;
    std::string Atributy; //!< its columns, a comma list
    bool Clustered = false;
};

class Tx {
public:
    //! The checker for the tables of a schema; `verzeServeru` decides how stored expressions are
    //! compared (ITarvik::GetSQLServerVersion).
    Tx(const TplgSchema& schema, std::uint32_t verzeServeru);

    //! The database under check, and whether statements switch to it: when the objects live in
    //! more than one database, every statement is run as "USE [database]" and "EXEC(statement)".
    void NastavDatabazi(std::string testDB, bool prepinat);
    //! The plug-in tables that belong to the database under check (FSLTabs).
    void NastavTabulky(std::vector<TplgTabulka> tabulky);

    //! Adds a statement explained under table → object → explanation.
    void PridejDoSL_Tab(std::string_view tabulka, std::string_view objekt, TUmisteni umisteni,
                        std::string prikaz, std::string_view vysvetleni, bool varovani = false);
    //! Appends a statement explained under procedure → explanation.
    void PridejDoSL_UProc(std::string_view jmeno, std::string_view vysvetleni, std::string prikaz);

    //! Columns: ends the comparison of the previous table (adding the columns the catalog did not
    //! report) and starts the next; tZadna ends the last one.
    void SetTabulka(TplgTabulka tabulka);
    //! Columns: one catalog column of the current table.
    void Kontrola(const TplgKatalogSloupec& sloupec);
    //! Primary keys and unique constraints.
    void KontrolujOmezeni_PK_UQ(std::vector<TplgKatalogOmezeni> katalog);
    //! Defaults and checks.
    void KontrolujDefaultyChecky(std::vector<TplgKatalogVyraz> katalog);
    //! Foreign keys.
    void KontrolujOmezeni_FK(std::vector<TplgKatalogCiziKlic> katalog);
    //! Triggers against the trigger texts the definitions give for the database under check.
    void KontrolujTriggers(std::vector<TplgKatalogTrigger> katalog,
                           const std::vector<std::string_view>& definice);
    //! Indexes; catalog indexes no definition names are left alone.
    void KontrolujIndex(std::vector<TplgKatalogIndex> katalog);
    //! Stored procedures: catalog texts against the source texts.
    void KontrolujUlozeneProcedury(const std::vector<std::string>& katalog,
                                   const std::vector<std::string_view>& zdroje);
    //! User functions: catalog texts against the source texts.
    void KontrolujUzivatelskeFunkce(const std::vector<std::string>& katalog,
                                    const std::vector<std::string_view>& zdroje);

    const TplgSkript& Skript() const { return skript_; }
    //! table → object → explanation → statement
    const TplgVysvetleni& SL_Tab() const { return slTab_; }
    //! procedure → explanation → statement
    const TplgVysvetleni& SL_UProc() const { return slUProc_; }

private:
    void PridejAtribut(const TplgTabulkaDef& tabulka, const TplgAtributTabulky& atribut, TUmisteni umisteni,
                       std::string_view vysvetleni);
    void ZmenaPocitaneho(const TplgTabulkaDef& tabulka, const TplgAtributTabulky& atribut);
    void Zrus(std::string_view tabulka, std::string_view jmeno);
    void KontrolujModuly(const std::vector<std::string>& katalog, const std::vector<std::string_view>& zdroje,
                         bool funkce);
    std::string Prepni(std::string prikaz) const;
    //! The constraints of one kind of the tables under check, with their table.
    std::vector<std::pair<const TplgTabulkaDef*, const TplgConstraintTabulky*>>
    Omezeni(std::initializer_list<TplgConstraint> druhy) const;

    const TplgSchema& schema_;
    std::uint32_t verzeServeru_;
    std::string testDB_;
    bool prepinat_ = false;
    std::vector<TplgTabulka> tabulky_;
    TplgTabulka tabulka_ = tZadna;            // FTabulka
    std::vector<bool> pole_;                  // FPole
    std::set<std::string> pridavaneDefaulty_; // PridavaneDefaultySL, upper case
    TplgSkript skript_;
    TplgVysvetleni slTab_;
    TplgVysvetleni slUProc_;
};

//! "USE [database]", a "]" in the name doubled.
std::string TextUse(std::string_view databaze);

//! A statement run in another database: "USE [database]", CR, "EXEC(N'statement')".
std::string PrepniDatabazi(std::string_view databaze, std::string_view prikaz);

} // namespace plugin
