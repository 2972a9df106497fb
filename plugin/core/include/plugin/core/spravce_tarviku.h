#pragma once
//! The registry of the host interfaces alive during plug-in calls. Each Run registers its
//! interface for as long as it runs, so nested calls stack up and an action object can find the
//! action object of its master browse.

#include "plugin/host/tarvik_interface.h"

#include <cstddef>
#include <vector>

namespace plugin {

//! The action object of a browse (the module that runs the browse's actions).
class TplgAkcePrehledu;

class TSpravceTarviku {
public:
    //! Appends a non-null interface.
    void PridejTarvik(ITarvik* tarvik);
    //! Removes the last item holding exactly this interface pointer.
    void OdeberTarvik(ITarvik* tarvik) noexcept;
    //! Sets the action object working with exactly this interface; nothing when it is not held.
    void NastavAkce(ITarvik* tarvik, TplgAkcePrehledu* akce);
    //! The owner (master browse) of an interface: the registered interface with the owner's
    //! instance key, else the owner the host gave; nullptr for a null interface or no owner.
    ITarvik* VratVlastnika(ITarvik* tarvik);
    //! The action object of the last item with the interface's instance key, or nullptr.
    TplgAkcePrehledu* VratAkcePrehledu(ITarvik* tarvik);
    //! The interface of the innermost call running, or nullptr.
    ITarvik* AktualniTarvik() const;
    std::size_t Pocet() const { return FSeznam.size(); }

private:
    struct TJedenTarvik {
        ITarvik* FTarvik;
        TplgAkcePrehledu* FAkce = nullptr;
    };
    //! Index of the last item holding the same interface pointer; -1 for none or null.
    int NajdiPodleRozhrani(const ITarvik* tarvik) const;
    //! Index of the last item whose instance key equals that of the interface; -1 for none or null.
    int NajdiPodleKlice(ITarvik* tarvik) const;

    std::vector<TJedenTarvik> FSeznam;
};

//! The registry of the loaded library.
TSpravceTarviku& SpravceTarviku();

} // namespace plugin
