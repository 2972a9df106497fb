#pragma once
//! The errors a Portal call or a record conversion raises; ClassName() names the kind for the journal.

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace quelta {

//! Base of the errors a Portal call raises; ClassName() names the kind for the journal.
class EPortalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual std::string_view ClassName() const = 0;
};

//! A SOAP fault returned by the Portal; what() is the fault string.
class ESOAPFault : public EPortalError {
public:
    ESOAPFault(std::string faultCode, const std::string& faultString)
        : EPortalError(faultString)
        , faultCode_(std::move(faultCode)) {}
    std::string_view ClassName() const override { return "ESOAPFault"; }
    const std::string& FaultCode() const { return faultCode_; }

private:
    std::string faultCode_;
};

//! The Portal could not be reached or answered with an HTTP error.
class EPortalConnection : public EPortalError {
public:
    using EPortalError::EPortalError;
    std::string_view ClassName() const override { return "EPortalConnection"; }
};

//! The Portal's answer could not be read (malformed, refused, unknown type).
class EPortalResponse : public EPortalError {
public:
    using EPortalError::EPortalError;
    std::string_view ClassName() const override { return "EPortalResponse"; }
};

//! A request could not be written (a value the wire cannot carry).
class EPortalRequest : public EPortalError {
public:
    using EPortalError::EPortalError;
    std::string_view ClassName() const override { return "EPortalRequest"; }
};

//! A record is not of the concrete type the caller expects.
class EInvalidCast : public EPortalError {
public:
    using EPortalError::EPortalError;
    std::string_view ClassName() const override { return "EInvalidCast"; }
};

//! A Portal client setting in Quelta.INI is not usable.
class EPortalConfiguration : public EPortalError {
public:
    using EPortalError::EPortalError;
    std::string_view ClassName() const override { return "EPortalConfiguration"; }
};

} // namespace quelta
