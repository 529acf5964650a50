// A private temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // The full path of `name` inside the folder.
    std::string Path(const std::string& name) const { return root + "/" + name; }
    const std::string& Root() const { return root; }
    // Names of the entries in the folder, hidden ones included, sorted.
    std::string Listing() const;

private:
    std::string root;
};
