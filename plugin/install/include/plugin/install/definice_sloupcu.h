#pragma once
//! The host's default layout of a browse column (`TabObecnyPrehled.DefAttrs` holds a list of them
//! in text form), and the layout of a plug-in browse made from its main table's columns.

#include "plugin/definitions/browses.h"
#include "plugin/definitions/captions.h"

#include <string>
#include <string_view>
#include <vector>

namespace plugin {

//! One column of a browse as the host lays it out.
struct T_OP_DefiniceAtributu {
    std::string JmenoSys;
    std::string VerejnyNazev;
    std::string VerejnyNazevZkr;
    int Sirka = 0;
    std::string Maska;
    bool Verejny = true;
    bool Sumovat = false;
    bool ProTisk = true;
    int ZobrazeniPoradi = 1024; //!< display position; 0 = not shown
    bool Klic = false;
    bool Vyzadovany = false;
    std::string Konverze; //!< value list, lines separated by CR
    std::string TarvikAttr;
    int SysFiltr = 0;      //!< system filter 1 to 7; 0 = none
    int TrideniPoradi = 0; //!< sort position; 0 = not sorted
    int TrideniTyp = 0;    //!< 1 = descending
    bool JeToObrazek = false;
    bool ProcPruh = false;
    bool Barva = false;
    bool Stav = false;
    std::string Skupina;

    //! The 21 fields separated by U+0001 (integers in decimal, booleans "0"/"1", the value list's
    //! CR LF and CR as U+0002).
    std::string Zakoduj() const;
    //! The inverse: "1" is true, a bad integer is 0, U+0002 becomes CR LF; missing fields keep the
    //! values of a new descriptor.
    static T_OP_DefiniceAtributu Dekoduj(std::string_view text);

    bool operator==(const T_OP_DefiniceAtributu&) const = default;
};

//! The text forms of the descriptors joined by CR.
std::string ZakodujSloupce(const std::vector<T_OP_DefiniceAtributu>& sloupce);
//! The descriptors of such a text; an empty text has none.
std::vector<T_OP_DefiniceAtributu> DekodujSloupce(std::string_view text);

//! One descriptor per column of the browse's main table, in column order: shown and sorted as the
//! browse's SELECT and ORDERBY lists say, captions as the host gets them (a message's key, or the
//! text; `popisky` gives the texts taken from the host), the key columns of the table, the
//! browse's system filters.
std::vector<T_OP_DefiniceAtributu> SloupcePrehledu(const TplgVychoziNastaveniBrowse& prehled,
                                                   const TplgTabulkaDef& tabulka,
                                                   const TplgPopisTabulky* popisky);

} // namespace plugin
