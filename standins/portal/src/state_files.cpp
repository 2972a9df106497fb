#include "state_files.h"

#include "standins/portal/record_json.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>

namespace standins::portal {

namespace {

//! Larger state files are refused before they are read (the stand-in's requests have the same cap).
constexpr std::uintmax_t kMaxStateBytes = 64u << 20;

std::string readWhole(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::invalid_argument("cannot read " + file.string() + ": " + std::strerror(errno));
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

//! True for names of the characters A-Z, a-z, 0-9, '.', '_' and '-' that do not start with a dot.
bool isPlainName(std::string_view name) {
    if (name.empty() || name.size() > 255 || name.front() == '.') return false;
    for (const char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-') return false;
    return true;
}

} // namespace

nlohmann::ordered_json readStateFile(const std::filesystem::path& file) {
    try {
        return parseJson(readWhole(file));
    } catch (const std::invalid_argument& error) {
        throw std::invalid_argument(file.string() + " is not a state file: " + error.what());
    }
}

void writeStateFile(const std::filesystem::path& file, const nlohmann::ordered_json& state) {
    std::filesystem::path partial = file;
    partial += ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << state.dump(2) << '\n';
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(partial, ignored);
            throw std::invalid_argument("cannot write " + file.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, file, error);
    if (error) {
        std::filesystem::remove(partial, error);
        throw std::invalid_argument("cannot write " + file.string());
    }
}

StateFolder::StateFolder(const std::string& folder) {
    if (folder.empty()) return;
    std::error_code error;
    folder_ = std::filesystem::canonical(folder, error);
    if (error || !std::filesystem::is_directory(folder_))
        throw std::runtime_error("the state folder " + folder + " is not an existing folder");
}

std::filesystem::path StateFolder::fileFor(std::string_view name) const {
    if (folder_.empty())
        throw std::invalid_argument("saving and loading need a state folder (portal-standin --state-dir)");
    if (!isPlainName(name))
        throw std::invalid_argument("\"path\" must be a plain file name inside the state folder (letters, "
                                    "digits, '.', '_', '-')");
    return folder_ / name;
}

nlohmann::ordered_json StateFolder::read(std::string_view name) const {
    const std::filesystem::path file = fileFor(name);
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0)
        throw std::invalid_argument("cannot read " + std::string(name) + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode)) throw std::invalid_argument(std::string(name) + " is not a regular file");
    if (static_cast<std::uintmax_t>(info.st_size) > kMaxStateBytes)
        throw std::invalid_argument(std::string(name) + " is larger than a state file may be");
    try {
        return parseJson(readWhole(file));
    } catch (const std::invalid_argument& error) {
        throw std::invalid_argument(std::string(name) + " is not a state file: " + error.what());
    }
}

void StateFolder::write(std::string_view name, const nlohmann::ordered_json& state) const {
    writeStateFile(fileFor(name), state);
}

} // namespace standins::portal
