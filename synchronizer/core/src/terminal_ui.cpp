#include "quelta/terminal_ui.h"

#include "quelta/progress.h"

#include <csignal>
#include <iterator>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace quelta {

namespace {

bool isTerminal(std::FILE* f) {
    return f && ::isatty(::fileno(f));
}

//! Reads one line without its line end; nullopt at end of input.
std::optional<std::string> readLine(std::FILE* in) {
    std::string line;
    int c = 0;
    while ((c = std::fgetc(in)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (c == EOF && line.empty()) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

// What a signal handler needs to give the terminal its echo back (one hidden prompt at a time).
int gHiddenFd = -1;
termios gShownSettings{};
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

//! Restores the terminal, then lets the signal end the program as it would have.
extern "C" void restoreEchoAndRaise(int signal) {
    if (gHiddenFd >= 0) ::tcsetattr(gHiddenFd, TCSANOW, &gShownSettings);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

//! Switches terminal echo off for its lifetime; Ctrl-C or another ending signal meanwhile switches
//! it back on before the program ends.
class HiddenInput {
public:
    explicit HiddenInput(std::FILE* in)
        : fd_(::fileno(in)) {
        if (::tcgetattr(fd_, &saved_) != 0) return;
        gShownSettings = saved_;
        gHiddenFd = fd_;
        struct sigaction action {};
        action.sa_handler = restoreEchoAndRaise;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            ::sigaction(kEndingSignals[i], &action, &previous_[i]);
        termios quiet = saved_;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        active_ = ::tcsetattr(fd_, TCSANOW, &quiet) == 0;
        if (!active_) restoreSignals();
    }
    ~HiddenInput() {
        if (!active_) return;
        ::tcsetattr(fd_, TCSANOW, &saved_);
        restoreSignals();
    }
    HiddenInput(const HiddenInput&) = delete;
    HiddenInput& operator=(const HiddenInput&) = delete;

private:
    void restoreSignals() {
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            ::sigaction(kEndingSignals[i], &previous_[i], nullptr);
        gHiddenFd = -1;
    }

    int fd_;
    termios saved_{};
    struct sigaction previous_[std::size(kEndingSignals)]{};
    bool active_ = false;
};

class TerminalProgressPane : public ProgressPane {
public:
    explicit TerminalProgressPane(std::FILE* out)
        : out_(isTerminal(out) ? out : nullptr) {}
    ~TerminalProgressPane() override {
        if (out_ && shown_) std::fputc('\n', out_);
    }

    void SetCiselnik(const std::string& list) override { list_ = list; }
    void SetRowcount(int rowcount) override { counter_.SetRowcount(rowcount); }
    void SetCaption(const std::string&) override {}
    void SetLabel1(const std::string& text) override { label1_ = text; }
    void SetListLabel(const std::string& text) override {
        list_ = text;
        draw(rowText_);
    }
    void Show() override {
        shown_ = true;
        draw(ProgressCounter::kPreparing);
    }
    void inc() override {
        counter_.Inc();
        draw(counter_.DoneText());
    }

private:
    void draw(const std::string& rowText) {
        rowText_ = rowText;
        if (!out_ || !shown_) return;
        std::fprintf(out_, "\r%s\x1b[K", ProgressLine(label1_, list_, counter_.Position(), rowText_).c_str());
        std::fflush(out_);
    }

    std::FILE* out_;
    ProgressCounter counter_;
    std::string label1_ = ProgressCounter::kLabel1;
    std::string list_ = ProgressCounter::kListPlaceholder;
    std::string rowText_ = ProgressCounter::kInitialRowText;
    bool shown_ = false;
};

} // namespace

std::string ProgressLine(const std::string& label, const std::string& list, int position,
                         const std::string& rowText) {
    constexpr int width = 20;
    const int filled = position * width / 100;
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.append(static_cast<std::size_t>(width - filled), ' ');
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d %%", position);
    return label + " " + list + " [" + bar + "] " + percent + " " + rowText;
}

TerminalUserInterface::TerminalUserInterface(std::filesystem::path iniPath, std::FILE* out, std::FILE* in)
    : iniPath_(std::move(iniPath))
    , out_(out)
    , in_(in) {}

void TerminalUserInterface::ShowMessage(const std::string& text) {
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
}

std::unique_ptr<ProgressPane> TerminalUserInterface::CreateProgressPane() {
    return std::make_unique<TerminalProgressPane>(out_);
}

std::string TerminalUserInterface::NoTerminalText(const std::filesystem::path& iniPath) {
    return "Quelta nemá přihlašovací údaje k SQL Serveru a nemůže se na ně zeptat (chybí displej i "
           "terminál).\n"
           "V souboru " +
           iniPath.string() +
           " v sekci [settings] nastavte klíč \"login\" na prázdnou hodnotu (Windows Authentication), "
           "nebo spusťte Quelta jednou z terminálu a zadejte \"login\" a \"password\".";
}

std::optional<LoginAnswer> TerminalUserInterface::Ask(const std::string& presetLogin) {
    if (!isTerminal(in_)) {
        ShowMessage(NoTerminalText(iniPath_));
        return std::nullopt;
    }
    LoginAnswer answer;
    std::fprintf(out_, "Login\nWindows Authentication (a/N): ");
    std::fflush(out_);
    const auto windows = readLine(in_);
    if (!windows) return std::nullopt;
    if (!windows->empty() && (windows->front() == 'a' || windows->front() == 'A' || windows->front() == 'y' ||
                              windows->front() == 'Y')) {
        answer.windowsAuthentication = true;
        return answer;
    }
    std::fprintf(out_, "SQL Login [%s]: ", presetLogin.c_str());
    std::fflush(out_);
    const auto login = readLine(in_);
    if (!login) return std::nullopt;
    answer.login = login->empty() ? presetLogin : *login;
    std::optional<std::string> password;
    {
        HiddenInput hidden(in_); // before the prompt, so nothing typed after it is echoed
        std::fprintf(out_, "SQL Password: ");
        std::fflush(out_);
        password = readLine(in_);
    }
    std::fputc('\n', out_);
    if (!password) return std::nullopt;
    answer.password = *password;
    return answer;
}

} // namespace quelta
