#pragma once
//! What the installation shows on the way: the installation window's step line and progress
//! bar, and the change dialogs. A window implements it, and so does the headless installation.

#include "plugin/install/dialog_zmen.h"
#include "plugin/install/obsah_dialogu.h"

#include <string_view>

namespace plugin {

class IOknoInstalace {
public:
    virtual ~IOknoInstalace() = default;
    //! Shows the step or stage the installation is at.
    virtual void ZobrazKrok(std::string_view text) = 0;
    //! Sets the end of the progress bar's range (it starts at 0).
    virtual void NastavRozsah(int maximum) = 0;
    //! Advances the progress bar by one.
    virtual void PosunPrubeh() = 0;
    //! Shows the change dialog; it runs the statements when the user confirms them.
    virtual TplgVysledekDialogu ZobrazZmeny(TplgObsahDialogu& obsah) = 0;
    //! Ends the host application once the installation is over (outside silent mode), so that
    //! it starts again with what was registered.
    virtual void UkonciHostitele() = 0;
};

} // namespace plugin
