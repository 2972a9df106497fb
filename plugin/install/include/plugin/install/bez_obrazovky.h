#pragma once
//! The installation without a display (the host's silent installation, tests, machines without
//! a desktop): the same run, with the change dialogs printed through the host's message output.

#include "plugin/host/tarvik_interface.h"
#include "plugin/install/okno_instalace.h"

namespace plugin {

class TplgOknoBezObrazovky : public IOknoInstalace {
public:
    //! In silent mode the dialogs run their statements by themselves; otherwise each asks the
    //! host's yes/no question "Opravdu si přejete provést výše uvedené změny ?".
    TplgOknoBezObrazovky(ITarvik& tarvik, bool ticha);

    void ZobrazKrok(std::string_view) override {}
    void NastavRozsah(int) override {}
    void PosunPrubeh() override {}
    //! Shows the dialog's text (heading, version, tree, statements) through ITarvik::ShowInfo,
    //! asks for confirmation outside silent mode, then runs the statements.
    TplgVysledekDialogu ZobrazZmeny(TplgObsahDialogu& obsah) override;
    //! Nothing: without a display the host ends with its command.
    void UkonciHostitele() override {}

private:
    ITarvik& tarvik_;
    bool ticha_;
};

} // namespace plugin
