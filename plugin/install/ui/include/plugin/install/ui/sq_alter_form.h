#pragma once
//! The change dialog: the heading, the plug-in's version and the tree that explains the changes;
//! "Provést" runs the statements, showing each while it runs; "Storno" runs nothing. Alt+C shows
//! check boxes on the nodes that stand for statements (Ctrl+D unchecks them all); the context
//! command "Ukaž SQL skript..." shows a node's statements. While statements run the dialog cannot
//! be closed; after a failing statement it stays open with the server's message.

#include "plugin/install/dialog_zmen.h"
#include "plugin/install/obsah_dialogu.h"

#include <QDialog>

#include <string>

class QAction;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace plugin {

class TsqAlterForm : public QDialog {
public:
    //! `databaze` is the name of the current database, for the backup browse.
    TsqAlterForm(TplgObsahDialogu& obsah, ITarvik& tarvik, std::string databaze, bool ticha,
                 QWidget* rodic = nullptr);

    const TplgVysledekDialogu& Vysledek() const { return vysledek_; }
    //! Alt+C: check boxes on every node that stands for statements, all checked.
    void ZobrazZaskrtavani();
    //! Ctrl+D: unchecks every check box.
    void OdznacVse();
    //! "Provést".
    void Provest();
    //! The statements of the current node through the host's message ("Ukaž SQL skript...").
    void UkazSkript();

    QTreeWidget* Strom() const { return strom_; }

    void reject() override;

protected:
    void showEvent(QShowEvent* udalost) override;
    void closeEvent(QCloseEvent* udalost) override;

private:
    QTreeWidgetItem* PridejUzel(TplgUzelDialogu& uzel, QTreeWidgetItem* rodic);
    static TplgUzelDialogu* Uzel(const QTreeWidgetItem* polozka);

    TplgObsahDialogu& obsah_;
    ITarvik& tarvik_;
    std::string databaze_;
    bool ticha_;
    bool probiha_ = false;
    bool zaskrtavani_ = false;
    TplgVysledekDialogu vysledek_;
    QTreeWidget* strom_ = nullptr;
    QWidget* zalohovani_ = nullptr;
    QPlainTextEdit* prikaz_ = nullptr;
    QProgressBar* prubeh_ = nullptr;
    QPushButton* provest_ = nullptr;
    QPushButton* storno_ = nullptr;
    QAction* ukazSkript_ = nullptr;
    QAction* odznacVse_ = nullptr;
};

} // namespace plugin
