#include "plugin/install/ui/sq_alter_form.h"

#include "plugin/messages/hlasky.h"

#include "common/sql_text.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace plugin {

namespace {

// Texts of the dialog (message indexes).
constexpr int kStorno = 2;
constexpr int kTitulek = 39;
constexpr int kOpravdu = 40;
constexpr int kZaloha = 41;
constexpr int kZalohovani = 42;
constexpr int kProvest = 43;
constexpr int kUkazSkript = 44;
constexpr int kOdznacVse = 45;
constexpr int kProvadeniPrikazu = 55;

//! The host's browse of database backups.
constexpr int kPrehledZaloh = 138;

QString Q(const std::string& text) {
    QString vysledek = QString::fromStdString(text);
    vysledek.replace(QChar(u'\r'), QChar(u'\n'));
    vysledek.remove(QChar(u'\001'));
    return vysledek;
}

QLabel* TucnyPopisek(const std::string& text, QWidget* rodic) {
    auto* popisek = new QLabel(Q(text), rodic);
    auto pismo = popisek->font();
    pismo.setBold(true);
    popisek->setFont(pismo);
    popisek->setWordWrap(true);
    return popisek;
}

QIcon Ikona(TDruhUzlu druh, const QStyle& styl) {
    switch (druh) {
    case TDruhUzlu::Koren:
        return styl.standardIcon(QStyle::SP_ComputerIcon);
    case TDruhUzlu::Tabulka:
    case TDruhUzlu::Sekce:
        return styl.standardIcon(QStyle::SP_DirIcon);
    case TDruhUzlu::Objekt:
    case TDruhUzlu::ExtAtribut:
        return styl.standardIcon(QStyle::SP_FileIcon);
    case TDruhUzlu::Trigger:
    case TDruhUzlu::Akce:
        return styl.standardIcon(QStyle::SP_MediaPlay);
    case TDruhUzlu::Procedura:
    case TDruhUzlu::Vlastni:
        return styl.standardIcon(QStyle::SP_FileDialogDetailedView);
    case TDruhUzlu::Prava:
        return styl.standardIcon(QStyle::SP_DialogYesButton);
    case TDruhUzlu::Prehled:
        return styl.standardIcon(QStyle::SP_FileDialogListView);
    case TDruhUzlu::Vztah:
        return styl.standardIcon(QStyle::SP_ArrowRight);
    case TDruhUzlu::Soudek:
        return styl.standardIcon(QStyle::SP_DirHomeIcon);
    case TDruhUzlu::Hlasky:
        return styl.standardIcon(QStyle::SP_MessageBoxInformation);
    case TDruhUzlu::Zprava:
    case TDruhUzlu::Polozka:
        break;
    }
    return styl.standardIcon(QStyle::SP_FileDialogInfoView);
}

} // namespace

