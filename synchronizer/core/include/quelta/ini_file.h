#pragma once
//! A Windows-style INI file: read as UTF-16LE (with BOM) or UTF-8, written as UTF-16LE with BOM.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelta {

//! The lines of one INI file; sections and keys compare case-insensitively, other lines are kept.
class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::vector<std::string> lines)
        : lines_(std::move(lines)) {}

    //! Larger files are refused: an INI file holds a few lines.
    static constexpr std::size_t kMaxBytes = 1u << 20;

    //! Reads a file; throws EQueltaError naming the file when it cannot be read, is not a regular file, is
    //! empty, larger than kMaxBytes or neither UTF-16LE with BOM nor UTF-8.
    static IniFile Load(const std::filesystem::path& path);
    //! Parses file content (UTF-16LE with BOM, UTF-8 with or without BOM); throws EQueltaError saying what
    //! is wrong with other content (malformed UTF-8 or UTF-16, NUL characters, an odd UTF-16 length).
    static IniFile Parse(std::string_view bytes);

    //! The value of a key, trimmed; nullopt when the section or key is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    //! The value of a key, or `fallback` when it is missing.
    std::string Read(std::string_view section, std::string_view key, std::string_view fallback = {}) const;
    //! Sets a key, adding the key (and the section) when missing.
    void Write(std::string_view section, std::string_view key, std::string_view value);

    //! The content as UTF-16LE with BOM, lines ended by CR LF.
    std::string Serialize() const;
    //! Replaces the file (owner read/write only); throws EQueltaError when it cannot be written.
    void Save(const std::filesystem::path& path) const;

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> lines_;
};

} // namespace quelta
