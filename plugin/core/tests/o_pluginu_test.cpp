// The about box as a window, when the host runs a Qt application.

#include "host_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTimer>

namespace {

TEST(AboutBox, ShowsAWindowWithTheHostsFont) {
    int argc = 1;
    char name[] = "plugin_core_ui_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    QString title, nazev, verze, partner, pismo;
    int velikost = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        title = dialog->windowTitle();
        nazev = dialog->findChild<QLabel*>("lbNazev")->text();
        verze = dialog->findChild<QLabel*>("lbVerze")->text();
        partner = dialog->findChild<QLabel*>("lbPartner")->text();
        pismo = dialog->font().family();
        velikost = dialog->font().pointSize();
        dialog->accept();
    });

    auto connection = plugin::testing::connectHost();
    standins::tarvik::BrowseState state;
    state.browse = 871;
    state.extKomId = -2;
    standins::tarvik::HostSettings settings;
    settings.fontName = "DejaVu Sans";
    settings.fontHeight = 11;
    const auto result = plugin::testing::runPlugin(*connection, state, settings);

    EXPECT_EQ(result.failure, "");
    EXPECT_TRUE(result.shown.empty()) << "the about information went to the host instead of a window";
    EXPECT_EQ(title.toStdString(), "O pluginu");
    EXPECT_EQ(nazev.toStdString(), "PluginQuelta");
    EXPECT_EQ(verze.toStdString(), "Verze: 2.0.2012.0719");
    EXPECT_EQ(partner.toStdString(), "Identifikace partnera: QUEL2012-07190");
    EXPECT_EQ(pismo.toStdString(), "DejaVu Sans");
    EXPECT_EQ(velikost, 11);
}

} // namespace
