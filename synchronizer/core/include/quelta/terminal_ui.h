#pragma once
//! Quelta's windows when there is no display: standard error and a prompt on the terminal.

#include "quelta/user_interface.h"

#include <cstdio>
#include <filesystem>

namespace quelta {

//! Messages on stderr, progress as one updating line (only when stderr is a terminal), and the
//! login form as a prompt with hidden password input (only when stdin is a terminal).
class TerminalUserInterface : public UserInterface {
public:
    //! `iniPath` is named in the message given when credentials cannot be asked for.
    explicit TerminalUserInterface(std::filesystem::path iniPath, std::FILE* out = stderr,
                                   std::FILE* in = stdin);

    void ShowMessage(const std::string& text) override;
    std::unique_ptr<ProgressPane> CreateProgressPane() override;
    std::optional<LoginAnswer> Ask(const std::string& presetLogin) override;

    //! What is said when no terminal can answer the login form.
    static std::string NoTerminalText(const std::filesystem::path& iniPath);

private:
    std::filesystem::path iniPath_;
    std::FILE* out_;
    std::FILE* in_;
};

//! The progress line drawn for a pane: "<label> <list> [#####     ]  50 % 5 záznamů z 10".
std::string ProgressLine(const std::string& label, const std::string& list, int position,
                         const std::string& rowText);

} // namespace quelta
