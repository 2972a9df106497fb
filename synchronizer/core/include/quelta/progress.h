#pragma once
//! The state behind Quelta's two windows, kept apart from any toolkit.

#include <string>

namespace quelta {

//! Rounds to the nearest integer, halves to even.
long long RoundHalfEven(double value);

//! Progress arithmetic and texts of the progress pane.
class ProgressCounter {
public:
    //! Sets the number of records the workflow will process.
    void SetRowcount(int rowcount) { rowcount_ = rowcount; }
    int Rowcount() const { return rowcount_; }
    //! Back to the start: bar 0, nothing done.
    void Reset();
    //! One record done.
    void Inc();

    int Position() const { return position_; } //!< bar position 0..100
    int Done() const { return done_; }
    //! "3 záznamů z 10" (records done of rowcount).
    std::string DoneText() const;

    static constexpr const char* kCaption = "Synchronizace číselníků";
    static constexpr const char* kLabel1 = "Synchronizace číselníku:";
    static constexpr const char* kListPlaceholder = "číselník";
    static constexpr const char* kInitialRowText = "0 z 0 záznamů";
    static constexpr const char* kPreparing = "Příprava na synchronizaci...";

private:
    int rowcount_ = 0;
    double percentage_ = 0;
    int done_ = 0;
    int position_ = 0;
};

//! The state of the login form's controls.
class LoginFormState {
public:
    explicit LoginFormState(std::string presetLogin = {})
        : login_(std::move(presetLogin)) {}

    void SetLogin(std::string login) { login_ = std::move(login); }
    void SetPassword(std::string password) { password_ = std::move(password); }
    //! Ticking disables both edits and clears the password; clearing enables them again.
    void SetWindowsAuthentication(bool checked);

    const std::string& Login() const { return login_; }
    const std::string& Password() const { return password_; }
    bool WindowsAuthentication() const { return windows_; }
    bool EditsEnabled() const { return !windows_; }

    static constexpr const char* kCaption = "Login";
    static constexpr const char* kLoginLabel = "SQL Login:";
    static constexpr const char* kPasswordLabel = "SQL Password:";
    static constexpr const char* kWindowsAuthentication = "Windows Authentication";
    static constexpr const char* kSave = "Save";

private:
    std::string login_;
    std::string password_;
    bool windows_ = false;
};

} // namespace quelta
