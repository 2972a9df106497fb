#pragma once
//! The configuration of PluginQuelta.

#include "plugin/core/plg_konfig_base.h"

#include <span>
#include <string_view>

namespace plugin {

class TPluginKonfig : public TPluginKonfigBase {
public:
    std::string GetPluginVerejneJmeno() const override;
    std::string GetPluginTechnickyPopis() const override;
    std::string GetPluginHistorieVerzi() const override;
    //! Opens the browse of the global settings (hvw_QUELTAHGlob).
    void PluginConfiguration(ITarvik& tarvik) override;
    std::string VlastniInstalacniSkript() const override;
    std::string PluginJazykoveDLL(int jazyk) const override;
    std::string PartnerIdentification() const override;

protected:
    void NastavIdentitu() override;
};

//! The configuration of the loaded library, created and validated on first use; throws
//! EKonfigurace (and tries again on the next call) when it is not valid.
TPluginKonfigBase& Konfigurace();

//! One seed row of the synchronization settings.
struct TNastaveniSynchronizaceRadek {
    const char* Kod;      //!< the Portal's code of the list
    const char* Ciselnik; //!< host code list: table, or table.column of a value list; may be empty
    const char* Nazev;
    int PoradiVlozene; //!< Poradi of a new row
    int PoradiKonecne; //!< Poradi every row gets afterwards
};
std::span<const TNastaveniSynchronizaceRadek> NastaveniSynchronizace();

//! The plug-in's navigation folder and the host browses listed in it.
inline constexpr std::string_view kSoudekQuelta = "QUEL-TA";
//! The folder row under which the host browses go (the synchronization settings browse).
inline constexpr std::string_view kViewNastaveniSynchronizace = "hvw_QUELTANastaveniSynchronizace";
//! Host browses under that row, in order.
std::span<const char* const> PrehledyVeSlozce();
//! Host browses in the folder without a parent row, in order.
std::span<const char* const> PrehledyBezPredka();

//! The view of the global settings browse.
inline constexpr std::string_view kViewNastaveni = "hvw_QUELTAHGlob";

//! The host's number of a plug-in browse (100000 + TabObecnyPrehled.Cislo) by its view name;
//! 0 for a name that does not start with "hvw_". Throws std::runtime_error with messages 86
//! and 61 when the host has no such browse (the plug-in is not installed).
int CisloDefinovanehoPrehledu(ITarvik& tarvik, std::string_view view, std::string_view nazevPrehledu);

} // namespace plugin
