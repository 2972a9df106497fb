#pragma once
//! Captions, short captions, value lists and hints of the effective schema in the user's
//! language: texts given by a message index or a message key come from the message table, those
//! of columns with a source attribute from the host.

#include "plugin/definitions/schema.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace plugin {

//! Where the texts come from; the plug-in's run protocol implements it with the message table
//! and the host's interface.
class IZdrojPopisku {
public:
    virtual ~IZdrojPopisku() = default;
    //! Text of a message by index in the current languages.
    virtual std::string TextHlasky(int index) = 0;
    //! Text of a message by its key (a GUID without braces); empty when no message has the key.
    virtual std::string TextKlice(std::string_view klic) = 0;
    //! Caption of a host attribute "Table.Column".
    virtual std::string PopisAtributu(std::string_view tarvikAttr) = 0;
    //! Value list of a host attribute "Table.Column" (lines "value=text").
    virtual std::string KonverzeAtributu(std::string_view tarvikAttr) = 0;
};

struct TplgPopisAtributu {
    std::string JmenoVerejne;
    std::string JmenoVerejneZkr;
    std::string Konverze;
    std::string Hint;
};

struct TplgPopisTabulky {
    std::string Jmeno;
    std::vector<TplgPopisAtributu> Atributy; //!< in the order of the table's columns
};

//! The resolved texts of a schema, indexed by TplgTabulka (empty where there is no table).
struct TplgPopisky {
    std::vector<TplgPopisTabulky> Tabulky;
    //! The texts of a column; nullptr when the table or column is unknown.
    const TplgPopisAtributu* Atribut(const TplgSchema& schema, TplgTabulka tabulka,
                                     std::string_view jmeno) const;
};

//! True for a text that is a message key: a GUID, with or without braces.
bool JeKlicHlasky(std::string_view text);

//! Resolves every text of the schema: a message index when set; for a column's caption and value
//! list otherwise the host's, when the column has a source attribute; otherwise the plain text,
//! or the message it is the key of. Errors of the source pass through.
TplgPopisky PrelozPopisky(const TplgSchema& schema, IZdrojPopisku& zdroj);

//! Resolves the texts of EfektivniSchema() and makes them the current ones (after a change of
//! the user's languages).
void PrelozPopiskyTabulek(IZdrojPopisku& zdroj);
//! The current texts of EfektivniSchema(); until the first PrelozPopiskyTabulek only the plain
//! texts are filled.
std::shared_ptr<const TplgPopisky> PopiskyTabulek();

} // namespace plugin
