// The installer's windows driven with the offscreen platform: the change dialog's check boxes,
// its run and its failure, and the installation window on a demo host.

#include "plugin/install/ui/frm_instalace.h"
#include "plugin/install/ui/sq_alter_form.h"

#include "hostitel.h"
#include "test_tarvik.h"

#include "standins/tarvik/host_tarvik.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace plugin {
namespace {

//! A host that records the statements and messages of a change dialog; the statement that
//! contains `selhani` fails with the server's message.
class TZaznamTarvik : public testing::TestTarvik {
public:
    std::vector<std::string> prikazy;
    std::vector<std::string> zpravy;
    std::vector<std::string> prehledy;
    std::string selhani;

    void ExecSQL(std::string_view sql) override {
        if (!selhani.empty() && sql.find(selhani) != std::string_view::npos)
            throw TarvikError("Column names in each table must be unique.");
        prikazy.emplace_back(sql);
    }
    void ShowInfo(std::string_view text) override { zpravy.emplace_back(text); }
    void OpenBrowse(int browse, std::string_view condition) override {
        prehledy.push_back(std::to_string(browse) + " " + std::string(condition));
    }
};

//! The Qt application of the test process (offscreen unless told otherwise), made before the first
//! test and gone after the last, before the process's own statics go.
class TAplikace : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        aplikace_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { aplikace_.reset(); }

private:
    int argc_ = 1;
    char jmeno_[24] = "plugin_install_ui_tests";
    char* argv_[2] = {jmeno_, nullptr};
    std::unique_ptr<QApplication> aplikace_;
};
[[maybe_unused]] const auto* const kAplikace = ::testing::AddGlobalTestEnvironment(new TAplikace);

TplgObsahDialogu Obsah() {
    TplgVysvetleni tabulky;
    tabulky.Dite("TabX").Dite("A").Dite("Atribut tohoto názvu v tabulce chybí").Prikazy = {1};
    tabulky.Dite("TabX").Dite("B").Dite("Atribut tohoto názvu v tabulce chybí").Prikazy = {2};
    tabulky.Dite("TabX").Dite("$TRIGGER$et_TabX").Dite("Trigger v databázi chybí").Prikazy = {3};
    return ObsahZKontroly("Byla detekována změna struktury.", "2.0.2012.0719", "PluginQuelta", tabulky, {},
                          {{1, "ALTER TABLE TabX ADD A INT NULL"},
                           {2, "ALTER TABLE TabX ADD B INT NULL"},
                           {3, "CREATE TRIGGER et_TabX ON TabX FOR INSERT AS SELECT 1"}});
}

//! Shows a dialog as the active window, so that its shortcuts work.
void Zobraz(QDialog& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
}

QTreeWidgetItem* Polozka(QTreeWidget& strom, const QString& text) {
    const auto nalezene = strom.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return nalezene.isEmpty() ? nullptr : nalezene.front();
}

QPushButton* Tlacitko(QWidget& okno, const char* jmeno) {
    return okno.findChild<QPushButton*>(jmeno);
}

