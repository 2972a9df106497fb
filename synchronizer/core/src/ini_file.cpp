#include "quelta/ini_file.h"

#include "common/ascii.h"
#include "common/utf.h"
#include "quelta/errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelta {

namespace {

std::string_view trim(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

//! The section name of a "[name]" line, or nullopt for other lines.
std::optional<std::string_view> sectionOf(std::string_view line) {
    const auto t = trim(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']') return trim(t.substr(1, t.size() - 2));
    return std::nullopt;
}

//! Key and value of a "key=value" line.
std::optional<std::pair<std::string_view, std::string_view>> entryOf(std::string_view line) {
    const auto t = trim(line);
    if (t.empty() || t.front() == ';') return std::nullopt;
    const auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    auto value = trim(t.substr(eq + 1));
    // A value may be written in matching quotes, which are not part of it.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::pair{trim(t.substr(0, eq)), value};
}

std::string systemError(const std::string& what, const std::filesystem::path& path) {
    return what + " '" + path.string() + "': " + std::strerror(errno);
}

} // namespace

IniFile IniFile::Parse(std::string_view bytes) {
    std::string text;
    if (bytes.starts_with("\xFF\xFE")) {
        if (bytes.size() % 2 != 0) throw EQueltaError("obsah v kódování UTF-16LE má lichý počet bajtů");
        std::u16string units;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8));
        for (std::size_t i = 0; i < units.size(); ++i) {
            const bool high = units[i] >= 0xD800 && units[i] <= 0xDBFF;
            const bool low = units[i] >= 0xDC00 && units[i] <= 0xDFFF;
            if (low || (high && (i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF)))
                throw EQueltaError("obsah není platný text v kódování UTF-16LE (bajt " +
                                   std::to_string(2 + 2 * i) + ")");
            if (high) ++i;
        }
        text = common::Utf16ToUtf8(units);
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        const auto invalid = common::FindInvalidUtf8(bytes);
        const auto nul = bytes.find('\0');
        if (invalid || nul != std::string_view::npos)
            throw EQueltaError("obsah není v kódování UTF-16LE (se znakem BOM) ani UTF-8 (bajt " +
                               std::to_string(std::min(invalid.value_or(nul), nul)) + ")");
        text = std::string(bytes);
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return IniFile(std::move(lines));
}

IniFile IniFile::Load(const std::filesystem::path& path) {
    const auto refuse = [&path](const std::string& why) {
        return EQueltaError("Soubor '" + path.string() + "' nelze použít: " + why + ".");
    };
    // A folder, a device or a pipe is refused before it is opened: reading one could block or never end.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) throw EQueltaError(systemError("Nelze číst soubor", path));
    if (!S_ISREG(info.st_mode)) throw refuse("není to běžný soubor (je to složka nebo zvláštní soubor)");
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw EQueltaError(systemError("Nelze číst soubor", path));
    std::string content;
    bool readable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    char buffer[16384];
    while (readable && content.size() <= kMaxBytes) {
        const auto n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            readable = n == 0;
            break;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    const int savedErrno = errno;
    ::close(fd);
    errno = savedErrno;
    if (!readable) throw EQueltaError(systemError("Nelze číst soubor", path));
    if (content.size() > kMaxBytes)
        throw refuse("je větší než " + std::to_string(kMaxBytes / 1024) +
                     " KiB, INI soubor tak velký nebývá");
    if (content.empty()) throw refuse("je prázdný");
    try {
        return Parse(content);
    } catch (const EQueltaError& error) {
        throw refuse(error.what());
    }
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    bool inSection = false;
    for (const auto& line : lines_) {
        if (const auto name = sectionOf(line)) {
            inSection = common::EqualsIgnoreCaseAscii(*name, section);
        } else if (inSection) {
            if (const auto entry = entryOf(line); entry && common::EqualsIgnoreCaseAscii(entry->first, key))
                return std::string(entry->second);
        }
    }
    return std::nullopt;
}

std::string IniFile::Read(std::string_view section, std::string_view key, std::string_view fallback) const {
    return Get(section, key).value_or(std::string(fallback));
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = std::string(key) + "=" + std::string(value);
    bool inSection = false;
    std::optional<std::size_t> sectionEnd;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = sectionOf(lines_[i])) {
            if (inSection) break;
            inSection = common::EqualsIgnoreCaseAscii(*name, section);
            if (inSection) sectionEnd = i + 1;
        } else if (inSection) {
            const auto e = entryOf(lines_[i]);
            if (e && common::EqualsIgnoreCaseAscii(e->first, key)) {
                lines_[i] = entry;
                return;
            }
            if (!trim(lines_[i]).empty()) sectionEnd = i + 1;
        }
    }
    if (sectionEnd) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), entry);
    } else {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(entry);
    }
}

std::string IniFile::Serialize() const {
    std::string text;
    for (const auto& line : lines_)
        text += line + "\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t u : common::Utf8ToUtf16(text)) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

void IniFile::Save(const std::filesystem::path& path) const {
    // Written beside the target and renamed over it, so a failed write never leaves half a file.
    std::string temporary = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) throw EQueltaError(systemError("Nelze zapsat soubor", path));
    const std::string bytes = Serialize();
    std::size_t written = 0;
    bool ok = ::fchmod(fd, 0600) == 0;
    while (ok && written < bytes.size()) {
        const auto n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) written += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (ok && ::rename(temporary.c_str(), path.c_str()) == 0) return;
    errno = ok ? errno : savedErrno;
    const std::string message = systemError("Nelze zapsat soubor", path);
    ::unlink(temporary.c_str());
    throw EQueltaError(message);
}

} // namespace quelta
