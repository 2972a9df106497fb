#include "databases.h"

#include "common/ascii.h"
#include "tsql/error.h"

namespace tsql::server {

namespace {

constexpr const char* kExtension = ".db";
constexpr const char* kMaster = "master";
constexpr std::size_t kMaxNameLength = 128;

} // namespace

DatabaseDirectory::DatabaseDirectory(std::filesystem::path dataDir, std::string serverName)
    : dataDir_(std::move(dataDir))
    , serverName_(std::move(serverName)) {}

bool DatabaseDirectory::validName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength || name.front() == '.') return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == '/' || c == '\\' || c == ':' || c == 0x7F) return false;
    return true;
}

std::filesystem::path DatabaseDirectory::find(const std::string& name) const {
    if (!validName(name)) return {};
    const std::filesystem::path exact = dataDir_ / (name + kExtension);
    std::error_code ec;
    if (std::filesystem::is_regular_file(exact, ec)) return exact;
    for (const auto& entry : std::filesystem::directory_iterator(dataDir_, ec)) {
        const auto& p = entry.path();
        if (p.extension() == kExtension && entry.is_regular_file(ec) &&
            common::EqualsIgnoreCaseAscii(p.stem().string(), name))
            return p;
    }
    return {};
}

std::shared_ptr<Database> DatabaseDirectory::open(const std::string& name) {
    std::lock_guard lock(mutex_);
    const std::filesystem::path file = find(name);
    if (file.empty()) {
        if (!common::EqualsIgnoreCaseAscii(name, kMaster)) return nullptr;
        if (!master_) {
            DatabaseOptions options;
            options.name = kMaster;
            options.serverName = serverName_;
            master_ = Database::open(options);
        }
        return master_;
    }
    std::error_code ec;
    const std::string key = std::filesystem::weakly_canonical(file, ec).string();
    if (auto existing = open_[key].lock()) return existing;
    DatabaseOptions options;
    options.path = file.string();
    options.name = file.stem().string();
    options.serverName = serverName_;
    auto database = Database::open(options);
    open_[key] = database;
    return database;
}

bool DatabaseDirectory::create(const std::string& name) {
    if (!validName(name)) throw SqlError::make(911, {name});
    std::lock_guard lock(mutex_);
    if (!find(name).empty() || common::EqualsIgnoreCaseAscii(name, kMaster)) return false;
    DatabaseOptions options;
    options.path = (dataDir_ / (name + kExtension)).string();
    options.name = name;
    options.serverName = serverName_;
    options.create = true;
    // The first session lays out the catalog tables.
    Database::open(options)->connect("sa");
    return true;
}

} // namespace tsql::server
