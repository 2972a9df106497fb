#include "quelta/qt_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace quelta;

namespace {

//! The application object lives for the whole test program and ends before Qt's own globals.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { application_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[21] = "quelta_core_ui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

TEST(LoginForm, TextsSizesAndTabOrder) {
    TFrmINI form(QStringLiteral("sa"));
    EXPECT_EQ(form.windowTitle(), "Login");
    EXPECT_EQ(form.size(), QSize(184, 182));
    EXPECT_EQ(form.lbSQLLogin->text(), "SQL Login:");
    EXPECT_EQ(form.lbSQLPassword->text(), "SQL Password:");
    EXPECT_EQ(form.chbNTAuthentication->text(), "Windows Authentication");
    EXPECT_EQ(form.btnSave->text(), "Save");
    EXPECT_EQ(form.btnSave->geometry(), QRect(101, 149, 75, 25));
    EXPECT_EQ(form.edSQLLogin->pos(), QPoint(8, 34));
    EXPECT_EQ(form.edSQLLogin->width(), 168);
    EXPECT_EQ(form.edSQLPassword->pos(), QPoint(8, 80));
    EXPECT_EQ(form.edSQLPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(form.edSQLLogin->text(), "sa");
    EXPECT_TRUE(form.edSQLPassword->text().isEmpty());
    EXPECT_FALSE(form.chbNTAuthentication->isChecked());
    EXPECT_TRUE(form.btnSave->isDefault());
    EXPECT_EQ(form.edSQLPassword->nextInFocusChain(), form.edSQLLogin);
    EXPECT_EQ(form.edSQLLogin->nextInFocusChain(), form.chbNTAuthentication);
    EXPECT_EQ(form.chbNTAuthentication->nextInFocusChain(), form.btnSave);
    EXPECT_EQ(form.focusWidget(), form.edSQLPassword) << "the password has the focus first";
}

TEST(LoginForm, WindowsAuthenticationDisablesEditsAndClearsPassword) {
    TFrmINI form(QStringLiteral("sa"));
    form.edSQLPassword->setText(QStringLiteral("secret"));
    form.chbNTAuthentication->setChecked(true);
    EXPECT_FALSE(form.edSQLLogin->isEnabled());
    EXPECT_FALSE(form.edSQLPassword->isEnabled());
    EXPECT_TRUE(form.edSQLPassword->text().isEmpty());
    form.chbNTAuthentication->setChecked(false);
    EXPECT_TRUE(form.edSQLLogin->isEnabled());
    EXPECT_TRUE(form.edSQLPassword->isEnabled());
    EXPECT_EQ(form.edSQLLogin->text(), "sa");
    EXPECT_TRUE(form.edSQLPassword->text().isEmpty());
}

TEST(LoginForm, EnterInEitherEditAccepts) {
    for (int which = 0; which < 2; ++which) {
        TFrmINI form(QStringLiteral("sa"));
        form.show();
        QLineEdit* edit = which == 0 ? form.edSQLLogin : form.edSQLPassword;
        edit->setFocus();
        QTest::keyClicks(form.edSQLPassword, QStringLiteral("pw"));
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(form.result(), QDialog::Accepted) << which;
        const auto answer = form.Answer();
        EXPECT_EQ(answer.login, "sa");
        EXPECT_EQ(answer.password, "pw");
        EXPECT_FALSE(answer.windowsAuthentication);
    }
}

TEST(ProgressPaneWindow, ShowAndIncUpdateTheControls) {
    TFormProgressPane pane;
    EXPECT_EQ(pane.windowTitle(), QString::fromUtf8("Synchronizace číselníků"));
    EXPECT_EQ(pane.size(), QSize(384, 126));
    EXPECT_EQ(pane.Label1->text(), QString::fromUtf8("Synchronizace číselníku:"));
    EXPECT_EQ(pane.lbList->text(), QString::fromUtf8("číselník"));
    EXPECT_TRUE(pane.lbList->font().bold());
    EXPECT_EQ(pane.font().pointSize(), 8);
    EXPECT_EQ(pane.Label1->font().pointSize(), 10);
    EXPECT_EQ(pane.lbList->font().pointSize(), 10);
    EXPECT_EQ(pane.Label1->pos(), QPoint(16, 24));
    EXPECT_EQ(pane.lbList->pos(), QPoint(161, 24));
    EXPECT_EQ(pane.lbRowcount->pos(), QPoint(16, 54));
    EXPECT_EQ(pane.minimumWidth(), 384);
    EXPECT_EQ(pane.lbRowcount->text(), QString::fromUtf8("0 z 0 záznamů"));
    EXPECT_EQ(pane.pbar->geometry(), QRect(16, 81, 353, 25));

    pane.SetCiselnik(QStringLiteral("bankcode"));
    pane.SetRowcount(8);
    pane.ShowPane();
    EXPECT_EQ(pane.lbList->text(), "bankcode");
    EXPECT_EQ(pane.lbRowcount->text(), QString::fromUtf8("Příprava na synchronizaci..."));
    EXPECT_EQ(pane.pbar->value(), 0);
    pane.inc();
    EXPECT_EQ(pane.pbar->value(), 12);
    EXPECT_EQ(pane.lbRowcount->text(), QString::fromUtf8("1 záznamů z 8"));

    pane.resize(500, 126);
    EXPECT_EQ(pane.pbar->width(), 469);
    EXPECT_EQ(pane.height(), 126);
}

TEST(LoginForm, AskReturnsTheAnswerOrNothingWhenClosedOtherwise) {
    QtUserInterface ui;
    QTimer::singleShot(0, [] {
        auto* form = dynamic_cast<TFrmINI*>(QApplication::activeModalWidget());
        ASSERT_TRUE(form);
        form->edSQLLogin->setText(QStringLiteral("clerk"));
        form->edSQLPassword->setText(QStringLiteral("pw"));
        form->btnSave->click();
    });
    const auto answer = ui.Ask("sa");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->login, "clerk");
    EXPECT_EQ(answer->password, "pw");

    QTimer::singleShot(0, [] {
        auto* form = QApplication::activeModalWidget();
        ASSERT_TRUE(form);
        form->close();
    });
    EXPECT_EQ(ui.Ask("sa"), std::nullopt);
}
