#include "standins/tarvik/plugin_library.h"

#include <dlfcn.h>

#include <stdexcept>

namespace standins::tarvik {

PluginLibrary::PluginLibrary(const std::filesystem::path& path)
    : path_(std::filesystem::absolute(path)) {
    if (!std::filesystem::is_regular_file(path_))
        throw std::runtime_error("The plug-in library " + path_.string() + " does not exist.");
    handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = dlerror();
        throw std::runtime_error("The plug-in library " + path_.string() +
                                 " could not be loaded: " + (why ? why : "unknown reason"));
    }
    try {
        getName_ =
            reinterpret_cast<plugin::GetSysAndClassNameFn>(symbol(plugin::kGetSysAndClassNameExport, true));
        silent_ = reinterpret_cast<plugin::ReadyForSilentInstallFn>(
            symbol(plugin::kReadyForSilentInstallExport, false));
        create_ = reinterpret_cast<plugin::CreateObjectFn>(symbol(plugin::kCreateObjectExport, true));
        destroy_ = reinterpret_cast<plugin::DestroyObjectFn>(symbol(plugin::kDestroyObjectExport, true));
    } catch (...) {
        dlclose(handle_);
        throw;
    }
}

PluginLibrary::~PluginLibrary() {
    dlclose(handle_);
}

void* PluginLibrary::symbol(const char* name, bool required) const {
    void* found = dlsym(handle_, name);
    if (!found && required)
        throw std::runtime_error("The plug-in library " + path_.string() + " does not export " + name + ".");
    return found;
}

std::string PluginLibrary::sysAndClassName() const {
    const int length = getName_(nullptr);
    if (length <= 0) throw std::runtime_error("The plug-in library " + path_.string() + " reports no name.");
    std::string name(static_cast<std::size_t>(length) + 1, '\0');
    getName_(name.data());
    name.resize(static_cast<std::size_t>(length));
    return name;
}

bool PluginLibrary::readyForSilentInstall() const {
    if (!silent_) return false;
    silent_();
    return true;
}

PluginObject PluginLibrary::createObject() const {
    PluginObject object(create_(), PluginObjectDeleter{destroy_});
    if (!object)
        throw std::runtime_error("The plug-in library " + path_.string() + " did not create its object.");
    return object;
}

} // namespace standins::tarvik