TsqAlterForm::TsqAlterForm(TplgObsahDialogu& obsah, ITarvik& tarvik, std::string databaze, bool ticha,
                           QWidget* rodic)
    : QDialog(rodic)
    , obsah_(obsah)
    , tarvik_(tarvik)
    , databaze_(std::move(databaze))
    , ticha_(ticha) {
    setObjectName("TsqAlterForm");
    setWindowTitle(Q(TextHlasky(kTitulek)));
    resize(640, 560);
    auto* rozvrzeni = new QVBoxLayout(this);
    rozvrzeni->addWidget(TucnyPopisek(obsah_.Nadpis, this));
    auto* verze = new QLabel(Q(obsah_.Verze), this);
    verze->setObjectName("lbVerze");
    rozvrzeni->addWidget(verze);

    strom_ = new QTreeWidget(this);
    strom_->setObjectName("tvZmeny");
    strom_->setHeaderHidden(true);
    strom_->setContextMenuPolicy(Qt::CustomContextMenu);
    PridejUzel(obsah_.Koren, nullptr);
    rozvrzeni->addWidget(strom_, 1);

    rozvrzeni->addWidget(TucnyPopisek(TextHlasky(kOpravdu), this));
    zalohovani_ = new QWidget(this);
    auto* radekZalohy = new QHBoxLayout(zalohovani_);
    radekZalohy->setContentsMargins(0, 0, 0, 0);
    radekZalohy->addWidget(TucnyPopisek(TextHlasky(kZaloha), zalohovani_), 1);
    auto* zalohovat = new QPushButton(QString::fromStdString(TextHlasky(kZalohovani)), zalohovani_);
    zalohovat->setObjectName("bZalohovani");
    radekZalohy->addWidget(zalohovat);
    rozvrzeni->addWidget(zalohovani_);

    prikaz_ = new QPlainTextEdit(this);
    prikaz_->setObjectName("mPrikaz");
    prikaz_->setReadOnly(true);
    prikaz_->setPlaceholderText(Q(TextHlasky(kProvadeniPrikazu)));
    prikaz_->setVisible(false);
    rozvrzeni->addWidget(prikaz_);
    prubeh_ = new QProgressBar(this);
    prubeh_->setVisible(false);
    rozvrzeni->addWidget(prubeh_);

    auto* tlacitka = new QHBoxLayout;
    tlacitka->addStretch(1);
    provest_ = new QPushButton(Q(TextHlasky(kProvest)), this);
    provest_->setObjectName("bProvest");
    provest_->setDefault(true);
    storno_ = new QPushButton(Q(TextHlasky(kStorno)), this);
    storno_->setObjectName("bStorno");
    tlacitka->addWidget(provest_);
    tlacitka->addWidget(storno_);
    rozvrzeni->addLayout(tlacitka);

    ukazSkript_ = new QAction(QString::fromStdString(TextHlasky(kUkazSkript)), this);
    odznacVse_ = new QAction(Q(TextHlasky(kOdznacVse)), this);
    odznacVse_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    odznacVse_->setEnabled(false);
    addAction(odznacVse_);
    auto* zaskrtavani = new QAction(this);
    zaskrtavani->setShortcut(QKeySequence(Qt::ALT | Qt::Key_C));
    addAction(zaskrtavani);

    connect(zalohovat, &QPushButton::clicked, this, [this] {
        tarvik_.OpenBrowse(kPrehledZaloh, "#TabZalohy.database_name=" + common::SqlNString(databaze_));
    });
    connect(provest_, &QPushButton::clicked, this, [this] { Provest(); });
    connect(storno_, &QPushButton::clicked, this, [this] { reject(); });
    connect(ukazSkript_, &QAction::triggered, this, [this] { UkazSkript(); });
    connect(odznacVse_, &QAction::triggered, this, [this] { OdznacVse(); });
    connect(zaskrtavani, &QAction::triggered, this, [this] { ZobrazZaskrtavani(); });
    connect(strom_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& misto) {
        const auto* uzel = Uzel(strom_->itemAt(misto));
        ukazSkript_->setEnabled(uzel && uzel->MaPrikazy());
        QMenu menu(this);
        menu.addAction(ukazSkript_);
        menu.addAction(odznacVse_);
        menu.exec(strom_->viewport()->mapToGlobal(misto));
    });
    connect(strom_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* polozka) {
        const auto* uzel = Uzel(polozka);
        ukazSkript_->setEnabled(uzel && uzel->MaPrikazy());
    });
    connect(strom_, &QTreeWidget::itemChanged, this, [](QTreeWidgetItem* polozka, int) {
        if (auto* uzel = Uzel(polozka); uzel && polozka->data(0, Qt::CheckStateRole).isValid())
            uzel->Zaskrtnuty = polozka->checkState(0) == Qt::Checked;
    });
}

QTreeWidgetItem* TsqAlterForm::PridejUzel(TplgUzelDialogu& uzel, QTreeWidgetItem* rodic) {
    auto* polozka = rodic ? new QTreeWidgetItem(rodic) : new QTreeWidgetItem(strom_);
    // Check boxes come with Alt+C.
    polozka->setFlags(polozka->flags() & ~Qt::ItemIsUserCheckable);
    polozka->setText(0, Q(uzel.Text));
    polozka->setIcon(0, Ikona(uzel.Druh, *style()));
    polozka->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(&uzel)));
    if (uzel.Tucne) {
        auto pismo = polozka->font(0);
        pismo.setBold(true);
        polozka->setFont(0, pismo);
    }
    for (auto& dite : uzel.Deti)
        PridejUzel(dite, polozka);
    polozka->setExpanded(uzel.Rozbaleny || !rodic);
    return polozka;
}

