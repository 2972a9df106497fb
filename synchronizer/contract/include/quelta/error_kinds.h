#pragma once
//! Quelta's error kinds, shared by its core and its Portal client; `kind()` is the name that goes into
//! message boxes and journal entries.

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

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

//! A value could not be converted (NULL read strictly, text that is no number, ...).
class EConvertError : public Exception {
public:
    using Exception::Exception;
    const char* kind() const noexcept override { return "EConvertError"; }
};

//! Quelta's own errors, with Czech messages.
class EQueltaError : public Exception {
public:
    using Exception::Exception;
    const char* kind() const noexcept override { return "EQueltaError"; }
};

//! Base of the errors a Portal call or a Portal record conversion raises.
class EPortalError : public Exception {
public:
    using Exception::Exception;
};

//! The Portal answered with a SOAP fault; the message is the fault string.
class ESOAPFault : public EPortalError {
public:
    explicit ESOAPFault(const std::string& faultString, std::string faultCode = {})
        : EPortalError(faultString)
        , faultCode_(std::move(faultCode)) {}
    const char* kind() const noexcept override { return "ESOAPFault"; }
    const std::string& FaultCode() const { return faultCode_; }

private:
    std::string faultCode_;
};

//! A value or record of the wrong type where another was expected.
class EInvalidCast : public EPortalError {
public:
    using EPortalError::EPortalError;
    const char* kind() const noexcept override { return "EInvalidCast"; }
};

//! The Portal could not be reached, answered with an HTTP error, or the client certificate was not found.
class EPortalConnection : public EPortalError {
public:
    using EPortalError::EPortalError;
    const char* kind() const noexcept override { return "EPortalConnection"; }
};

//! The Portal's answer could not be read (malformed, refused, unknown type).
class EPortalResponse : public EPortalError {
public:
    using EPortalError::EPortalError;
    const char* kind() const noexcept override { return "EPortalResponse"; }
};

//! A request could not be written (a value the wire cannot carry).
class EPortalRequest : public EPortalError {
public:
    using EPortalError::EPortalError;
    const char* kind() const noexcept override { return "EPortalRequest"; }
};

//! A Portal client setting in Quelta.INI is not usable.
class EPortalConfiguration : public EPortalError {
public:
    using EPortalError::EPortalError;
    const char* kind() const noexcept override { return "EPortalConfiguration"; }
};

//! The login form was cancelled: the run ends at once, without message or journal entry.
class ELoginCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "Login cancelled"; }
};

} // namespace quelta
