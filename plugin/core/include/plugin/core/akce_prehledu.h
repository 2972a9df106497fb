#pragma once
//! The action object of a browse: the actions it offers there (menu commands with a GUID, which
//! the installer registers in the host's table of actions TabExtKom), and the running of the one
//! the host asks for. Every module of the plug-in derives from it; an object lives for one action.

#include "plugin/definitions/actions.h"
#include "plugin/definitions/browses.h"
#include "plugin/definitions/schema.h"
#include "plugin/host/tarvik_interface.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace plugin {

//! One action of an action object.
struct TplgAkctionContainer {
    std::string NazevSys; //!< system name of the action
    std::string Nazev;    //!< menu caption
    int NazevTxt = 0;     //!< menu caption as a message; 0 = Nazev
    std::function<void()> Akce;
    std::string GUID; //!< the action's GUID in braces
    int HotKey = 0;   //!< virtual-key code of the shortcut; 0 = none
    bool Verejna = true;
    std::string NazevPodmenu; //!< submenu caption; empty = top level
    int NazevPodmenuTxt = 0;
    TKdyZapsatParametry KdyZapsatParametry = kzpNikdy;
    std::string Parametry;
    bool PridatOddelovacMenu = false;
    std::string Napoveda;
    int NapovedaTxt = 0;
};

class TplgAkcePrehledu {
public:
    //! An action object of class `trida` for a plug-in browse (bZadny for a host browse) with its
    //! editor class (empty: none). It becomes the action object of the interface in the registry of
    //! live interfaces and registers the standard new, edit and delete actions the browse gives.
    TplgAkcePrehledu(ITarvik& tarvik, std::string trida, std::string editorClass, TplgBrowse browse);
    //! An action object of class `trida` for a host browse, with the entry's editor class.
    TplgAkcePrehledu(ITarvik& tarvik, std::string trida, const TplgExtAkceDef& akce);
    virtual ~TplgAkcePrehledu();
    TplgAkcePrehledu(const TplgAkcePrehledu&) = delete;
    TplgAkcePrehledu& operator=(const TplgAkcePrehledu&) = delete;

    //! Runs the action with that GUID (case-insensitive). The registration GUID returns the
    //! TabExtKom statements of all actions in their order; a GUID no action has does nothing.
    std::string SpustAkci(std::string_view guidAkce);

    //! Registers an action with plain captions.
    void PridejAkci(std::string nazevSys, std::string nazev, bool verejna, std::string parametry,
                    TKdyZapsatParametry kdyZapsatParametry, int hotKey, std::string nazevPodmenu,
                    std::string guid, std::function<void()> akce);
    //! Registers an action whose caption, hint and submenu are messages.
    void PridejAkciTxt(std::string nazevSys, int nazevTxt, bool verejna, int napovedaTxt,
                       bool pridatOddelovacMenu, std::string parametry,
                       TKdyZapsatParametry kdyZapsatParametry, int hotKey, int nazevPodmenuTxt,
                       std::string guid, std::function<void()> akce);
    //! Registers an action as its definition gives it.
    void PridejAkci(const TplgAkceDef& definice, std::function<void()> akce);

    //! True when the browse is one of the plug-in's (its system name starts with "hvw_").
    virtual bool JePrehledPluginu();
    //! The standard actions; record editing is not part of this build, so each fails as not
    //! available. Modules override them.
    virtual void ActionNew();
    virtual void ActionEdit();
    virtual void ActionDelete();
    //! Statements run after a new or a changed record was saved; empty here.
    virtual std::string AfterInsertSkript();
    virtual std::string AfterUpdateSkript();

    TplgBrowse Browse() const { return FBrowse; }
    ITarvik& Tarvik() const { return FTarvik; }
    TplgTabulka HlavniTabulka() const { return FTabulka; }
    //! The class name (the action object's class in the browse definitions).
    const std::string& Trida() const { return FTrida; }
    const std::string& PlgEditorClass() const { return FPlgEditorClass; }
    //! Column names of the main table, sorted, each with its definition.
    const std::vector<TplgJmenoAtributu>& SetrideneAtributy() const { return FSetrideneAtributy; }
    const std::vector<TplgAkctionContainer>& SeznamAkci() const { return FSeznamAkci; }

protected:
    //! Fails with the error that this build does not carry the action with that caption.
    [[noreturn]] void NeniKDispozici(std::string_view nazevAkce) const;

private:
    void Pridej(TplgAkctionContainer akce);
    const TplgAkctionContainer* Najdi(std::string_view guid) const;
    std::string RegistracniSkript() const;

    ITarvik& FTarvik;
    std::string FTrida;
    TplgBrowse FBrowse;
    TplgTabulka FTabulka;
    std::string FPlgEditorClass;
    std::vector<TplgJmenoAtributu> FSetrideneAtributy;
    std::vector<TplgAkctionContainer> FSeznamAkci;
};

} // namespace plugin
