#pragma once
// What the plug-in's windows take over from the host.

#include "plugin/host/tarvik_interface.h"

#include <cstdint>
#include <exception>
#include <string>

class QWidget;

namespace plugin {

struct TProstredi {
    std::uintptr_t OknoHostitele = 0;  //!< the host's main window, owner of the plug-in's windows
    std::uintptr_t IkonaHostitele = 0; //!< the host's icon
    std::string Pismo;                 //!< font of the plug-in's windows and menus
    int VyskaPisma = 0;                //!< its size in points
    int ZnakovaSada = 0;               //!< the host's character set (texts are Unicode here)
};

//! What the last Run took over.
const TProstredi& Prostredi();

//! True when the host runs a Qt application in which the plug-in can open windows.
bool MaOkna();

//! Gives a plug-in window the host's font and makes the host's active window its owner.
void PripravOkno(QWidget& okno);

//! Shows an error raised in a plug-in window outside Run: through the host interface of the
//! current call, or in a message box of its own when that fails.
void OsetriChybuOkna(std::exception_ptr chyba);

} // namespace plugin
