#pragma once
//! The plug-in's message table and the lookup of a message in the user's languages.
//! Texts are UTF-8; the character U+0001 before and after a part of a text emphasises it in the
//! host's message display, CR (character 13) breaks a line.

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace plugin {

//! One message: addressed by its index in code, stored and translated by its number, registered
//! in the host under its text key.
struct THlaska {
    int Index;             //!< 1 to 268
    int Cislo;             //!< stored number: 5000000 + index up to 170, 5055000 upwards from index 171
    const char* Klic;      //!< text key (a GUID without braces), or empty
    const char* Cesky;     //!< built-in Czech text
    const char* Slovensky; //!< built-in Slovak text
};

//! Number of messages; indexes run from 1 to this.
inline constexpr int kPocetHlasek = 268;

//! Every message in index order.
std::span<const THlaska> TabulkaHlasek();
//! The message with that index; throws std::out_of_range for an index outside 1 to 268.
const THlaska& Hlaska(int index);
//! The message with that stored number; nullptr when there is none.
const THlaska* HlaskaPodleCisla(int cislo);
//! The message with that text key (with or without braces, any case); nullptr when there is none.
const THlaska* HlaskaPodleKlice(std::string_view klic);

//! A source of message texts in one language, asked by the message's stored number.
class TplgAktivniJazyk {
public:
    explicit TplgAktivniJazyk(int jazyk)
        : jazyk_(jazyk) {}
    virtual ~TplgAktivniJazyk() = default;
    //! The host's number of the language.
    int Jazyk() const { return jazyk_; }
    //! The text of the message with stored number `cislo`; empty when this source has none.
    virtual std::string CtiOznam(int cislo) const = 0;

private:
    int jazyk_;
};

//! The built-in Slovak texts (language 4).
class TplgJazykPrekladHlasek04 : public TplgAktivniJazyk {
public:
    TplgJazykPrekladHlasek04()
        : TplgAktivniJazyk(4) {}
    std::string CtiOznam(int cislo) const override;
};

//! Finds the language library of a language and makes a source of it; nullptr when the language
//! has no library.
using TNactiJazykovouKnihovnu = std::function<std::unique_ptr<TplgAktivniJazyk>(int jazyk)>;

//! Sets up the texts for a first and a second language (-1: none). Languages 0 and 1 use the
//! Czech texts alone. Otherwise the first and then the second language (when it differs from the
//! first and is not -1) each contribute their library, or, for language 4 without one, the
//! built-in Slovak texts. -2 keeps the current language of that position. True when the Czech
//! texts are chosen or some language contributed texts.
bool PrepniJazyky(int prvni, int druhy, const TNactiJazykovouKnihovnu& knihovna = {});
//! The languages set up last (1 and -1 at first).
std::pair<int, int> AktualniJazyky();

//! The text of a message in the current languages: the first language source that has one,
//! else the Czech text. Throws std::out_of_range for an index outside 1 to 268.
std::string TextHlasky(int index);

//! The text written to the host for a caption, value list or note given by a message index and a
//! plain text: the message's key when the index is not 0 and the message has one (the host shows
//! the message in the user's language), else the message's text in the current languages; the
//! plain text when the index is 0.
std::string KlicPopisku(int index, std::string_view text);

//! An error text as the user sees it: a text that is a whole number above 4999999 and the stored
//! number of a message becomes that message's text; any other text stays as it is.
std::string PrelozChybu(std::string_view text);

//! The pattern with each "%s" or "%d" replaced by the next value, "%N:s" / "%N:d" by value N
//! (from 0; the following plain ones go on after it) and "%%" by "%". Throws std::invalid_argument
//! when a placeholder has no value or is of another kind.
std::string Format(std::string_view vzor, std::initializer_list<std::string_view> hodnoty);

} // namespace plugin
