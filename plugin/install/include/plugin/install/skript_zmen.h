#pragma once
//! The statements a check collects, in the order they will run, and the tree that explains what
//! each of them does. A statement is added with a placement; the placements keep every drop
//! before every addition.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plugin {

//! Where a statement goes in the script list. The list has a head (drops), a middle and a tail
//! (additions that need the middle done first).
enum class TUmisteni : std::uint8_t {
    Stred = 0,        //!< inserted before the tail
    KonecZacatku = 1, //!< inserted at the end of the head, before the ones inserted there earlier
    Konec = 2,        //!< appended to the tail
    Zacatek = 3,      //!< inserted at the very start; the head grows by one
};

//! One statement with the number that tells it from an equal text.
struct TplgPrikaz {
    int Id = 0;
    std::string Text;
};

//! The script list with its head and tail sections.
class TplgSkript {
public:
    //! Adds a statement; returns its number.
    int Pridej(TUmisteni umisteni, std::string text);
    //! The statements in the order they will run.
    const std::vector<TplgPrikaz>& Prikazy() const { return prikazy_; }
    bool Prazdny() const { return prikazy_.empty(); }
    //! Size of the head section.
    int IndexZacatek() const { return indexZacatek_; }
    //! Size of the tail section.
    int IndexKonec() const { return indexKonec_; }

private:
    std::vector<TplgPrikaz> prikazy_;
    int indexZacatek_ = 0;
    int indexKonec_ = 0;
    int dalsiId_ = 1;
};

//! A node of an explanation tree: a text, the statements it stands for, and its children in the
//! order they were first met.
struct TplgVysvetleni {
    std::string Text;
    std::vector<int> Prikazy;
    std::vector<TplgVysvetleni> Deti;
    bool Varovani = false; //!< the change needs the user's attention (shown bold)

    //! The child with that text (ASCII letters compared case-insensitively), appended when there
    //! is none yet.
    TplgVysvetleni& Dite(std::string_view text);
};

} // namespace plugin
