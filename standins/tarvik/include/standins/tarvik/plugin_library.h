#pragma once
//! A plug-in shared library loaded by the host, and the objects it creates.

#include "plugin/host/plugin_entry.h"

#include <filesystem>
#include <memory>
#include <string>

namespace standins::tarvik {

//! Releases plug-in objects through the library that made them.
struct PluginObjectDeleter {
    plugin::DestroyObjectFn destroy = nullptr;
    void operator()(plugin::ITaPlugin2* object) const {
        if (destroy) destroy(object);
    }
};
using PluginObject = std::unique_ptr<plugin::ITaPlugin2, PluginObjectDeleter>;

//! A loaded plug-in library; unloaded when destroyed (after every object it made is gone).
class PluginLibrary {
public:
    //! Loads the library and finds its exports; throws std::runtime_error naming the library and
    //! what is missing.
    explicit PluginLibrary(const std::filesystem::path& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    //! "<system name>.<class name>" as the library reports it.
    std::string sysAndClassName() const;
    //! Whether the library can be installed silently; calls its export when it can.
    bool readyForSilentInstall() const;
    //! A new plug-in object; throws std::runtime_error when the library made none.
    PluginObject createObject() const;

private:
    void* symbol(const char* name, bool required) const;

    std::filesystem::path path_;
    void* handle_ = nullptr;
    plugin::GetSysAndClassNameFn getName_ = nullptr;
    plugin::ReadyForSilentInstallFn silent_ = nullptr;
    plugin::CreateObjectFn create_ = nullptr;
    plugin::DestroyObjectFn destroy_ = nullptr;
};

} // namespace standins::tarvik
