#pragma once
//! Quelta's two windows and its message boxes as Qt widgets.

#include "quelta/progress.h"
#include "quelta/user_interface.h"

#include <QDialog>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace quelta {

//! True when a window system is available (DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM set).
bool HasDisplay();
//! True when Qt windows can be shown and answered: a display is named and Qt can reach it
//! (the offscreen and minimal platforms do not count: nobody could close a message box there).
bool DisplayUsable();

//! The progress pane: list name in bold, "n záznamů z m" and a bar.
class TFormProgressPane : public QWidget {
public:
    TFormProgressPane();

    void SetCiselnik(const QString& list) { ciselnik_ = list; }
    void SetRowcount(int rowcount) { counter_.SetRowcount(rowcount); }
    //! Shows the pane and paints it at once.
    void ShowPane();
    //! Advances by one record and repaints.
    void inc();

    QLabel* Label1;
    QLabel* lbList;
    QLabel* lbRowcount;
    QProgressBar* pbar;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString ciselnik_;
    ProgressCounter counter_;
};

//! The login form ("Login"): SQL login, SQL password, Windows Authentication, Save.
class TFrmINI : public QDialog {
public:
    explicit TFrmINI(const QString& presetLogin = {});

    QLabel* lbSQLLogin;
    QLineEdit* edSQLLogin;
    QLabel* lbSQLPassword;
    QLineEdit* edSQLPassword;
    QCheckBox* chbNTAuthentication;
    QPushButton* btnSave;

    //! The form's answer after it closed with "Save".
    LoginAnswer Answer() const;

private:
    LoginFormState state_;
};

//! Message boxes, progress pane and login form as Qt windows (a QApplication must exist).
class QtUserInterface : public UserInterface {
public:
    void ShowMessage(const std::string& text) override;
    std::unique_ptr<ProgressPane> CreateProgressPane() override;
    std::optional<LoginAnswer> Ask(const std::string& presetLogin) override;
};

} // namespace quelta
