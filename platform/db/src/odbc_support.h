#pragma once
//! Pieces every ODBC call site needs: handles, text in the driver's form, diagnostics.

#include "platform/db/errors.h"

#include "common/utf.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::db::detail {

//! Text going to and coming from the driver: UTF-16 through the wide functions, or UTF-8 through the
//! narrow ones for drivers that have no wide functions.
class Encoding {
public:
    explicit Encoding(bool wide)
        : wide_(wide) {}
    bool wide() const { return wide_; }

    //! NUL-terminated text in the driver's form; the length in characters excludes the terminator.
    struct Encoded {
        std::vector<SQLWCHAR> wide;
        std::string narrow;
        SQLWCHAR* wideText() { return wide.data(); }
        SQLCHAR* narrowText() { return reinterpret_cast<SQLCHAR*>(narrow.data()); }
        SQLINTEGER length() const {
            return static_cast<SQLINTEGER>(wide.empty() ? narrow.size() : wide.size() - 1);
        }
        ~Encoded() { // connection strings hold passwords
            std::fill(wide.begin(), wide.end(), SQLWCHAR{0});
            std::fill(narrow.begin(), narrow.end(), '\0');
        }
    };

    //! Throws ConversionError naming the byte offset when the text is not valid UTF-8.
    Encoded encode(std::string_view utf8) const {
        Encoded e;
        // Most batches are plain ASCII: each byte is one UTF-16 unit.
        if (wide_ && std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
            e.wide.assign(utf8.begin(), utf8.end());
            e.wide.push_back(0);
            return e;
        }
        if (const auto offset = common::FindInvalidUtf8(utf8))
            throw ConversionError("The text is not valid UTF-8 (byte " + std::to_string(*offset) + ")");
        if (wide_) {
            const std::u16string u = common::Utf8ToUtf16(utf8);
            e.wide.assign(u.begin(), u.end());
            e.wide.push_back(0);
        } else {
            e.narrow.assign(utf8);
        }
        return e;
    }

    //! Size in bytes of one character unit.
    std::size_t unit() const { return wide_ ? sizeof(SQLWCHAR) : 1; }
    SQLSMALLINT textType() const { return wide_ ? SQL_C_WCHAR : SQL_C_CHAR; }

    //! UTF-8 text of `units` character units in a buffer filled by the driver; malformed narrow text
    //! has its bad bytes replaced by U+FFFD.
    std::string decode(const void* buffer, std::size_t units) const {
        if (!wide_) return common::RepairUtf8(std::string_view(static_cast<const char*>(buffer), units));
        const auto* w = static_cast<const SQLWCHAR*>(buffer);
        if (std::all_of(w, w + units, [](SQLWCHAR u) { return u < 0x80; })) return std::string(w, w + units);
        return common::Utf16ToUtf8(std::u16string(w, w + units));
    }

private:
    bool wide_;
};

//! A buffer the driver writes text into, sized in character units.
class TextBuffer {
public:
    TextBuffer(const Encoding& encoding, std::size_t units)
        : encoding_(encoding)
        , bytes_((units + 1) * encoding.unit()) {}
    void* data() { return bytes_.data(); }
    SQLSMALLINT units() const { return static_cast<SQLSMALLINT>(bytes_.size() / encoding_.unit()); }
    SQLSMALLINT bytes() const { return static_cast<SQLSMALLINT>(bytes_.size()); }
    void grow(std::size_t units) { bytes_.assign((units + 1) * encoding_.unit(), 0); }
    std::string text(std::ptrdiff_t units) const {
        const auto capacity = static_cast<std::ptrdiff_t>(bytes_.size() / encoding_.unit()) - 1;
        return encoding_.decode(bytes_.data(),
                                static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(units, 0, capacity)));
    }

private:
    const Encoding& encoding_;
    std::vector<std::uint8_t> bytes_;
};

//! One diagnostic record of a handle.
struct Diagnostic {
    std::string sqlState;
    int native = 0;
    std::string text;
    //! Message state, severity and line as SQL Server drivers report them; empty from other drivers.
    std::optional<int> severity;
    int state = 1;
    int line = 0;
};

//! Owns one ODBC handle.
class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent)
        : type_(type) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &handle_))) {
            handle_ = SQL_NULL_HANDLE;
            throw ConnectionError("The ODBC driver manager could not allocate a handle");
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle_) SQLFreeHandle(type_, handle_);
    }
    SQLHANDLE get() const { return handle_; }

private:
    SQLSMALLINT type_;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

//! Every diagnostic record of a handle, oldest first.
std::vector<Diagnostic> readDiagnostics(const Encoding& encoding, SQLSMALLINT type, SQLHANDLE handle);

} // namespace platform::db::detail
