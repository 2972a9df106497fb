#pragma once
//! Names and texts of errors for message boxes and journal entries.

#include "quelta/error_kinds.h"

#include <exception>
#include <string>

namespace quelta {

//! The kind name of an error for messages and the journal ("EDatabaseError", ...).
std::string ErrorKind(const std::exception& error);

//! The kind name of a caught exception of any type.
std::string ErrorKind(const std::exception_ptr& error);

//! The message of a caught exception of any type.
std::string ErrorMessage(const std::exception_ptr& error);

} // namespace quelta
