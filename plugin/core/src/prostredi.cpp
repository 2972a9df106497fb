#include "prostredi.h"

#include "plg_run.h"

#include "plugin/core/spravce_tarviku.h"
#include "plugin/messages/hlasky.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <QWidget>

#include <cstdio>

namespace plugin {

namespace {

TProstredi& prostredi() {
    static TProstredi instance;
    return instance;
}

} // namespace

const TProstredi& Prostredi() {
    return prostredi();
}

bool MaOkna() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

void PrevezmiProstredi(ITarvik& tarvik) {
    auto& p = prostredi();
    if (const auto okno = tarvik.GetApplicationHandle(); okno != p.OknoHostitele) p.OknoHostitele = okno;
    if (const auto ikona = tarvik.GetApplicationIcon(); ikona != p.IkonaHostitele) p.IkonaHostitele = ikona;
    p.ZnakovaSada = tarvik.GetFontCharset() & 0xFF;
    p.Pismo = tarvik.GetFontName();
    p.VyskaPisma = tarvik.GetFontHeight();
}

void PripravOkno(QWidget& okno) {
    const auto& p = Prostredi();
    if (!p.Pismo.empty()) {
        QFont pismo(QString::fromStdString(p.Pismo));
        if (p.VyskaPisma > 0) pismo.setPointSize(p.VyskaPisma);
        okno.setFont(pismo);
    }
    if (!okno.parentWidget())
        if (auto* aktivni = QApplication::activeWindow(); aktivni && aktivni != &okno)
            okno.setParent(aktivni, okno.windowFlags());
}

void OsetriChybuOkna(std::exception_ptr chyba) {
    std::string text;
    try {
        std::rethrow_exception(chyba);
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    text = text.empty() ? TextHlasky(113) : PrelozChybu(text);
    if (auto* tarvik = SpravceTarviku().AktualniTarvik()) {
        try {
            tarvik->ShowError(text);
            return;
        } catch (...) {
            // the host could not show it: the plug-in shows it itself below
        }
    }
    std::string shown;
    for (const char c : text)
        if (c != '\001') shown += c == '\r' ? '\n' : c;
    if (MaOkna())
        QMessageBox::critical(QApplication::activeWindow(), QString::fromStdString(TextHlasky(116)),
                              QString::fromStdString(shown));
    else
        std::fprintf(stderr, "%s: %s\n", TextHlasky(116).c_str(), shown.c_str());
}

} // namespace plugin
