#pragma once
//! The installer's step table: up to twelve steps, each a caption and an operation that reports
//! success.

#include <functional>
#include <string>
#include <vector>

namespace plugin {

struct TplgKrokInstalace {
    std::string Popis;
    std::function<bool()> Operace;
};

class TplgKrokyInstalace {
public:
    //! The most steps a table holds.
    static constexpr std::size_t kNejvice = 12;
    //! Adds a step; throws std::logic_error("Chybny pocet kroku !!") for a thirteenth.
    void Registruj(std::string popis, std::function<bool()> operace);
    const TplgKrokInstalace& operator[](std::size_t index) const { return kroky_.at(index); }
    std::size_t Pocet() const { return kroky_.size(); }

private:
    std::vector<TplgKrokInstalace> kroky_;
};

} // namespace plugin
