#pragma once
//! The plug-in's registrations in the host: step 2 adds its external attributes, step 10 its
//! browses with their views, default columns, folders and actions, the actions on host browses,
//! the relations, the order of its folders, its message texts in every host language, its
//! customisation group and its own installation data script. Every statement is an
//! insert-or-update keyed by a name or GUID: registering again changes nothing.

#include "plugin/definitions/browses.h"
#include "plugin/install/registrace.h"

#include <string>

namespace plugin {

//! Where the registration gets the statements of the action objects: the action objects are the
//! plug-in's, so its run protocol creates them. Each returns the TabExtKom statements of the
//! actions, which expect @Cislo (the browse number), @GUID, @DatPorizeni, @Autor and the label
//! CHYBAROLLBACK; empty when there is nothing to register.
class IZdrojAkci {
public:
    virtual ~IZdrojAkci() = default;
    //! The actions of a plug-in browse.
    virtual std::string SkriptAkciPrehledu(ITarvik& tarvik, const TplgVychoziNastaveniBrowse& prehled) = 0;
    //! The actions of the plug-in on a host browse.
    virtual std::string SkriptAkciHostitele(ITarvik& tarvik, const TplgExtAkceDef& akce) = 0;
};

class TplgRegistracePluginu : public IRegistrace {
public:
    explicit TplgRegistracePluginu(IZdrojAkci& akce)
        : akce_(akce) {}
    bool KontrolaExternichAtributu(TplgStavInstalace& stav) override;
    bool KontrolaRegistraci(TplgStavInstalace& stav) override;

private:
    IZdrojAkci& akce_;
};

} // namespace plugin
