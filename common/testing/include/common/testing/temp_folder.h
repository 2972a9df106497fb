#pragma once
//! A private temporary folder for tests.

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace common::testing {

//! A fresh folder of its own under `base` (default: the system's temporary folder), mode 0700, removed
//! with everything in it when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "quelta-test", const std::filesystem::path& base = {}) {
        const auto parent = base.empty() ? std::filesystem::temp_directory_path() : base;
        std::string pattern = (parent / (prefix + "-XXXXXX")).string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        // a test may have taken its own rights away to see a failure
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

} // namespace common::testing
