#include "PluginModule.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "HostError.h"

namespace {

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string StripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

}  // namespace

std::string PluginModule::ResolveBundle(const std::string& path) {
    if (!IsDirectory(path)) {
        return path;
    }
    // A bundle Name.vst keeps its code in Name.vst/Contents/x86_64-linux/Name.so.
    const std::string folder = StripTrailingSlashes(path);
    std::string name = folder.substr(folder.find_last_of('/') + 1);
    const std::string suffix = ".vst";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        name.erase(name.size() - suffix.size());
    }
    return folder + "/Contents/x86_64-linux/" + name + ".so";
}

PluginModule::PluginModule(const std::string& requested) : path(ResolveBundle(requested)) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (path != requested) {
            throw HostError("cannot open plug-in '" + requested + "': a folder, but not a VST bundle (no " + path + ")");
        }
        throw HostError("cannot open plug-in '" + path + "': " + std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        throw HostError("cannot open plug-in '" + path + "': not a regular file");
    }
    // A relative name without a slash would send dlopen searching the library path instead.
    const std::string loadName = path.find('/') == std::string::npos ? "./" + path : path;
    ::dlerror();
    handle = ::dlopen(loadName.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = ::dlerror();
        throw HostError("cannot load plug-in '" + path + "' as a shared library: " +
                        (reason != nullptr ? reason : "unknown dlopen error"));
    }
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* symbol = FindEntry(name)) {
            entry = reinterpret_cast<VstPluginMainProc>(symbol);
            entryName = name;
            return;
        }
    }
    ::dlclose(handle);
    handle = nullptr;
    throw HostError("'" + path + "' is not a VST 2.4 plug-in: it exports neither VSTPluginMain nor main");
}

PluginModule::~PluginModule() {
    if (handle != nullptr) {
        ::dlclose(handle);
    }
}

void* PluginModule::FindEntry(const char* name) const {
    ::dlerror();
    void* symbol = ::dlsym(handle, name);
    if (symbol == nullptr) {
        return nullptr;
    }
    // Only an entry defined by the plug-in itself counts, never one reached through a library
    // it depends on.
    link_map* map = nullptr;
    Dl_info where {};
    if (::dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || ::dladdr(symbol, &where) == 0 ||
        where.dli_fname == nullptr || map->l_name == nullptr || std::strcmp(where.dli_fname, map->l_name) != 0) {
        return nullptr;
    }
    return symbol;
}
