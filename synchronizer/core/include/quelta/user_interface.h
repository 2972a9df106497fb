#pragma once
//! What Quelta shows to people: message boxes, the progress pane and the login form.

#include <memory>
#include <optional>
#include <string>

namespace quelta {

//! What the login form gives back when closed with "Save".
struct LoginAnswer {
    bool windowsAuthentication = false;
    std::string login;
    std::string password;
};

//! Asks for SQL Server credentials; nullopt means the form was cancelled.
class LoginPrompt {
public:
    virtual ~LoginPrompt() = default;
    //! Shows the form with the login preset and an empty password.
    virtual std::optional<LoginAnswer> Ask(const std::string& presetLogin) = 0;
};

//! The progress pane the workflows open in interactive mode.
class ProgressPane {
public:
    virtual ~ProgressPane() = default;
    virtual void SetCiselnik(const std::string& list) = 0; //!< name of the list being synchronized
    virtual void SetRowcount(int rowcount) = 0;            //!< records the workflow will process
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetLabel1(const std::string& text) = 0;
    virtual void SetListLabel(const std::string& text) = 0; //!< text of lbList, set directly
    //! Shows the pane: bar at 0, "Příprava na synchronizaci...", the list name.
    virtual void Show() = 0;
    //! Advances by one record.
    virtual void inc() = 0;
};

//! The toolkit Quelta's windows are made with (Qt widgets or the terminal).
class UserInterface : public LoginPrompt {
public:
    //! A modal message box with one OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    //! A new progress pane (not yet shown).
    virtual std::unique_ptr<ProgressPane> CreateProgressPane() = 0;
};

} // namespace quelta
