// The host's desktop shell after an installation: the plug-in's folder with its browses, their
// default columns, and the registered actions of a plug-in browse and of a host browse reaching
// the action object of their browse (a test double of every module).

#include "hostitel.h"

#include "standins/tarvik/desktop_shell.h"
#include "standins/tarvik/scripted_front_end.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

namespace plugin::testing {
namespace {

using standins::tarvik::Interaction;

//! The item of a menu by its caption in the shell's list ("Submenu / Caption"); nullptr if none.
QAction* Polozka(const QMenu& menu, const std::string& popis) {
    const auto lomitko = popis.find(" / ");
    for (auto* akce : menu.actions()) {
        const auto text = akce->text().toStdString();
        if (lomitko == std::string::npos && !akce->menu() && text == popis) return akce;
        if (lomitko != std::string::npos && akce->menu() && text == popis.substr(0, lomitko))
            return Polozka(*akce->menu(), popis.substr(lomitko + 3));
    }
    return nullptr;
}

TEST(Plocha, FolderBrowsesColumnsAndActionsOfThePlugin) {
    THostitel hostitel;
    const auto instalace = Tarvik(hostitel, {"install"}, PLUGINQUELTA_LIBRARY);
    ASSERT_EQ(instalace.Status, 0) << instalace.Err;
    const auto cislo = [&](const std::string& view) {
        return 100000 + std::stoi(hostitel.Hodnota("SELECT Cislo FROM TabObecnyPrehled WHERE NazevSys = N'" +
                                                   view + "'"));
    };
    standins::tarvik::PluginLibrary knihovna(PLUGINQUELTA_DVOJNIK);
    standins::tarvik::ScriptedFrontEnd frontEnd;
    standins::tarvik::DesktopShell plocha(hostitel.Spojeni(), frontEnd, &knihovna);

    // The folder holds the four browses in their order (and the host browses the installation put
    // there); browses 2, 3 and 7 are in no folder.
    auto vSoudku = plocha.folderBrowses("QUEL-TA");
    vSoudku.erase(std::remove_if(vSoudku.begin(), vSoudku.end(), [](int c) { return c < 100000; }),
                  vSoudku.end());
    EXPECT_EQ(vSoudku,
              (std::vector<int>{cislo("hvw_QUELTAZamPortal"), cislo("hvw_QUELTAWSPreprocess"),
                                cislo("hvw_QUELTANastaveniSynchronizace"), cislo("hvw_QUELTAHGlob")}));

    // The default columns, in their order, under their captions (message keys read in Czech).
    plocha.showBrowse(cislo("hvw_QUELTANastaveniSynchronizace"));
    EXPECT_EQ(plocha.columnCaptions(),
              (std::vector<std::string>{"Číselník Kva", "Systémový kód", "Datum synchronizace"}));
    EXPECT_EQ(plocha.rowIds().size(),
              std::stoul(hostitel.Hodnota("SELECT COUNT(*) FROM TabQUELTANastaveniSynchronizace")));

    // An action of a plug-in browse, chosen in the browse's menu.
    const auto globalni = cislo("hvw_QUELTAHGlob");
    plocha.showBrowse(globalni);
    const auto popisy = plocha.actionCaptions();
    ASSERT_EQ(popisy.size(), 2u);
    EXPECT_EQ(popisy[0], "Editace / Oprava");
    const auto* menu = plocha.menuBar()->actions().at(0)->menu();
    ASSERT_NE(menu, nullptr);
    auto* naPortal = Polozka(*menu, popisy[1]);
    ASSERT_NE(naPortal, nullptr) << popisy[1];
    naPortal->trigger();
    QCoreApplication::processEvents();
    // An action of a host browse.
    plocha.showBrowse(205);
    ASSERT_FALSE(plocha.actionIds().empty());
    EXPECT_TRUE(plocha.runAction(plocha.actionIds()[0]));
    const auto zpravy = frontEnd.texts(Interaction::Kind::Info);
    ASSERT_EQ(zpravy.size(), 2u);
    EXPECT_EQ(zpravy[0],
              "TdmPlgQUELTAHGlob.NaPortal on browse " + std::to_string(globalni) + " (hvw_QUELTAHGlob)");
    EXPECT_TRUE(zpravy[1].starts_with("TdmPlgQUELTATabCisZam_Mzd.")) << zpravy[1];
    EXPECT_TRUE(zpravy[1].ends_with(" on browse 205 (TabCisZam)")) << zpravy[1];
}

} // namespace
} // namespace plugin::testing
