#include "plugin/install/ui/frm_instalace.h"

#include "plugin/install/ui/sq_alter_form.h"
#include "plugin/messages/hlasky.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace plugin {

namespace {

constexpr int kStorno = 2;
constexpr int kSpustit = 19;
constexpr int kOknoNelzeZavrit = 54;

//! The progress bar's own colour and the colour that means "the window's own" (0xBBGGRR).
constexpr std::uint32_t kBarvaPrubehu = 2851573;
constexpr std::uint32_t kBila = 16777215;

QColor Barva(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace

TfrmInstalace::TfrmInstalace(ITarvik& tarvik, const TInstalacniKonfigurace& konfigurace,
                             const TDefiniceInstalace& definice, bool ticha, TPripravOkna pripravOkna,
                             QWidget* rodic)
    : QDialog(rodic, Qt::Dialog | Qt::FramelessWindowHint)
    , tarvik_(tarvik)
    , pripravOkna_(std::move(pripravOkna))
    , instalace_(tarvik, konfigurace, definice, *this, ticha)
    , ukonceni_([] { QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection); }) {
    setObjectName("TfrmInstalace");
    setModal(true);
    auto* rozvrzeni = new QVBoxLayout(this);
    auto barva = Barva(kBarvaPrubehu);
    if (!konfigurace.Logo.empty()) {
        QPixmap logo;
        if (logo.loadFromData(konfigurace.Logo.data(), static_cast<uint>(konfigurace.Logo.size()))) {
            auto* obrazek = new QLabel(this);
            obrazek->setObjectName("imLogo");
            obrazek->setPixmap(logo);
            obrazek->setAlignment(Qt::AlignCenter);
            rozvrzeni->addWidget(obrazek);
        }
        if (konfigurace.BarvaPrubehu != kBila) barva = Barva(konfigurace.BarvaPrubehu);
    }
    auto* titulek = new QLabel(QString::fromStdString(instalace_.Titulek()), this);
    titulek->setObjectName("lbTitulek");
    auto pismo = titulek->font();
    pismo.setBold(true);
    titulek->setFont(pismo);
    rozvrzeni->addWidget(titulek);
    krok_ = new QLabel(this);
    krok_->setObjectName("lbKrok");
    rozvrzeni->addWidget(krok_);
    prubeh_ = new QProgressBar(this);
    prubeh_->setObjectName("pbPrubeh");
    prubeh_->setRange(0, 13);
    prubeh_->setValue(0);
    prubeh_->setTextVisible(false);
    auto paleta = prubeh_->palette();
    paleta.setColor(QPalette::Highlight, barva);
    prubeh_->setPalette(paleta);
    rozvrzeni->addWidget(prubeh_);
    auto* tlacitka = new QHBoxLayout;
    tlacitka->addStretch(1);
    spustit_ = new QPushButton(QString::fromStdString(TextHlasky(kSpustit)), this);
    spustit_->setObjectName("bSpustit");
    spustit_->setDefault(true);
    storno_ = new QPushButton(QString::fromStdString(TextHlasky(kStorno)), this);
    storno_->setObjectName("bStorno");
    tlacitka->addWidget(spustit_);
    tlacitka->addWidget(storno_);
    rozvrzeni->addLayout(tlacitka);
    connect(spustit_, &QPushButton::clicked, this, [this] { Spustit(); });
    connect(storno_, &QPushButton::clicked, this, [this] { reject(); });
    if (pripravOkna_) pripravOkna_(*this);
}

void TfrmInstalace::showEvent(QShowEvent* udalost) {
    QDialog::showEvent(udalost);
    if (pripraveno_) return;
    pripraveno_ = true;
    QTimer::singleShot(0, this, [this] {
        try {
            instalace_.Priprav();
        } catch (const std::exception& e) {
            vysledek_ = {TKonecInstalace::Chyba, e.what()};
            QDialog::reject();
            return;
        }
        if (instalace_.Ticha()) Spustit();
    });
}

void TfrmInstalace::Spustit() {
    if (instalace_.Pracuji()) return;
    spustit_->setEnabled(false);
    storno_->setEnabled(false);
    vysledek_ = instalace_.Spustit();
    accept();
}

void TfrmInstalace::ZobrazKrok(std::string_view text) {
    krok_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    QCoreApplication::processEvents();
}

void TfrmInstalace::NastavRozsah(int maximum) {
    prubeh_->setRange(0, maximum);
}

void TfrmInstalace::PosunPrubeh() {
    prubeh_->setValue(std::min(prubeh_->value() + 1, prubeh_->maximum()));
    QCoreApplication::processEvents();
}

TplgVysledekDialogu TfrmInstalace::ZobrazZmeny(TplgObsahDialogu& obsah) {
    TsqAlterForm dialog(obsah, tarvik_, instalace_.Stav().AktDB, instalace_.Ticha(), this);
    if (pripravOkna_) pripravOkna_(dialog);
    dialog.exec();
    return dialog.Vysledek();
}

void TfrmInstalace::UkonciHostitele() {
    if (ukonceni_) ukonceni_();
}

void TfrmInstalace::reject() {
    if (instalace_.Pracuji()) {
        krok_->setText(QString::fromStdString(TextHlasky(kOknoNelzeZavrit)));
        return;
    }
    QDialog::reject();
}

void TfrmInstalace::closeEvent(QCloseEvent* udalost) {
    if (instalace_.Pracuji()) {
        udalost->ignore();
        return;
    }
    QDialog::closeEvent(udalost);
}

} // namespace plugin
