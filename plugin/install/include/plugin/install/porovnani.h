#pragma once
//! How the schema checker decides that a text the catalog holds equals the one the definitions
//! give: computed columns, defaults and checks as the server stores them, and the names read out
//! of trigger, procedure and function texts.

#include <cstdint>
#include <string>
#include <string_view>

namespace plugin {

//! True from SQL Server 2005 (version 9) on, whose stored expressions add ",0)" to conversions and
//! "=" without blanks.
constexpr bool JeVerze9(std::uint32_t verzeServeru) {
    return verzeServeru >= 0x09000000u;
}

//! A computed-column or default expression of the catalog compared with a definition: from
//! version 9 on every ",0)" of the catalog text goes, then blanks, parentheses and square brackets
//! go from both, and the rest is compared ignoring case; below version 9 the texts are compared
//! ignoring case as they are.
bool StejnyVyraz(std::string_view katalog, std::string_view definice, std::uint32_t verzeServeru);

//! A default as the catalog stores it (in one more pair of parentheses) compared with its
//! definition.
bool StejnyDefault(std::string_view katalog, std::string_view definice, std::uint32_t verzeServeru);

//! A check of column `sloupec` as the catalog stores it compared with its definition: an IN list
//! must be the same values as "[column]=value" terms joined by " OR "; a BETWEEN the two bounds as
//! "[column]>=low AND [column]<=high"; anything else is compared without blanks, brackets and
//! parentheses, and once more without the column name too.
bool StejnyCheck(std::string_view katalog, std::string_view definice, std::string_view sloupec,
                 std::uint32_t verzeServeru);

//! The text of a trigger, procedure or function from its first "CREATE" on (any case); the whole
//! text when it has none.
std::string_view OdCreate(std::string_view text);

//! True when two module texts are equal once trailing CR, LF and blanks are ignored.
bool StejnyText(std::string_view a, std::string_view b);

//! A trigger's table (the word after "ON") and name (the word after "TRIGGER"), square brackets
//! removed; empty when the text does not say.
struct TplgJmenoTriggeru {
    std::string Tabulka;
    std::string Jmeno;
};
TplgJmenoTriggeru JmenoTriggeru(std::string_view text);

//! A procedure's or function's name and text as the checker compares them.
struct TplgJmenoModulu {
    std::string Jmeno;  //!< upper case with "DBO." in front, e.g. "DBO._HP_QUELTA_X"
    std::string Objekt; //!< the name as sysobjects holds it, e.g. "_HP_QUELTA_X"
    std::string Text;   //!< the text from CREATE on, "dbo." inserted before a name without it
};
//! Reads the name after "PROC" (procedures) or after "FUNCTION" up to "(" (functions), square
//! brackets removed; empty names when the text has none.
TplgJmenoModulu JmenoModulu(std::string_view text, bool funkce);

} // namespace plugin
