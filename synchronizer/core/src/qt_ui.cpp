#include "quelta/qt_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace quelta {

namespace {

QString q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
QString q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QFont tahoma(int points, bool bold = false) {
    QFont font(q("Tahoma"), points);
    font.setBold(bold);
    return font;
}

void centre(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

class QtProgressPane : public ProgressPane {
public:
    void SetCiselnik(const std::string& list) override { pane_.SetCiselnik(q(list)); }
    void SetRowcount(int rowcount) override { pane_.SetRowcount(rowcount); }
    void SetCaption(const std::string& caption) override { pane_.setWindowTitle(q(caption)); }
    void SetLabel1(const std::string& text) override { pane_.Label1->setText(q(text)); }
    void SetListLabel(const std::string& text) override { pane_.lbList->setText(q(text)); }
    void Show() override { pane_.ShowPane(); }
    void inc() override { pane_.inc(); }

private:
    TFormProgressPane pane_;
};

} // namespace

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* v = std::getenv(name); v && *v) return true;
    return false;
}

bool DisplayUsable() {
    if (!HasDisplay()) return false;
    if (const char* platform = std::getenv("QT_QPA_PLATFORM"); platform && *platform) {
        // Windows nobody can see would wait for an answer forever.
        const std::string_view name(platform);
        return name.rfind("offscreen", 0) != 0 && name.rfind("minimal", 0) != 0;
    }
    // Qt ends the process when its window system cannot be reached (a stale DISPLAY, say);
    // a child process tries first, so Quelta can fall back to the terminal instead.
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        if (const int devNull = ::open("/dev/null", O_WRONLY); devNull >= 0) ::dup2(devNull, STDERR_FILENO);
        int argc = 1;
        char name[] = "quelta";
        char* argv[] = {name, nullptr};
        QGuiApplication probe(argc, argv);
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TFormProgressPane::TFormProgressPane()
    : Label1(new QLabel(q(ProgressCounter::kLabel1), this))
    , lbList(new QLabel(q(ProgressCounter::kListPlaceholder), this))
    , lbRowcount(new QLabel(q(ProgressCounter::kInitialRowText), this))
    , pbar(new QProgressBar(this)) {
    setObjectName(q("FormProgressPane"));
    setWindowTitle(q(ProgressCounter::kCaption));
    setFont(tahoma(8));
    resize(384, 126);
    setFixedHeight(126);
    setMinimumWidth(384);
    Label1->setObjectName(q("Label1"));
    Label1->setFont(tahoma(10));
    Label1->move(16, 24);
    Label1->adjustSize();
    lbList->setObjectName(q("lbList"));
    lbList->setFont(tahoma(10, true));
    lbList->move(161, 24);
    lbList->adjustSize();
    lbRowcount->setObjectName(q("lbRowcount"));
    lbRowcount->move(16, 54);
    lbRowcount->adjustSize();
    pbar->setObjectName(q("pbar"));
    pbar->setRange(0, 100);
    pbar->setGeometry(16, 81, 353, 25);
    centre(*this);
}

void TFormProgressPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    pbar->resize(width() - 31, pbar->height());
}

void TFormProgressPane::ShowPane() {
    pbar->setValue(0);
    lbRowcount->setText(q(ProgressCounter::kPreparing));
    lbRowcount->adjustSize();
    lbList->setText(ciselnik_);
    lbList->adjustSize();
    show();
    QCoreApplication::processEvents();
}

void TFormProgressPane::inc() {
    counter_.Inc();
    pbar->setValue(counter_.Position());
    lbRowcount->setText(q(counter_.DoneText()));
    lbRowcount->adjustSize();
    QCoreApplication::processEvents();
}

TFrmINI::TFrmINI(const QString& presetLogin)
    : lbSQLLogin(new QLabel(q(LoginFormState::kLoginLabel), this))
    , edSQLLogin(new QLineEdit(presetLogin, this))
    , lbSQLPassword(new QLabel(q(LoginFormState::kPasswordLabel), this))
    , edSQLPassword(new QLineEdit(this))
    , chbNTAuthentication(new QCheckBox(q(LoginFormState::kWindowsAuthentication), this))
    , btnSave(new QPushButton(q(LoginFormState::kSave), this))
    , state_(presetLogin.toStdString()) {
    setObjectName(q("FrmINI"));
    setWindowTitle(q(LoginFormState::kCaption));
    setFont(tahoma(8));
    setFixedSize(184, 182);
    setModal(true);
    lbSQLLogin->setObjectName(q("lbSQLLogin"));
    lbSQLLogin->move(8, 15);
    lbSQLLogin->adjustSize();
    edSQLLogin->setObjectName(q("edSQLLogin"));
    edSQLLogin->setGeometry(8, 34, 168, edSQLLogin->sizeHint().height());
    lbSQLPassword->setObjectName(q("lbSQLPassword"));
    lbSQLPassword->move(8, 61);
    lbSQLPassword->adjustSize();
    edSQLPassword->setObjectName(q("edSQLPassword"));
    edSQLPassword->setGeometry(8, 80, 168, edSQLPassword->sizeHint().height());
    edSQLPassword->setEchoMode(QLineEdit::Password);
    edSQLPassword->clear();
    chbNTAuthentication->setObjectName(q("chbNTAuthentication"));
    chbNTAuthentication->move(8, 115);
    chbNTAuthentication->adjustSize();
    chbNTAuthentication->setChecked(false);
    btnSave->setObjectName(q("btnSave"));
    btnSave->setGeometry(101, 149, 75, 25);
    btnSave->setDefault(true);
    btnSave->setAutoDefault(true);

    setTabOrder(edSQLPassword, edSQLLogin);
    setTabOrder(edSQLLogin, chbNTAuthentication);
    setTabOrder(chbNTAuthentication, btnSave);
    edSQLPassword->setFocus();

    QObject::connect(chbNTAuthentication, &QCheckBox::toggled, this, [this](bool checked) {
        state_.SetWindowsAuthentication(checked);
        if (checked) edSQLPassword->clear();
        edSQLLogin->setEnabled(state_.EditsEnabled());
        edSQLPassword->setEnabled(state_.EditsEnabled());
    });
    QObject::connect(btnSave, &QPushButton::clicked, this, &QDialog::accept);
    centre(*this);
}

LoginAnswer TFrmINI::Answer() const {
    return {chbNTAuthentication->isChecked(), edSQLLogin->text().toStdString(),
            edSQLPassword->text().toStdString()};
}

void QtUserInterface::ShowMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, q("Quelta"), q(text), QMessageBox::Ok);
    box.exec();
}

std::unique_ptr<ProgressPane> QtUserInterface::CreateProgressPane() {
    return std::make_unique<QtProgressPane>();
}

std::optional<LoginAnswer> QtUserInterface::Ask(const std::string& presetLogin) {
    TFrmINI form(q(presetLogin));
    if (form.exec() != QDialog::Accepted) return std::nullopt;
    return form.Answer();
}

} // namespace quelta
