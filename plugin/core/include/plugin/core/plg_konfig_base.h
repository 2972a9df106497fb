#pragma once
//! The configuration of a plug-in: who it is (system name, class, the versions it needs), the
//! texts the host shows about it and its own installation data. The base holds the fields, the
//! validation and neutral defaults; a derived class fills in one plug-in's values.

#include "plugin/core/verze.h"
#include "plugin/host/tarvik_interface.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plugin {

//! The configuration breaks a rule; what() is "Chyby konfigurace" followed by one line per rule.
class EKonfigurace : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPluginKonfigBase {
public:
    virtual ~TPluginKonfigBase() = default;

    //! Sets the defaults, takes the identity from NastavIdentitu, validates it and derives the
    //! names of the files to import. Throws EKonfigurace when a rule is broken.
    void Create();

    const std::string& AutoImp_Formulare_Cesky() const { return FAutoImp_Formulare_Cesky; }
    const std::string& AutoImp_Formulare_Jazyk() const { return FAutoImp_Formulare_Jazyk; }
    const std::string& AutoImp_Filtry_Cesky() const { return FAutoImp_Filtry_Cesky; }
    const std::string& AutoImp_FiltryN_Cesky() const { return FAutoImp_FiltryN_Cesky; }
    const std::string& AutoImp_Filtry_Jazyk() const { return FAutoImp_Filtry_Jazyk; }
    const std::string& AutoImp_FiltryN_Jazyk() const { return FAutoImp_FiltryN_Jazyk; }
    const std::string& AutoImp_Opisy_Cesky() const { return FAutoImp_Opisy_Cesky; }
    const std::string& AutoImp_OpisyN_Cesky() const { return FAutoImp_OpisyN_Cesky; }
    const std::string& AutoImp_Opisy_Jazyk() const { return FAutoImp_Opisy_Jazyk; }
    const std::string& AutoImp_OpisyN_Jazyk() const { return FAutoImp_OpisyN_Jazyk; }
    //! The class ID in braces, e.g. "{9F212AA7-3812-4F0B-A49A-C95AC7258877}".
    const std::string& PluginClass_ID() const { return FPluginClass_ID; }
    const std::string& PluginSystemoveJmeno() const { return FPluginSystemoveJmeno; }
    const std::string& PluginClassName() const { return FPluginClassName; }
    const std::string& PluginPrefixTabulek() const { return FPluginPrefixTabulek; }
    const std::string& PluginIdentifikator() const { return FPluginIdentifikator; }
    TVerze PluginMinimalniPozadovanaVerzeTarviku() const { return FPluginMinimalniPozadovanaVerzeTarviku; }
    std::uint32_t PluginMinimalniPozadovanaVerzeSQLServeru() const {
        return FPluginMinimalniPozadovanaVerzeSQLServeru;
    }
    const std::string& PluginCopyrightVyrobce() const { return FPluginCopyrightVyrobce; }
    std::uint16_t PluginRokZacatkuVyvoje() const { return FPluginRokZacatkuVyvoje; }
    const std::string& PluginAutoImp_FileName_Formulare() const { return FPluginAutoImp_FileName_Formulare; }
    const std::string& PluginAutoImp_FileName_Filtry() const { return FPluginAutoImp_FileName_Filtry; }
    const std::string& PluginAutoImp_FileName_Opisy() const { return FPluginAutoImp_FileName_Opisy; }

    std::string PluginVerejneJmeno() const { return GetPluginVerejneJmeno(); }
    std::string PluginTechnickyPopis() const { return GetPluginTechnickyPopis(); }
    std::string PluginHistorieVerzi() const { return GetPluginHistorieVerzi(); }
    std::vector<std::uint8_t> PluginLogo() const { return GetPluginLogo(); }
    std::uint32_t PluginProgressBarColor() const { return GetPluginProgressBarColor(); }

    //! The public name shown by the host.
    virtual std::string GetPluginVerejneJmeno() const { return {}; }
    virtual std::string GetPluginTechnickyPopis() const { return {}; }
    //! The text key of the message holding the version history.
    virtual std::string GetPluginHistorieVerzi() const { return {}; }
    //! The logo as image file bytes; empty when there is none.
    virtual std::vector<std::uint8_t> GetPluginLogo() const { return {}; }
    //! Colour of the installer's progress bar as 0xBBGGRR; white means "the installer's own".
    virtual std::uint32_t GetPluginProgressBarColor() const { return 0xFFFFFF; }
    //! Runs at every Run after the languages are set up.
    virtual void VlastniInicializacePluginu(ITarvik& tarvik) {}
    //! The command with ExtKom ID 0.
    virtual void ExtKomIDJeRovnoNule(ITarvik& tarvik) {}
    //! The configuration command (ExtKom ID -4).
    virtual void PluginConfiguration(ITarvik& tarvik) {}
    //! The plug-in's own installation data script, run by the installer as its own section.
    virtual std::string VlastniInstalacniSkript() const { return {}; }
    //! The plug-in's own installation step; false stops the installation.
    virtual bool VlastniInstalacniProcedura(ITarvik& tarvik) { return true; }
    //! File name of the language library of a language when it is not the default one.
    virtual std::string PluginJazykoveDLL(int jazyk) const { return {}; }
    //! The partner identification text.
    virtual std::string PartnerIdentification() const = 0;

    //! File name of the language library of a language: PluginJazykoveDLL, or else the system
    //! name, "Lng", the number and ".so".
    std::string PluginJazykoveDLL_Ext(int jazyk) const;

protected:
    //! Sets the identity fields; called by Create.
    virtual void NastavIdentitu() = 0;

    std::string FAutoImp_Formulare_Cesky, FAutoImp_Formulare_Jazyk;
    std::string FAutoImp_Filtry_Cesky, FAutoImp_FiltryN_Cesky, FAutoImp_Filtry_Jazyk, FAutoImp_FiltryN_Jazyk;
    std::string FAutoImp_Opisy_Cesky, FAutoImp_OpisyN_Cesky, FAutoImp_Opisy_Jazyk, FAutoImp_OpisyN_Jazyk;
    std::string FPluginClass_ID;
    std::string FPluginSystemoveJmeno;
    std::string FPluginClassName;
    std::string FPluginPrefixTabulek;
    std::string FPluginIdentifikator;
    TVerze FPluginMinimalniPozadovanaVerzeTarviku = 0;
    std::uint32_t FPluginMinimalniPozadovanaVerzeSQLServeru = 0;
    std::string FPluginCopyrightVyrobce;
    std::uint16_t FPluginRokZacatkuVyvoje = 0;
    std::string FPluginAutoImp_FileName_Formulare, FPluginAutoImp_FileName_Filtry,
        FPluginAutoImp_FileName_Opisy;

private:
    //! The broken rules, each as CR and its line; empty when the configuration is valid.
    std::string ChybyKonfigurace() const;
    void OdvodJmenaImportu();
};

//! The class ID that means "not set".
inline constexpr std::string_view kPrazdneClassID = "{00000000-0000-0000-0000-000000000000}";

} // namespace plugin
