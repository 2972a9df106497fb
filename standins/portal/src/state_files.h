#pragma once
//! The stand-in's state as JSON files: the one named on the command line, and those the admin interface
//! saves and loads inside the state folder given on the command line.

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <string_view>

namespace standins::portal {

//! Reads a state file named by whoever started the stand-in; throws std::invalid_argument naming the file.
nlohmann::ordered_json readStateFile(const std::filesystem::path& file);

//! Writes a state file: into a temporary file beside it, then renamed over it.
void writeStateFile(const std::filesystem::path& file, const nlohmann::ordered_json& state);

//! The folder the admin interface may save to and load from. Admin requests name a file by its plain name
//! ("portal.json"); every other path is refused, and no error quotes what a file holds.
class StateFolder {
public:
    //! An empty `folder` refuses every admin save and load; otherwise it must be an existing folder
    //! (std::runtime_error otherwise).
    explicit StateFolder(const std::string& folder);

    //! The file for an admin request's name; throws std::invalid_argument for anything but a plain name.
    std::filesystem::path fileFor(std::string_view name) const;
    //! Reads a regular file of the folder as JSON (a symbolic link or special file is refused).
    nlohmann::ordered_json read(std::string_view name) const;
    void write(std::string_view name, const nlohmann::ordered_json& state) const;

private:
    std::filesystem::path folder_;
};

} // namespace standins::portal