TplgUzelDialogu* TsqAlterForm::Uzel(const QTreeWidgetItem* polozka) {
    if (!polozka) return nullptr;
    return reinterpret_cast<TplgUzelDialogu*>(polozka->data(0, Qt::UserRole).value<quintptr>());
}

void TsqAlterForm::ZobrazZaskrtavani() {
    if (probiha_) return;
    zaskrtavani_ = true;
    for (QTreeWidgetItemIterator i(strom_); *i; ++i) {
        auto* polozka = *i;
        auto* uzel = Uzel(polozka);
        if (!uzel || !uzel->MaPrikazy()) continue;
        polozka->setCheckState(0, uzel->Zaskrtnuty ? Qt::Checked : Qt::Unchecked);
        polozka->setFlags(polozka->flags() | Qt::ItemIsUserCheckable);
        for (auto* rodic = polozka->parent(); rodic; rodic = rodic->parent())
            rodic->setExpanded(true);
    }
    odznacVse_->setEnabled(true);
}

void TsqAlterForm::OdznacVse() {
    if (!zaskrtavani_ || probiha_) return;
    for (QTreeWidgetItemIterator i(strom_); *i; ++i)
        if ((*i)->flags() & Qt::ItemIsUserCheckable) (*i)->setCheckState(0, Qt::Unchecked);
    obsah_.OdznacVse();
}

void TsqAlterForm::UkazSkript() {
    const auto* uzel = Uzel(strom_->currentItem());
    if (uzel && uzel->MaPrikazy()) tarvik_.ShowInfo(obsah_.PrikazyUzlu(*uzel));
}

void TsqAlterForm::Provest() {
    if (probiha_ || !provest_->isEnabled()) return;
    probiha_ = true;
    strom_->setEnabled(false);
    provest_->setEnabled(false);
    storno_->setEnabled(false);
    zalohovani_->setVisible(false);
    prikaz_->setVisible(true);
    prubeh_->setVisible(true);
    const auto prikazy = obsah_.PrikazyKProvedeni();
    prubeh_->setRange(0, static_cast<int>(prikazy.size()));
    prubeh_->setValue(0);
    const auto chyba =
        ProvedPrikazy(tarvik_, prikazy, [this](std::size_t index, std::size_t, const std::string& prikaz) {
            prikaz_->setPlainText(Q(prikaz));
            prubeh_->setValue(static_cast<int>(index));
            QCoreApplication::processEvents();
        });
    probiha_ = false;
    if (!chyba) {
        prubeh_->setValue(prubeh_->maximum());
        vysledek_ = {TKonecDialogu::Provedeno, {}};
        accept();
        return;
    }
    // The failing statement stays in view with the server's message; closing the dialog fails
    // the step.
    vysledek_ = {TKonecDialogu::Chyba, *chyba};
    prikaz_->setPlainText(prikaz_->toPlainText() + "\n\n" + Q(*chyba));
    strom_->setEnabled(true);
    storno_->setEnabled(true);
    if (ticha_) QDialog::reject();
}

void TsqAlterForm::reject() {
    if (probiha_) return;
    if (vysledek_.Konec != TKonecDialogu::Chyba) vysledek_ = {TKonecDialogu::Zruseno, {}};
    QDialog::reject();
}

void TsqAlterForm::showEvent(QShowEvent* udalost) {
    QDialog::showEvent(udalost);
    if (ticha_) QTimer::singleShot(0, this, [this] { Provest(); });
}

void TsqAlterForm::closeEvent(QCloseEvent* udalost) {
    if (probiha_) {
        udalost->ignore();
        return;
    }
    QDialog::closeEvent(udalost);
}

} // namespace plugin
