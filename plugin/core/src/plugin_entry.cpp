// The C exports through which the host loads the plug-in. Nothing thrown inside the plug-in
// passes them: a failure becomes the documented "no result".

#include "plugin/core/plg_konfig.h"
#include "plugin/core/plg_main.h"

#include <cstring>
#include <string>

#define PLUGIN_EXPORT __attribute__((visibility("default")))

extern "C" {

PLUGIN_EXPORT int PluginGetSysAndClassName(char* buffer) {
    try {
        const auto& konfigurace = plugin::Konfigurace();
        const auto jmeno = konfigurace.PluginSystemoveJmeno() + "." + konfigurace.PluginClassName();
        if (buffer) std::memcpy(buffer, jmeno.c_str(), jmeno.size() + 1);
        return static_cast<int>(jmeno.size());
    } catch (...) {
        return 0;
    }
}

PLUGIN_EXPORT void PluginReadyForSilentInstall() {}

PLUGIN_EXPORT plugin::ITaPlugin2* PluginCreateObject() {
    try {
        return new plugin::TPluginObject;
    } catch (...) {
        return nullptr;
    }
}

PLUGIN_EXPORT void PluginDestroyObject(plugin::ITaPlugin2* object) {
    delete object;
}
}
