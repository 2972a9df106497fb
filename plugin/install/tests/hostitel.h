#pragma once
// A demo host database of its own for each test, and installations run on it in the test's
// process through the host stand-in, with change dialogs that answer as the test says.

#include "plugin/install/instalace.h"

#include "platform/db/connection.h"
#include "standins/tarvik/scripted_front_end.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace plugin::testing {

//! What a change dialog does when it is shown.
enum class TOdpoved { Provest, Zrusit };

//! One installation and what it showed.
struct TBeh {
    TplgVysledekInstalace Vysledek;
    std::vector<std::string> Dialogy;   //!< the text of every change dialog, in order
    std::vector<std::string> Prikazy;   //!< every statement sent through ExecSQL
    int Dotazy = 0;                     //!< queries sent through OpenSQL
    std::vector<std::string> Zpravy;    //!< messages the host showed
    std::vector<std::string> HostCalls; //!< host calls recorded by the stand-in
};

//! Decides for each change dialog (numbered from 0) what it does; may change the database first.
using TRozhodnuti = std::function<TOdpoved(int dialog, const TplgObsahDialogu& obsah)>;

class THostitel {
public:
    //! A fresh copy of the demo host database.
    THostitel();
    ~THostitel();
    THostitel(const THostitel&) = delete;
    THostitel& operator=(const THostitel&) = delete;

    const std::filesystem::path& Soubor() const { return soubor_; }
    platform::db::Connection& Spojeni() { return *spojeni_; }
    //! Runs a batch; throws with the server's message.
    void Proved(const std::string& sql);
    //! The first column of every row of the batch's first result set, as text (NULL as "NULL").
    std::vector<std::string> Sloupec(const std::string& sql);
    //! Every row of the batch's first result set, its fields as text joined by "|" (NULL as
    //! "NULL", binary values in hexadecimal).
    std::vector<std::string> Radky(const std::string& sql);
    //! The first field, as text.
    std::string Hodnota(const std::string& sql);
    //! The catalog of the plug-in's tables and objects in one text that is the same for two
    //! databases with the same schema (object ids and column order left out).
    std::string Katalog(const std::vector<std::string>& tabulky);

    //! Installs with the given definitions and configuration in a window that answers itself.
    TBeh Instaluj(const TDefiniceInstalace& definice, const TInstalacniKonfigurace& konfigurace,
                  const TRozhodnuti& rozhodnuti = {});

private:
    std::filesystem::path slozka_;
    std::filesystem::path soubor_;
    std::unique_ptr<platform::db::Connection> spojeni_;
};

//! What the host runner printed and how it ended.
struct TVystupTarviku {
    int Status = 0;
    std::string Out;
    std::string Err;
};

//! Runs the host runner (`tarvik run ...`, `tarvik install`) on the test's database with a plug-in
//! library: the arguments after the command, which comes first.
TVystupTarviku Tarvik(const THostitel& hostitel, std::vector<std::string> argumenty,
                      const std::string& knihovna);

//! The configuration of the plug-in as the installer gets it from Run.
const TInstalacniKonfigurace& KonfiguracePluginu();

//! A configuration for the test schema: the plug-in's identity and version, no own script.
TInstalacniKonfigurace KonfiguraceTestu();

//! The definitions of the test schema with its procedure and host trigger.
TDefiniceInstalace DefiniceTestu();

//! The names of the test schema's tables and of the plug-in's tables.
std::vector<std::string> TabulkyTestu();
std::vector<std::string> TabulkyPluginu();

} // namespace plugin::testing
