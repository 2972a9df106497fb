#pragma once
//! How the host loads a plug-in library: the C exports it looks up by name and the plug-in
//! object it creates for each user command. A failing Run throws; what() is the text the host
//! shows to the user.

#include "plugin/host/tarvik_interface.h"

#include <string>

namespace plugin {

//! The plug-in object: one per command, one Run per object.
class ITaPlugin2 {
public:
    virtual ~ITaPlugin2() = default;
    //! [1] Carries out the command the host's browse state names; throws on failure.
    virtual void Run(ITarvik& tarvik) = 0;
    //! [2] The partner identification text of the plug-in.
    virtual std::string PartnerIdentification() = 0;
};

//! Names of the exports, for dlsym.
inline constexpr const char* kGetSysAndClassNameExport = "PluginGetSysAndClassName";
inline constexpr const char* kReadyForSilentInstallExport = "PluginReadyForSilentInstall";
inline constexpr const char* kCreateObjectExport = "PluginCreateObject";
inline constexpr const char* kDestroyObjectExport = "PluginDestroyObject";

} // namespace plugin

extern "C" {
//! Length of "<system name>.<class name>"; copies that text and a terminating zero into
//! `buffer` when it is not null.
int PluginGetSysAndClassName(char* buffer);
//! Present when the plug-in can be installed without windows; does nothing.
void PluginReadyForSilentInstall();
//! A new plug-in object, released with PluginDestroyObject; null when it could not be made.
plugin::ITaPlugin2* PluginCreateObject();
//! Releases an object of PluginCreateObject (null is allowed).
void PluginDestroyObject(plugin::ITaPlugin2* object);
}

namespace plugin {
using GetSysAndClassNameFn = decltype(&::PluginGetSysAndClassName);
using ReadyForSilentInstallFn = decltype(&::PluginReadyForSilentInstall);
using CreateObjectFn = decltype(&::PluginCreateObject);
using DestroyObjectFn = decltype(&::PluginDestroyObject);
} // namespace plugin
