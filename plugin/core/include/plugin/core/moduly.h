#pragma once
//! The modules of the plug-in: each class of action objects named by the browse definitions and
//! the table of actions on host browses is made by its module. A class whose module this build
//! does not carry still gets an action object: it offers the class's actions with their GUIDs and
//! captions (so the installer registers them), and each of them fails as not available.

#include "plugin/core/akce_prehledu.h"

#include <functional>
#include <memory>
#include <string_view>

namespace plugin {

//! Makes an action object of a class: the interface of the browse, the editor class (empty: none)
//! and the plug-in browse (bZadny for a host browse).
using TVytvorAkcePrehledu =
    std::function<std::unique_ptr<TplgAkcePrehledu>(ITarvik&, std::string_view editorClass, TplgBrowse)>;

//! Makes the class's action objects with its module from now on (replacing an earlier one).
void RegistrujModul(std::string_view trida, TVytvorAkcePrehledu vytvor);
//! Goes back to the action objects of a class without its module.
void OdeberModul(std::string_view trida);

//! The action object of a class for a plug-in browse (Create).
std::unique_ptr<TplgAkcePrehledu> VytvorAkcePrehledu(ITarvik& tarvik, std::string_view trida,
                                                     std::string_view editorClass, TplgBrowse browse);
//! The action object of an entry of the actions on host browses (CreateTab).
std::unique_ptr<TplgAkcePrehledu> VytvorAkcePrehledu(ITarvik& tarvik, const TplgExtAkceDef& akce);

//! An action object that offers the actions its class's definition lists; running any of them
//! fails as not available in this build.
class TplgAkceBezModulu : public TplgAkcePrehledu {
public:
    TplgAkceBezModulu(ITarvik& tarvik, std::string_view trida, std::string_view editorClass,
                      TplgBrowse browse);
};

} // namespace plugin
