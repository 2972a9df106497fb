#pragma once
//! The record types of the plug-in's schema definitions: tables with their column arrays, common
//! column templates, constraints and SQL types. The plug-in's own tables are static arrays of these
//! records (tables.h); the effective schema (schema.h) is derived from them once per loaded library.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace plugin {

//! The plug-in's tables, the index of each in the table registry; 0 = no table.
enum TplgTabulka : std::uint8_t {
    tZadna,
    tQUELTAZamPortal,
    tQUELTAKonverzeRodinnyStav,
    tQUELTAKonverzeDruhDuchodu,
    tQUELTAKonverzeDruhMzdyMesHod,
    tQUELTAKonverzeDruhPP,
    tQUELTAKonverzeVztah,
    tQUELTANastaveniSynchronizace,
    tQUELTADeleteLog,
    tQUELTAHGlob,
    tQUELTAWSPreProcess,
    tQUELTAWSPayrollComponents,
    tQUELTATravelOrder_ImportTable,
    tQUELTATravelOrderCost_ImportTable,
    tQUELTATravelOrderFuel_ImportTable,
    tQUELTATravelOrderItem_ImportTable,
    tQUELTASynchroLog,
};

//! Data types of a column; the values index the type table.
enum TplgTypAtributu : std::uint8_t {
    taBlbe, //!< no type of its own (until a template is merged in)
    taInt,
    taIdentity,
    taSmallInt,
    taByte,
    taBoolean,
    taVarChar,
    taChar,
    taText,
    taNVarChar,
    taNChar,
    taNText,
    taBinary,
    taImage,
    taDateTime,
    taNumeric_4_2,
    taNumeric_5_2,
    taNumeric_7_2,
    taNumeric_9_2,
    taNumeric_15_0,
    taNumeric_19_2,
    taNumeric_19_6,
    taNumeric_20_6,
    taNumeric_28_0,
    taFloat,
};

//! Common-column templates a column may merge in.
enum TplgUzivatelskyTypAtributu : std::uint8_t {
    plg_utaZadny,
    plg_utaSystemoveCislo,
    plg_utaAutor,
    plg_utaDatPorizeni,
    plg_utaZmenil,
    plg_utaDatZmeny,
    plg_utaBlokovaniEditoru,
    plg_utaGUID,
    plg_utaSazbaDPH,
    plg_utaCena,
    plg_utaMena,
    plg_utaTextChyby,
    plg_utaImpSoubor,
    plg_utaSkupZbo,
    plg_utaRegCis,
};

//! Nullability as declared; nNic becomes nNOTNULL in the effective schema.
enum TplgNULL : std::uint8_t { nNic, nNOTNULL, nNULL };
//! A yes/no setting that may be left open; vDefault becomes vFalse in the effective schema.
enum TplgBool : std::uint8_t { vDefault, vFalse, vTrue };
//! Key role of a single column.
enum TplgPK_UQ : std::uint8_t { puNic, puPrimaryKey, puUnique };
//! Subtype of an SQL type.
enum TplgPodtypAtributu : std::uint8_t { ptaZadny, ptaIdentity };
//! Kinds of constraint; each has a name prefix (PrefixConstraintu).
enum TplgConstraint : std::uint8_t {
    coChyba,
    coPrimaryKey,
    coUnique,
    coCheck,
    coForeignKey,
    coDefault,
    coIndex,
    coIndexClustered,
};

//! Table options (TplgTabulkaDef::DalsiVlastnosti).
inline constexpr std::uint8_t tdvNeniDatabazovaTabulka = 2; //!< never installed, no dataset
inline constexpr std::uint8_t tdvBezPrevoduUnicode = 4;     //!< left out of the Unicode conversion
inline constexpr std::uint8_t tdvDedKliceACheck = 8;        //!< inherited columns keep PK/UQ, FK and check
inline constexpr std::uint8_t tdvTabulkaPluginu = 16;       //!< read by the browse actions on editing

//! Column options (TplgAtributTabulky::DalsiVlastnosti).
inline constexpr std::uint8_t advNeniDatabazovy = 1; //!< skipped by every DDL and comparison
inline constexpr std::uint8_t advObrazek = 2;        //!< picture
inline constexpr std::uint8_t advProcPruh = 4;       //!< percentage bar
inline constexpr std::uint8_t advBarva = 8;          //!< colour

//! A set of legislations (the host's TabHGlob.Legislativa: 0 Czech, 1 Slovak); empty = all.
class TplgLegislativy {
public:
    constexpr TplgLegislativy() = default;
    constexpr TplgLegislativy(std::initializer_list<std::uint8_t> hodnoty) {
        for (const auto h : hodnoty)
            bits_[h / 64] |= std::uint64_t{1} << (h % 64);
    }
    constexpr bool Prazdna() const { return (bits_[0] | bits_[1] | bits_[2] | bits_[3]) == 0; }
    //! False for a value outside 0 to 255.
    constexpr bool Obsahuje(int hodnota) const {
        return hodnota >= 0 && hodnota < 256 && ((bits_[hodnota / 64] >> (hodnota % 64)) & 1) != 0;
    }
    //! True when the set is empty (every legislation) or holds the value.
    constexpr bool Plati(int hodnota) const { return Prazdna() || Obsahuje(hodnota); }

private:
    std::array<std::uint64_t, 4> bits_{};
};

