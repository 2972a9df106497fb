#include "plugin/core/o_pluginu.h"

#include "prostredi.h"

#include "plugin/core/verze.h"
#include "plugin/messages/hlasky.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace plugin {

namespace {

//! Message indexes of the about box.
constexpr int kVerze = 46;
constexpr int kIdentifikacePartnera = 47;
constexpr int kOPluginu = 48;
constexpr int kKopirovat = 49;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string radekVerze() {
    return TextHlasky(kVerze) + ": " + ZobrazovanaVerze();
}

std::string radekPartnera(const TPluginKonfigBase& konfigurace) {
    return TextHlasky(kIdentifikacePartnera) + ": " + konfigurace.PartnerIdentification();
}

//! The about box: name, display version, partner identification and the maker.
class TfrmOPluginu : public QDialog {
public:
    explicit TfrmOPluginu(const TPluginKonfigBase& konfigurace) {
        setObjectName("TfrmOPluginu");
        setWindowTitle(q(TextHlasky(kOPluginu)));
        auto* layout = new QVBoxLayout(this);
        auto* nazev = label("lbNazev", konfigurace.PluginVerejneJmeno());
        QFont tucne = nazev->font();
        tucne.setBold(true);
        nazev->setFont(tucne);
        layout->addWidget(nazev);
        layout->addWidget(label("lbVerze", radekVerze()));
        layout->addWidget(label("lbPartner", radekPartnera(konfigurace)));
        layout->addWidget(label("lbVyrobce", konfigurace.PluginCopyrightVyrobce()));
        auto* tlacitka = new QDialogButtonBox(QDialogButtonBox::Ok, this);
        auto* kopirovat = tlacitka->addButton(q(TextHlasky(kKopirovat)), QDialogButtonBox::ActionRole);
        kopirovat->setObjectName("bKopirovat");
        const auto text = TextOPluginu(konfigurace);
        connect(kopirovat, &QPushButton::clicked, this, [text] {
            try {
                std::string prosty;
                for (const char c : text)
                    if (c != '\001') prosty += c == '\r' ? '\n' : c;
                QApplication::clipboard()->setText(q(prosty));
            } catch (...) {
                OsetriChybuOkna(std::current_exception());
            }
        });
        connect(tlacitka, &QDialogButtonBox::accepted, this, &QDialog::accept);
        layout->addWidget(tlacitka);
        PripravOkno(*this);
    }

private:
    QLabel* label(const char* jmeno, const std::string& text) {
        auto* l = new QLabel(q(text), this);
        l->setObjectName(jmeno);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return l;
    }
};

} // namespace

std::string TextOPluginu(const TPluginKonfigBase& konfigurace) {
    return "\001" + konfigurace.PluginVerejneJmeno() + "\001\r" + radekVerze() + "\r" +
           radekPartnera(konfigurace) + "\r" + konfigurace.PluginCopyrightVyrobce();
}

void ZobrazOPluginu(ITarvik& tarvik, const TPluginKonfigBase& konfigurace) {
    if (!MaOkna()) {
        tarvik.ShowInfo(TextOPluginu(konfigurace));
        return;
    }
    TfrmOPluginu okno(konfigurace);
    okno.exec();
}

} // namespace plugin
