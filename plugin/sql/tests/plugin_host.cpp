#include "plugin_host.h"

#include "plugin/core/instalator.h"
#include "plugin/core/plg_konfig.h"
#include "plugin/install/bez_obrazovky.h"
#include "plugin/install/instalace.h"
#include "standins/tarvik/host_tarvik.h"
#include "standins/tarvik/runner.h"
#include "standins/tarvik/scripted_front_end.h"
#include "tsql/backend.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace plugin::testing {

namespace {

std::unique_ptr<platform::db::Connection> Pripoj(const std::filesystem::path& file) {
    tsql::registerEmbeddedBackend();
    return platform::db::connect(standins::tarvik::hostDatabaseDescription(file));
}

//! The demo company with the plug-in's tables, procedures and triggers. Making it takes long, so
//! it is kept in the build tree for every test process of this build of the tests; a new build
//! makes a new one.
std::filesystem::path Vzor() {
    static const std::filesystem::path vzor = [] {
        namespace fs = std::filesystem;
        const fs::path slozka = PLUGIN_SQL_TEST_CACHE;
        const auto program = fs::read_symlink("/proc/self/exe");
        const auto soubor =
            slozka / ("demo-" + std::to_string(fs::last_write_time(program).time_since_epoch().count()) +
                      "-" + std::to_string(fs::file_size(program)) + ".db");
        if (fs::exists(soubor)) return soubor;
        fs::create_directories(slozka);
        const auto rozpracovany = slozka / ("tvorba-" + std::to_string(::getpid()) + ".db");
        fs::remove(rozpracovany);
        VytvorHostitele(rozpracovany);
        for (const auto& stary : fs::directory_iterator(slozka))
            if (stary.path().filename().string().starts_with("demo-")) fs::remove(stary.path());
        fs::rename(rozpracovany, soubor);
        return soubor;
    }();
    return vzor;
}

} // namespace

std::vector<std::string> Instaluj(platform::db::Connection& db) {
    standins::tarvik::ScriptedFrontEnd frontEnd;
    standins::tarvik::BrowseState stav;
    stav.browse = 871;
    stav.extKomId = -3;
    standins::tarvik::HostTarvik tarvik(db, frontEnd, stav);
    TplgOknoBezObrazovky okno(tarvik, true);
    const auto konfigurace = KonfiguraceInstalace(Konfigurace()); // the installation keeps a reference
    TplgInstalace instalace(tarvik, konfigurace, TDefiniceInstalace::Pluginu(), okno, true);
    instalace.Priprav();
    const auto vysledek = instalace.Spustit();
    if (vysledek.Konec != TKonecInstalace::Hotovo)
        throw std::runtime_error("The installation of the plug-in did not finish: " + vysledek.Text);
    std::vector<std::string> zpravy;
    for (const auto& zprava : frontEnd.transcript())
        zpravy.push_back(zprava.text);
    return zpravy;
}

void VytvorHostitele(const std::filesystem::path& soubor) {
    standins::tarvik::createHostDatabase(soubor, true, standins::tarvik::DemoOptions{});
    Instaluj(*Pripoj(soubor));
}

std::unique_ptr<platform::db::Connection> PripojHostitele(const std::filesystem::path& soubor) {
    return Pripoj(soubor);
}

TPluginHost::TPluginHost() {
    const auto kopie = folder_.path() / "host.db";
    std::filesystem::copy_file(Vzor(), kopie);
    db_ = Pripoj(kopie);
}

platform::db::BatchResult TPluginHost::exec(std::string_view batch) {
    try {
        return db_->execute(batch);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string(e.what()) + "\nin:\n" + std::string(batch));
    }
}

std::string TPluginHost::value(std::string_view batch) {
    const auto result = exec(batch);
    if (result.resultSets.empty() || result.resultSets.front().rowCount() == 0)
        throw std::runtime_error("no value from:\n" + std::string(batch));
    return Text(result.resultSets.front().rows().front().front());
}

long long TPluginHost::number(std::string_view batch) {
    return std::stoll(value(batch));
}

std::vector<std::string> TPluginHost::rows(std::string_view batch) {
    const auto result = exec(batch);
    std::vector<std::string> out;
    if (result.resultSets.empty()) return out;
    for (const auto& row : result.resultSets.front().rows()) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i)
            line += (i ? "|" : "") + Text(row[i]);
        out.push_back(line);
    }
    return out;
}

std::string Text(const platform::db::Value& value) {
    using platform::db::ValueKind;
    switch (value.kind()) {
    case ValueKind::Null:
        return "NULL";
    case ValueKind::Bool:
        return value.asBool() ? "1" : "0";
    case ValueKind::Int:
        return std::to_string(value.asInt());
    case ValueKind::Float: {
        char text[32];
        std::snprintf(text, sizeof text, "%.15g", value.asFloat());
        return text;
    }
    case ValueKind::Decimal:
        return value.asDecimal().text;
    case ValueKind::Text:
        return value.asText();
    case ValueKind::DateTime:
        return "datetime " + std::to_string(value.asDateTime());
    case ValueKind::Bytes: {
        std::string text = "0x";
        char hex[3];
        for (const auto b : value.asBytes()) {
            std::snprintf(hex, sizeof hex, "%02X", b);
            text += hex;
        }
        return text;
    }
    }
    return {};
}

} // namespace plugin::testing
