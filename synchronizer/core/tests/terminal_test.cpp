#include "quelta/terminal_ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace quelta;

namespace {

std::string contentOf(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string s;
    int c = 0;
    while ((c = std::fgetc(f)) != EOF)
        s += static_cast<char>(c);
    return s;
}

} // namespace

TEST(TerminalUi, ProgressLine) {
    struct Case {
        int position;
        std::string rowText, expected;
    };
    const Case cases[] = {
        {0, "Příprava na synchronizaci...",
         "Synchronizace číselníku: bankcode [                    ]   0 % Příprava na synchronizaci..."},
        {50, "5 záznamů z 10",
         "Synchronizace číselníku: bankcode [##########          ]  50 % 5 záznamů z 10"},
        {100, "1 záznamů z 1",
         "Synchronizace číselníku: bankcode [####################] 100 % 1 záznamů z 1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressLine("Synchronizace číselníku:", "bankcode", c.position, c.rowText), c.expected);
}

TEST(TerminalUi, WithoutTerminalMessagesGoOutAndProgressAndLoginStayQuiet) {
    std::FILE* out = std::tmpfile();
    std::FILE* in = std::tmpfile();
    ASSERT_TRUE(out && in);
    {
        TerminalUserInterface ui("/opt/quelta/quelta.INI", out, in);
        ui.ShowMessage("Bad parameters! Check documentation");
        auto pane = ui.CreateProgressPane();
        pane->SetCiselnik("bankcode");
        pane->SetRowcount(2);
        pane->Show();
        pane->inc();
        EXPECT_EQ(ui.Ask("sa"), std::nullopt);
    }
    const std::string text = contentOf(out);
    EXPECT_EQ(text.rfind("Bad parameters! Check documentation\n", 0), 0u);
    EXPECT_EQ(text.find("bankcode"), std::string::npos) << "progress drawn without a terminal";
    EXPECT_NE(text.find("/opt/quelta/quelta.INI"), std::string::npos);
    EXPECT_NE(text.find("\"login\""), std::string::npos);
    std::fclose(out);
    std::fclose(in);
}

namespace {

//! A pseudo-terminal whose far end the test types into and reads from.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pty");
        const int slave = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
        if (slave < 0) throw std::runtime_error("no pty slave");
        terminal_ = ::fdopen(slave, "r+");
    }
    ~PseudoTerminal() {
        std::fclose(terminal_);
        ::close(master_);
    }
    std::FILE* Terminal() const { return terminal_; }
    void Type(const std::string& text) const {
        ASSERT_EQ(::write(master_, text.data(), text.size()), ssize_t(text.size()));
    }
    //! Reads what the terminal showed until `marker` appears; returns everything read.
    std::string ReadUntil(const std::string& marker) {
        while (seen_.find(marker) == std::string::npos) {
            char buf[256];
            const auto n = ::read(master_, buf, sizeof buf);
            if (n <= 0) break;
            seen_.append(buf, static_cast<std::size_t>(n));
        }
        return seen_;
    }

    //! Everything the terminal has shown so far, without waiting for more.
    std::string Drain() {
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        char buf[256];
        ssize_t n = 0;
        while ((n = ::read(master_, buf, sizeof buf)) > 0)
            seen_.append(buf, static_cast<std::size_t>(n));
        return seen_;
    }

private:
    int master_ = -1;
    std::FILE* terminal_ = nullptr;
    std::string seen_;
};

} // namespace

TEST(TerminalUi, LoginPromptHidesThePassword) {
    struct Case {
        std::vector<std::string> typed; //!< one answer per prompt
        std::optional<LoginAnswer> expected;
    };
    const Case cases[] = {
        {{"n\n", "clerk\n", "Tajné:1\n"}, LoginAnswer{false, "clerk", "Tajné:1"}},
        {{"\n", "\n", "pw\n"}, LoginAnswer{false, "sa", "pw"}},
        {{"a\n"}, LoginAnswer{true, "", ""}},
    };
    const std::string prompts[] = {"(a/N): ", "SQL Login [sa]: ", "SQL Password: "};
    for (const auto& c : cases) {
        PseudoTerminal pty;
        TerminalUserInterface ui("/q.INI", pty.Terminal(), pty.Terminal());
        std::optional<LoginAnswer> answer;
        std::thread asking([&] { answer = ui.Ask("sa"); });
        for (std::size_t i = 0; i < c.typed.size(); ++i) {
            pty.ReadUntil(prompts[i]);
            pty.Type(c.typed[i]);
        }
        asking.join();
        ASSERT_TRUE(answer.has_value());
        EXPECT_EQ(answer->windowsAuthentication, c.expected->windowsAuthentication);
        EXPECT_EQ(answer->login, c.expected->login);
        EXPECT_EQ(answer->password, c.expected->password);
        if (!c.expected->password.empty()) {
            const std::string shown = pty.Drain();
            EXPECT_NE(shown.find("SQL Password: "), std::string::npos);
            EXPECT_EQ(shown.find(c.expected->password), std::string::npos) << "password echoed: " << shown;
        }
    }
}

// Ctrl-C at the password prompt ends Quelta; the terminal must not stay without echo.
TEST(TerminalUi, InterruptedPasswordPromptGivesTheEchoBack) {
    PseudoTerminal pty;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TerminalUserInterface ui("/q.INI", pty.Terminal(), pty.Terminal());
        ui.Ask("sa");
        ::_exit(0);
    }
    pty.ReadUntil("(a/N): ");
    pty.Type("n\n");
    pty.ReadUntil("SQL Login [sa]: ");
    pty.Type("clerk\n");
    pty.ReadUntil("SQL Password: ");
    termios during{};
    ASSERT_EQ(::tcgetattr(::fileno(pty.Terminal()), &during), 0);
    EXPECT_EQ(during.c_lflag & ECHO, 0u) << "the password would be echoed";
    ::kill(child, SIGINT);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "status " << status;
    termios after{};
    ASSERT_EQ(::tcgetattr(::fileno(pty.Terminal()), &after), 0);
    EXPECT_NE(after.c_lflag & ECHO, 0u) << "echo left off";
}

TEST(TerminalUi, ProgressIsOneUpdatingLineOnATerminal) {
    PseudoTerminal pty;
    TerminalUserInterface ui("/q.INI", pty.Terminal(), pty.Terminal());
    {
        auto pane = ui.CreateProgressPane();
        pane->SetCiselnik("bankcode");
        pane->SetRowcount(2);
        pane->inc(); // not shown yet: nothing drawn
        pane->Show();
        pane->inc();
    }
    const std::string shown = pty.Drain();
    EXPECT_EQ(shown.find("1 záznamů z 2"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\rSynchronizace číselníku: bankcode ["), std::string::npos) << shown;
    EXPECT_NE(shown.find("100 % 2 záznamů z 2"), std::string::npos) << shown;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1) << shown; // one line, ended when the pane goes
}
