#pragma once
//! The installation window: the plug-in's logo, the title, the current step, a progress bar and
//! the buttons "Spustit" and "Storno". It cannot be closed while the installation runs; in silent
//! mode it starts by itself.

#include "plugin/install/instalace.h"
#include "plugin/install/ui/instalace_ui.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace plugin {

class TfrmInstalace : public QDialog, public IOknoInstalace {
public:
    TfrmInstalace(ITarvik& tarvik, const TInstalacniKonfigurace& konfigurace,
                  const TDefiniceInstalace& definice, bool ticha, TPripravOkna pripravOkna = {},
                  QWidget* rodic = nullptr);

    //! How the installation ended (Zrusena until it ran).
    const TplgVysledekInstalace& Vysledek() const { return vysledek_; }
    //! Runs the installation ("Spustit") and closes the window.
    void Spustit();
    //! What ends the host application at the end outside silent mode; by default the Qt
    //! application is asked to quit once control returns to its event loop.
    void NastavUkonceniHostitele(std::function<void()> ukonceni) { ukonceni_ = std::move(ukonceni); }

    void ZobrazKrok(std::string_view text) override;
    void NastavRozsah(int maximum) override;
    void PosunPrubeh() override;
    TplgVysledekDialogu ZobrazZmeny(TplgObsahDialogu& obsah) override;
    void UkonciHostitele() override;

    void reject() override;

protected:
    void showEvent(QShowEvent* udalost) override;
    void closeEvent(QCloseEvent* udalost) override;

private:
    ITarvik& tarvik_;
    TPripravOkna pripravOkna_;
    TplgInstalace instalace_;
    TplgVysledekInstalace vysledek_;
    std::function<void()> ukonceni_;
    bool pripraveno_ = false;
    QLabel* krok_ = nullptr;
    QProgressBar* prubeh_ = nullptr;
    QPushButton* spustit_ = nullptr;
    QPushButton* storno_ = nullptr;
};

} // namespace plugin
