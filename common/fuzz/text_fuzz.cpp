// Text helpers on arbitrary bytes: repaired UTF-8 is valid, valid UTF-8 survives both
// round trips, and an N-literal always reads back as the text it was made of.
#include "common/sql_text.h"
#include "common/utf.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

//! The text inside an N'...' literal with doubled quotes undone; aborts on a malformed literal.
std::string readNLiteral(std::string_view literal) {
    require(literal.size() >= 3 && literal.substr(0, 2) == "N'" && literal.back() == '\'');
    std::string text;
    for (std::size_t i = 2; i + 1 < literal.size(); ++i) {
        text += literal[i];
        if (literal[i] == '\'') {
            require(literal[i + 1] == '\'');
            ++i;
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string repaired = common::RepairUtf8(input);
    require(!common::FindInvalidUtf8(repaired));
    if (!common::FindInvalidUtf8(input)) {
        require(repaired == input);
        require(common::Utf16ToUtf8(common::Utf8ToUtf16(input)) == input);
        require(common::Utf32ToUtf8(common::Utf8ToUtf32(input)) == input);
    }
    require(readNLiteral(common::SqlNString(repaired)) == repaired);
    return 0;
}
