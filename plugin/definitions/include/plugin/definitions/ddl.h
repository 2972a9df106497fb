#pragma once
//! SQL statements made from single definitions: the CREATE TABLE text of a table, the type text
//! a column is compared by, and the statements that add, change or remove one column or
//! constraint. Pure functions: the same definition always gives the same text. Lines are
//! separated by CR, inside CREATE TABLE by CR LF.

#include "plugin/definitions/model.h"
#include "plugin/definitions/schema.h"

#include <string>
#include <string_view>

namespace plugin {

//! The CREATE TABLE text of a completed table definition: its stored columns, then its computed
//! columns, then its primary-key, unique and check constraints.
std::string TextCreateTable(const TplgTabulkaDef& tabulka);
//! The CREATE TABLE text of a table of the schema; "/* TABULKA č.<n> NENI DEFINOVANA */" when it
//! has no definition.
std::string TextCreateTable(const TplgSchema& schema, TplgTabulka tabulka);

//! A column as the catalog describes it (syscolumns, systypes, COLUMNPROPERTY).
struct TplgSloupecKatalogu {
    std::string_view Typ = {}; //!< systypes.name
    bool Identity = false;
    int Delka = 0;    //!< syscolumns.prec of character and binary types
    int Presnost = 0; //!< syscolumns.xprec
    int Meritko = 0;  //!< syscolumns.scale
    bool Nullable = false;
};

//! The type text a column is compared by: the type name upper-cased, "(length)" for a character
//! or binary type, "(precision,scale)" for NUMERIC, " IDENTITY(1,1)" for an identity column,
//! then " NULL" or " NOT NULL".
std::string TextTypu(const TplgSloupecKatalogu& sloupec);
//! The type text of a completed column definition (nullable when its Null is nNULL).
std::string TextTypu(const TplgAtributTabulky& atribut);

//! Name of the default constraint of a column: "DF__<table>__<column>".
std::string JmenoDefaultu(std::string_view tabulka, std::string_view atribut);

//! The statement adding a column, and the name of the default constraint created with it.
struct TplgPridaniAtributu {
    std::string Prikaz;
    std::string PridanyDefault; //!< empty when the column has no default of its own
};
//! Adds a completed column to a table: "ALTER TABLE t ADD c AS expression" for a computed column;
//! otherwise "ALTER TABLE t ADD c <type text>" with its default constraint, or, for a NOT NULL
//! column without default that is not an identity, a temporary default
//! DF__<table>__<column>__TarvikPom (0 for numbers, '' for texts) dropped at once, so that the
//! column can be added to a filled table. Date and binary columns get no temporary default.
TplgPridaniAtributu TextPridaniAtributu(std::string_view tabulka, const TplgAtributTabulky& atribut);
//! "ALTER TABLE t ALTER COLUMN c <type text>".
std::string TextZmenyAtributu(std::string_view tabulka, const TplgAtributTabulky& atribut);
//! "ALTER TABLE t DROP COLUMN c".
std::string TextZruseniAtributu(std::string_view tabulka, std::string_view atribut);

//! Adds a named constraint: PRIMARY KEY (...), UNIQUE (...), CHECK (...), DEFAULT ... FOR c,
//! FOREIGN KEY (...) REFERENCES t (...); an index becomes CREATE [NON]CLUSTERED INDEX. Empty for
//! coChyba.
std::string TextPridaniConstraintu(std::string_view tabulka, const TplgConstraintTabulky& constraint);
//! "ALTER TABLE t DROP CONSTRAINT name".
std::string TextZruseniConstraintu(std::string_view tabulka, std::string_view jmeno);
//! Replaces a changed default or check: the drop, CR, and the addition.
std::string TextZmenyConstraintu(std::string_view tabulka, const TplgConstraintTabulky& constraint);
//! "ALTER TABLE t WITH CHECK CHECK CONSTRAINT name": enables a disabled constraint.
std::string TextZapnutiConstraintu(std::string_view tabulka, std::string_view jmeno);

//! A constraint name read back into its parts.
struct TplgJmenoConstraintu {
    TplgConstraint Typ = coChyba; //!< from the first two characters
    std::string Tabulka;          //!< after the first four characters, up to the next "__"
    std::string Atributy;         //!< the rest, every "__" turned into ","
};
//! Reads "PK__Table__Col1__Col2" into kind, table and "Col1,Col2".
TplgJmenoConstraintu RozeberJmenoConstraintu(std::string_view jmeno);

} // namespace plugin