TEST(TsqAlterForm, UncheckedNodesAreLeftOutOfTheRun) {
    auto obsah = Obsah();
    TZaznamTarvik tarvik;
    TsqAlterForm dialog(obsah, tarvik, "host", false);
    Zobraz(dialog);
    auto* strom = dialog.Strom();
    ASSERT_NE(Polozka(*strom, "et_TabX"), nullptr);
    // No check boxes until Alt+C.
    auto* zprava = Polozka(*strom, "Trigger v databázi chybí");
    ASSERT_NE(zprava, nullptr);
    EXPECT_FALSE(zprava->flags() & Qt::ItemIsUserCheckable);
    QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
    ASSERT_TRUE(zprava->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(zprava->checkState(0), Qt::Checked);
    zprava->setCheckState(0, Qt::Unchecked);
    QTest::mouseClick(Tlacitko(dialog, "bProvest"), Qt::LeftButton);
    EXPECT_EQ(dialog.Vysledek().Konec, TKonecDialogu::Provedeno);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(tarvik.prikazy, (std::vector<std::string>{"ALTER TABLE TabX ADD A INT NULL",
                                                        "ALTER TABLE TabX ADD B INT NULL"}));
}

TEST(TsqAlterForm, UncheckAllRunsNothing) {
    auto obsah = Obsah();
    TZaznamTarvik tarvik;
    TsqAlterForm dialog(obsah, tarvik, "host", false);
    Zobraz(dialog);
    QTest::keyClick(&dialog, Qt::Key_D, Qt::ControlModifier); // nothing before Alt+C
    EXPECT_EQ(obsah.PrikazyKProvedeni().size(), 3u);
    QTest::keyClick(&dialog, Qt::Key_C, Qt::AltModifier);
    QTest::keyClick(&dialog, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Polozka(*dialog.Strom(), "Trigger v databázi chybí")->checkState(0), Qt::Unchecked);
    QTest::mouseClick(Tlacitko(dialog, "bProvest"), Qt::LeftButton);
    EXPECT_TRUE(tarvik.prikazy.empty());
}

TEST(TsqAlterForm, FailingStatementKeepsTheDialogOpenWithTheServersMessage) {
    auto obsah = Obsah();
    TZaznamTarvik tarvik;
    tarvik.selhani = "ADD B";
    TsqAlterForm dialog(obsah, tarvik, "host", false);
    dialog.show();
    QTest::mouseClick(Tlacitko(dialog, "bProvest"), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(Tlacitko(dialog, "bProvest")->isEnabled());
    EXPECT_TRUE(Tlacitko(dialog, "bStorno")->isEnabled());
    EXPECT_TRUE(dialog.Strom()->isEnabled());
    const auto text = dialog.findChild<QPlainTextEdit*>("mPrikaz")->toPlainText();
    EXPECT_TRUE(text.contains("ALTER TABLE TabX ADD B INT NULL")) << text.toStdString();
    EXPECT_TRUE(text.contains("Column names in each table must be unique.")) << text.toStdString();
    EXPECT_EQ(tarvik.prikazy, std::vector<std::string>{"ALTER TABLE TabX ADD A INT NULL"});
    QTest::mouseClick(Tlacitko(dialog, "bStorno"), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Vysledek().Konec, TKonecDialogu::Chyba);
    EXPECT_EQ(dialog.Vysledek().Chyba, "Column names in each table must be unique.");
}

TEST(TsqAlterForm, ShowsANodesStatementsAndOpensTheBackupBrowse) {
    auto obsah = Obsah();
    TZaznamTarvik tarvik;
    TsqAlterForm dialog(obsah, tarvik, "host", false);
    dialog.show();
    dialog.Strom()->setCurrentItem(Polozka(*dialog.Strom(), "Trigger v databázi chybí"));
    dialog.UkazSkript();
    dialog.Strom()->setCurrentItem(Polozka(*dialog.Strom(), "TabX"));
    dialog.UkazSkript(); // a table stands for no statement
    EXPECT_EQ(tarvik.zpravy,
              std::vector<std::string>{"CREATE TRIGGER et_TabX ON TabX FOR INSERT AS SELECT 1"});
    QTest::mouseClick(Tlacitko(dialog, "bZalohovani"), Qt::LeftButton);
    EXPECT_EQ(tarvik.prehledy, std::vector<std::string>{"138 #TabZalohy.database_name=N'host'"});
    QTest::mouseClick(Tlacitko(dialog, "bStorno"), Qt::LeftButton);
    EXPECT_EQ(dialog.Vysledek().Konec, TKonecDialogu::Zruseno);
    EXPECT_TRUE(tarvik.prikazy.empty());
}

//! The installation window on a demo host; each change dialog is confirmed by pressing its
//! "Provést" once it is shown, after checking that the window refuses to close meanwhile.
struct TInstalaceVOkne {
    testing::THostitel hostitel;
    standins::tarvik::ScriptedFrontEnd frontEnd;
    std::unique_ptr<standins::tarvik::HostTarvik> host;
    int dialogy = 0;
    bool zavrenoBehem = false;
    int ukonceni = 0;

    TInstalaceVOkne() {
        standins::tarvik::BrowseState stav;
        stav.extKomId = -1;
        host = std::make_unique<standins::tarvik::HostTarvik>(hostitel.Spojeni(), frontEnd, stav);
    }

    void PotvrzujDialogy(TfrmInstalace& okno) {
        auto* casovac = new QTimer(&okno);
        QObject::connect(casovac, &QTimer::timeout, [this, &okno] {
            auto* dialog = dynamic_cast<TsqAlterForm*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || dialog->property("potvrzeno").toBool()) return;
            dialog->setProperty("potvrzeno", true);
            ++dialogy;
            okno.reject();
            zavrenoBehem = zavrenoBehem || !okno.isVisible();
            dialog->findChild<QPushButton*>("bProvest")->click();
        });
        casovac->start(10);
    }
};

TEST(TfrmInstalace, InstallsAfterSpustitAndCannotBeClosedMeanwhile) {
    TInstalaceVOkne instalace;
    TfrmInstalace okno(*instalace.host, testing::KonfiguracePluginu(), TDefiniceInstalace::Pluginu(), false);
    okno.NastavUkonceniHostitele([&] { ++instalace.ukonceni; });
    instalace.PotvrzujDialogy(okno);
    QTimer::singleShot(50, &okno, [&] { okno.findChild<QPushButton*>("bSpustit")->click(); });
    okno.exec();
    EXPECT_EQ(okno.Vysledek().Konec, TKonecInstalace::Hotovo) << okno.Vysledek().Text;
    EXPECT_EQ(instalace.dialogy, 4); // tables, triggers, installation data script, procedures
    EXPECT_FALSE(instalace.zavrenoBehem);
    EXPECT_EQ(instalace.ukonceni, 1);
    EXPECT_EQ(instalace.frontEnd.texts(standins::tarvik::Interaction::Kind::Info),
              std::vector<std::string>{"Aplikace Tarvik bude ukončena."});
    EXPECT_EQ(instalace.hostitel.Hodnota("SELECT VerzePluginu FROM TabPluginInfo"), "020020120719");
}

TEST(TfrmInstalace, StornoBeforeTheStartChangesNothing) {
    TInstalaceVOkne instalace;
    TfrmInstalace okno(*instalace.host, testing::KonfiguracePluginu(), TDefiniceInstalace::Pluginu(), false);
    QTimer::singleShot(50, &okno, [&] { okno.findChild<QPushButton*>("bStorno")->click(); });
    okno.exec();
    EXPECT_EQ(okno.Vysledek().Konec, TKonecInstalace::Zrusena);
    EXPECT_EQ(instalace.hostitel.Hodnota("SELECT COUNT(*) FROM TabPluginInfo"), "0");
}

TEST(TfrmInstalace, SilentInstallationRunsByItself) {
    TInstalaceVOkne instalace;
    TfrmInstalace okno(*instalace.host, testing::KonfiguracePluginu(), TDefiniceInstalace::Pluginu(), true);
    okno.NastavUkonceniHostitele([&] { ++instalace.ukonceni; });
    okno.exec();
    EXPECT_EQ(okno.Vysledek().Konec, TKonecInstalace::Hotovo) << okno.Vysledek().Text;
    EXPECT_EQ(instalace.ukonceni, 0);
    EXPECT_EQ(instalace.hostitel.Hodnota("SELECT CAST(ZmenyOK AS INT) FROM TabPluginInfo"), "1");
}

} // namespace
} // namespace plugin