//! One column of a table definition. Texts given as a message index (the fields ending in "Txt")
//! win over the plain texts beside them; a plain caption may also be the GUID key of a message.
struct TplgAtributTabulky {
    std::string_view JmenoSys = {};                 //!< column name
    std::string_view JmenoVerejne = {};             //!< caption: plain text or the GUID key of a message
    std::uint16_t JmenoVerejneTxt = 0;              //!< caption as a message index
    std::string_view JmenoVerejneZkr = {};          //!< short caption
    std::uint16_t JmenoVerejneZkrTxt = 0;           //!< short caption as a message index
    TplgTypAtributu Typ = taBlbe;                   //!< data type
    TplgUzivatelskyTypAtributu UTyp = plg_utaZadny; //!< template to merge in
    std::uint16_t Delka = 0;                        //!< length of character and binary types
    std::string_view Pocitany = {};                 //!< expression of a computed column; empty = stored
    TplgNULL Null = nNic;                           //!< nullability
    TplgPK_UQ PK_UQ = puNic;                        //!< primary key or unique constraint on this column
    std::string_view ForeignKey = {};               //!< "Table(Column)" referenced by a foreign key
    std::string_view ServerDEFAULT = {};            //!< SQL default expression; empty = none
    std::string_view CHECK = {};                    //!< check expression
    TplgBool Vyzadovany = vDefault;                 //!< value required in editors
    TplgBool Verejny = vDefault;                    //!< column visible to the user
    std::string_view Konverze = {};                 //!< value list: lines "value=text", or a message key
    std::uint16_t KonverzeTxt = 0;                  //!< value list as a message index
    std::uint8_t SirkaSloupce = 0;                  //!< default column width in a browse
    std::string_view MaskaDisplay = {};             //!< display mask
    bool Sumovat = false;                           //!< the browse shows a sum
    std::string_view Hint = {};                     //!< hint
    std::uint16_t HintTxt = 0;                      //!< hint as a message index
    std::uint8_t DalsiVlastnosti = 0;               //!< column options (adv...)
    std::string_view TarvikAttr = {};               //!< source attribute in the host: "Table.Column"

    constexpr bool JeDatabazovy() const { return (DalsiVlastnosti & advNeniDatabazovy) == 0; }
    constexpr bool JePocitany() const { return !Pocitany.empty(); }
};

//! A constraint or index of a table. In the static data the arrays are empty; the effective schema
//! derives them from the columns.
struct TplgConstraintTabulky {
    std::string_view JmenoSys = {};        //!< name; empty until derivation names it
    TplgConstraint Typ = coChyba;          //!< kind
    std::string_view Atributy = {};        //!< own columns (comma list) of a key, index or default
    std::string_view Vyraz = {};           //!< check or default expression
    std::string_view VlastniAtributy = {}; //!< own columns of a foreign key
    std::string_view CiziTabulka = {};     //!< table a foreign key references
    std::string_view CiziAtributy = {};    //!< columns a foreign key references
};

//! A table definition.
struct TplgTabulkaDef {
    TplgTabulka SelfIdent = tZadna;          //!< the table's own enumerator
    std::string_view JmenoSys = {};          //!< system (SQL) name
    std::string_view Jmeno = {};             //!< public name: plain text or the GUID key of a message
    std::uint16_t JmenoTxt = 0;              //!< public name as a message index
    TplgLegislativy Legislativa = {};        //!< legislations the table exists for; empty = all
    std::string_view Databaze = {};          //!< database it lives in; empty = the current one
    TplgTabulka Predek = tZadna;             //!< ancestor whose columns are inherited
    std::string_view VyjmuteAttrPredka = {}; //!< ancestor columns not inherited, one name per line
    std::span<const TplgAtributTabulky> Atributy = {};       //!< the column array
    std::span<const TplgConstraintTabulky> Constraints = {}; //!< constraints given beside the columns
    std::uint8_t DalsiVlastnosti = 0;                        //!< table options (tdv...)
    std::string_view PrimarniKlic = {};        //!< key columns named in browse layouts; empty = "ID"
    std::string_view TriggerBeforeDelete = {}; //!< not used by this plug-in's tables
    std::string_view AfterCreateTable = {};    //!< SQL run right after the table was created
    std::string_view DefiniceTriggeru = {};    //!< trigger on this table, compared by the installer
};

//! A common-column template: the column every field of which a column using it may take over.
struct TplgUzivatelskeAtributyDef {
    TplgUzivatelskyTypAtributu SelfIdent = plg_utaZadny;
    TplgAtributTabulky A;
};

//! An SQL type as the DDL writes it.
struct TplgDefTypu {
    TplgTypAtributu SelfIdent = taBlbe;
    std::string_view T = {};         //!< SQL type name; empty for taBlbe
    TplgPodtypAtributu X = ptaZadny; //!< subtype
    std::uint8_t P = 0;              //!< precision, 0 = none
    std::uint8_t S = 0;              //!< scale
};

//! The type table entry of a type; throws std::out_of_range for a value outside the table.
const TplgDefTypu& DefiniceTypu(TplgTypAtributu typ);

//! Category of a type for the temporary default of a new NOT NULL column: 1 integer, 2 numeric
//! and float, 3 character, 4 date, 5 binary; 0 for taBlbe.
int KategorieTypu(TplgTypAtributu typ);

//! The name prefix of a constraint kind ("PK", "UQ", ..., "!chyba!" for coChyba).
std::string_view PrefixConstraintu(TplgConstraint typ);

//! The kind whose prefix the text is (case-insensitive); coChyba when none.
TplgConstraint ConstraintPodlePrefixu(std::string_view prefix);

} // namespace plugin
