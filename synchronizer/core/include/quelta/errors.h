#pragma once
//! Quelta's error kinds; the kind name goes into message boxes and journal entries.

#include <exception>
#include <stdexcept>
#include <string>

namespace quelta {

//! Base of Quelta's errors; `kind()` is the name shown to users.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual const char* kind() const noexcept = 0;
};

//! The database refused a statement or could not be reached.
class EDatabaseError : public Exception {
public:
    explicit EDatabaseError(const std::string& message, int number = 0, int severity = 0)
        : Exception(message)
        , number_(number)
        , severity_(severity) {}
    const char* kind() const noexcept override { return "EDatabaseError"; }
    int number() const { return number_; }     //!< the server's error number, 0 when none
    int severity() const { return severity_; } //!< the server's severity, 0 when none

private:
    int number_;
    int severity_;
};

//! The Portal answered with a SOAP fault; the message is the fault text.
class ESOAPFault : public Exception {
public:
    using Exception::Exception;
    const char* kind() const noexcept override { return "ESOAPFault"; }
};

//! A value could not be converted (NULL read strictly, text that is no number, ...).
class EConvertError : public Exception {
public:
    using Exception::Exception;
    const char* kind() const noexcept override { return "EConvertError"; }
};

//! A value or record of the wrong type where another was expected.
class EInvalidCast : public Exception {
public:
    using Exception::Exception;
    const char* kind() const noexcept override { return "EInvalidCast"; }
};

//! Quelta's own errors, with Czech messages.
class EQueltaError : public Exception {
public:
    using Exception::Exception;
    const char* kind() const noexcept override { return "EQueltaError"; }
};

//! The login form was cancelled: the run ends at once, without message or journal entry.
class ELoginCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "Login cancelled"; }
};

//! The kind name of an error for messages and the journal ("EDatabaseError", ...).
std::string ErrorKind(const std::exception& error);

//! The kind name of a caught exception of any type.
std::string ErrorKind(const std::exception_ptr& error);

//! The message of a caught exception of any type.
std::string ErrorMessage(const std::exception_ptr& error);

} // namespace quelta
