// A plug-in's shared object, opened the way Linux VST 2.4 hosts do: dlopen, then the entry
// `VSTPluginMain`, falling back to the legacy name `main`.
#pragma once

#include <string>

#include "shell/Vst24Abi.h"

class PluginModule {
public:
    // Main thread: loads the file (a .so, or a .vst bundle folder holding one) and finds the
    // entry. Throws HostError with a readable reason when it cannot.
    explicit PluginModule(const std::string& path);
    // Main thread: unloads the object; every effect made from it must be closed first.
    ~PluginModule();
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    // Main thread: the entry function that was found.
    VstPluginMainProc Entry() const { return entry; }
    // Main thread: which of the two names it was found under.
    const std::string& EntryName() const { return entryName; }
    // Main thread: the path of the shared object actually loaded.
    const std::string& Path() const { return path; }

    // Main thread: the shared object inside a bundle folder, or the path unchanged.
    static std::string ResolveBundle(const std::string& path);

private:
    void* FindEntry(const char* name) const;

    std::string path;
    void* handle = nullptr;
    VstPluginMainProc entry = nullptr;
    std::string entryName;
};
