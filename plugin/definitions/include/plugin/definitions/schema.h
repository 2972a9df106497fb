#pragma once
//! The effective schema: the table definitions completed by inheritance from the ancestor table,
//! by the common-column templates and by the normalisation of open settings, with the constraints
//! derived from the columns and named. Computed once and read-only afterwards.

#include "plugin/definitions/model.h"

#include <deque>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plugin {

//! A column name with its definition, as the sorted column list gives it.
using TplgJmenoAtributu = std::pair<std::string_view, const TplgAtributTabulky*>;

class TplgSchema {
public:
    //! Completes every table of the registry (entries from 1; entry 0 must be null or tZadna) with
    //! the templates. Throws std::logic_error naming the table and column for a definition that
    //! cannot be completed: an unknown template or ancestor, ancestors in a cycle, a foreign key
    //! not of the form Table(Columns).
    static std::unique_ptr<const TplgSchema> Odvod(std::span<const TplgTabulkaDef* const> registr,
                                                   std::span<const TplgUzivatelskeAtributyDef> sablony);

    TplgSchema(const TplgSchema&) = delete;
    TplgSchema& operator=(const TplgSchema&) = delete;

    //! The completed definition of a table; nullptr for tZadna, a value outside the registry or an
    //! empty registry entry.
    const TplgTabulkaDef* Tabulka(TplgTabulka tabulka) const;
    //! The system name of a table; empty when it has no definition.
    std::string_view JmenoSys(TplgTabulka tabulka) const;
    //! The table of a system name (surrounding blanks ignored, case-insensitive); tZadna when the
    //! name is empty or unknown.
    TplgTabulka TabulkaPodleJmena(std::string_view jmenoSys) const;
    //! The first column of the table with that name (case-insensitive); nullptr when none.
    const TplgAtributTabulky* Atribut(TplgTabulka tabulka, std::string_view jmeno) const;
    //! The column named by "Table.Column"; nullptr when the text has no "." or names nothing.
    const TplgAtributTabulky* Atribut(std::string_view tabulkaTeckaAtribut) const;
    //! The table's column names sorted case-insensitively, each with its definition.
    std::vector<TplgJmenoAtributu> SerazeneAtributy(TplgTabulka tabulka) const;

    //! First and last index of a walk over the registry: 1 when entry 0 is empty, else 0; the
    //! last entry.
    int PrvniTabulka() const { return 1; }
    int PosledniTabulka() const { return static_cast<int>(tabulky_.size()) - 1; }

private:
    TplgSchema() = default;
    friend class TplgOdvozeniSchematu;

    std::vector<TplgTabulkaDef> tabulky_; // index = enumerator; SelfIdent tZadna where none
    std::deque<std::vector<TplgAtributTabulky>> atributy_;
    std::deque<std::vector<TplgConstraintTabulky>> constraints_;
    std::deque<std::string> texty_; // texts made by the derivation, referenced by the records
};

//! The plug-in's effective schema, derived from RegistrTabulek() and SablonyAtributu() on first
//! use (safe to call from several threads).
const TplgSchema& EfektivniSchema();

//! True when a table takes part in an installation into database `testovanaDB`: it is a database
//! table, its name does not start with "#", its legislation set applies to `legislativa`, and
//! its database (the current one, `aktualniDB`, when it names none) is `testovanaDB`
//! (case-insensitive).
bool JeInstalovatelna(const TplgTabulkaDef& tabulka, int legislativa, std::string_view aktualniDB,
                      std::string_view testovanaDB);

} // namespace plugin
