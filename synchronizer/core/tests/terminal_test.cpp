#include "quelta/terminal_ui.h"

#include <gtest/gtest.h>

#include <cstdio>

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
    EXPECT_EQ(ProgressLine("bankcode", 0, "Příprava na synchronizaci..."),
              "bankcode: [                    ]   0 % Příprava na synchronizaci...");
    EXPECT_EQ(ProgressLine("bankcode", 50, "5 záznamů z 10"),
              "bankcode: [##########          ]  50 % 5 záznamů z 10");
    EXPECT_EQ(ProgressLine("x", 100, "1 záznamů z 1"), "x: [####################] 100 % 1 záznamů z 1");
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
