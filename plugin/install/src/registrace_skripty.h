#pragma once
// The statements that register the plug-in in the host's tables: each an insert-or-update keyed by
// a name or GUID, so that registering again changes nothing. Lines are separated by CR.

#include "plugin/definitions/actions.h"
#include "plugin/definitions/browses.h"
#include "plugin/definitions/registrations.h"
#include "plugin/install/konfigurace_instalace.h"
#include "plugin/install/registrace.h"
#include "plugin/messages/hlasky.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plugin::registrace {

//! What every registration statement needs.
struct TKontext {
    std::string Autor;   //!< the SQL expression of @Autor: the system name and the login in brackets
    std::string Skupina; //!< the group: the first 30 characters of the public name
};

TKontext Kontext(const TInstalacniKonfigurace& konfigurace);

//! An N-quoted literal.
std::string N(std::string_view text);
//! An N-quoted literal, or NULL for an empty text.
std::string NeboNull(std::string_view text);
//! The first `znaku` characters (code points) of a UTF-8 text.
std::string Prvnich(std::string_view text, std::size_t znaku);

//! Lines joined by CR.
class TRadky {
public:
    TRadky& operator<<(std::string_view radek) {
        if (!text_.empty() || pocet_ > 0) text_ += '\r';
        text_ += radek;
        ++pocet_;
        return *this;
    }
    const std::string& Text() const { return text_; }
    //! Ends a statement that began a transaction: the statements of actions (may be empty), the
    //! commit, and the rollback that every failing step jumps to. Returns the text.
    const std::string& UkonciTransakci(std::string_view skriptAkci = {}) {
        if (!skriptAkci.empty()) *this << skriptAkci;
        *this << "COMMIT"
              << "RETURN"
              << "CHYBAROLLBACK:"
              << "ROLLBACK";
        return text_;
    }

private:
    std::string text_;
    int pocet_ = 0;
};

// External attributes (installer step 2).

//! The type as the host's hp_ExterniTabulka takes it: "NVARCHAR(128)", "NUMERIC(19,6)", "INT".
std::string TypProHostitele(const TplgExterniAtribut& atribut);
//! "A" public and editable, "N" neither, "E" editable only, "V" public only.
std::string VerejnyAtr(const TplgExterniAtribut& atribut);
//! The statement of one attribute; a browse-type attribute whose lookup is a plug-in browse is
//! appended to `dpsn` for the registration step.
std::string SkriptExterniAtributu(const TplgExterniAtribut& atribut, const TKontext& kontext,
                                  std::vector<TplgDPSNExtAttr>& dpsn);

// Browses (installer step 10, section A and B).

//! The browse's name in the current languages: "*" is the public name of its main table.
std::string JmenoPrehledu(const TplgVychoziNastaveniBrowse& prehled);

//! Where a browse sits in the navigation: its folder (empty: none), its position there from 1 and
//! the view name of its parent browse (empty: none).
struct TUmisteni {
    std::string Soudek;
    int Poradi = 0;
    std::string NazevSysPredek;
};

//! The places of the browses that apply to the legislation, indexed by TplgBrowse.
std::vector<TUmisteni> UmisteniPrehledu(int legislativa);

//! The browse statement: its user browse row (the number kept once it has one), its view dropped
//! and created again, its folder row and its actions. `defAttrs` is the column layout in text
//! form, or NULL when the browse's main table has no definition.
std::string SkriptPrehledu(const TplgVychoziNastaveniBrowse& prehled, const TUmisteni& umisteni,
                           const std::string* defAttrs, std::string_view skriptAkci, const TKontext& kontext);

//! Fills the lookup browse of a browse-type attribute with the number of its plug-in browse.
std::string SkriptDPSN(const TplgDPSNExtAttr& atribut);

// Actions, relations, folders, messages, group (installer step 10, sections C to G).

//! The actions of an action object on a host browse, in their transaction.
std::string SkriptAkciHostitele(int browseID, std::string_view skriptAkci, const TKontext& kontext);
//! "<left> x <right>": the relation's description and item caption.
std::string PopisVztahu(const TplgVztahDef& vztah);
std::string SkriptVztahu(const TplgVztahDef& vztah, const TKontext& kontext);
//! The order of the plug-in's folders (entries from 1): kept once they are listed, after all
//! others the first time.
std::string SkriptPoradiSoudku(std::span<const TplgSoudekDef> soudky);
//! Every message with a text key in every host language that has texts. The message lookup is
//! switched to each language in turn and back to the user's languages afterwards.
std::string SkriptHlasek(std::span<const int> jazyky, const TNactiJazykovouKnihovnu& knihovna,
                         const TKontext& kontext);
std::string SkriptSkupiny(const TKontext& kontext);

} // namespace plugin::registrace
