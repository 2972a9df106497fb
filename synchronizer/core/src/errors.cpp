#include "quelta/errors.h"

#include "platform/db/errors.h"

#include <typeinfo>
#include <variant>

namespace quelta {

std::string ErrorKind(const std::exception& error) {
    if (const auto* own = dynamic_cast<const Exception*>(&error)) return own->kind();
    if (dynamic_cast<const platform::db::DbError*>(&error) ||
        dynamic_cast<const platform::db::ConnectionError*>(&error))
        return "EDatabaseError";
    if (dynamic_cast<const platform::db::ConversionError*>(&error) ||
        dynamic_cast<const std::invalid_argument*>(&error))
        return "EConvertError";
    if (dynamic_cast<const std::bad_cast*>(&error) || dynamic_cast<const std::bad_variant_access*>(&error))
        return "EInvalidCast";
    if (dynamic_cast<const std::bad_alloc*>(&error)) return "EOutOfMemory";
    return "Exception";
}

std::string ErrorKind(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return ErrorKind(e);
    } catch (...) {
        return "Exception";
    }
}

std::string ErrorMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

} // namespace quelta
