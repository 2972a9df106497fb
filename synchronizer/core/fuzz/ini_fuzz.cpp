// Quelta's INI reader on arbitrary content: it is refused with EQueltaError or read, and what was read
// survives writing it back (as UTF-16LE) and reading it again.
#include "quelta/errors.h"
#include "quelta/ini_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    quelta::IniFile ini;
    try {
        ini = quelta::IniFile::Parse(bytes);
    } catch (const quelta::EQueltaError&) {
        return 0;
    }
    (void)ini.Get("settings", "login");
    ini.Write("settings", "password", "0a1b");
    if (quelta::IniFile::Parse(ini.Serialize()).Lines() != ini.Lines()) std::abort();
    if (ini.Get("settings", "password") != "0a1b") std::abort();
    return 0;
}
