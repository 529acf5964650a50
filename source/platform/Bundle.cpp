#include "platform/Bundle.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// Only host and UI threads take references, and rarely; a mutex keeps count and path together.
std::mutex gBundleMutex;
int gReferences = 0;
std::string gBundlePath;

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The file holding this code: the plug-in's .so when loaded by a host, the executable when linked in.
std::string BinaryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&InitMachOLibrary), &info) == 0 || info.dli_fname == nullptr) return {};
    return info.dli_fname;
}

void Locate(const std::string& givenPath) {
    if (givenPath.empty()) return;  // no path: unset, silently
    // A host may load the module by a relative path and change folders later, so hold it absolute.
    std::string binaryPath = givenPath;
    if (char* resolved = realpath(givenPath.c_str(), nullptr)) {
        binaryPath = resolved;
        std::free(resolved);
    }
    std::string folder;
    if (!Bundle::FolderFromBinary(binaryPath, &folder)) {
        std::fputs("Could not determine bundle location.\n", stdout);
        std::fflush(stdout);
        return;
    }
    if (IsDirectory(folder)) gBundlePath = folder;
}

}  // namespace

bool Bundle::FolderFromBinary(const std::string& binaryPath, std::string* folder) {
    size_t end = binaryPath.size();
    for (int i = 0; i < 3; ++i) {
        if (end == 0) return false;
        const size_t separator = binaryPath.rfind('/', end - 1);
        if (separator == std::string::npos) return false;
        end = separator;
    }
    if (folder != nullptr) *folder = end == 0 ? std::string("/") : binaryPath.substr(0, end);
    return true;
}

void Bundle::Acquire() {
    std::lock_guard<std::mutex> lock(gBundleMutex);
    if (gReferences++ == 0) Locate(BinaryPath());
}

void Bundle::AcquireFor(const std::string& binaryPath) {
    std::lock_guard<std::mutex> lock(gBundleMutex);
    if (gReferences++ == 0) Locate(binaryPath);
}

void Bundle::Release() {
    std::lock_guard<std::mutex> lock(gBundleMutex);
    if (gReferences == 0) return;
    if (--gReferences == 0) gBundlePath.clear();
}

int Bundle::References() {
    std::lock_guard<std::mutex> lock(gBundleMutex);
    return gReferences;
}

std::string Bundle::Path() {
    std::lock_guard<std::mutex> lock(gBundleMutex);
    return gBundlePath;
}

std::string Bundle::Resource(const char* name, const char* type) {
    if (name == nullptr || name[0] == '\0') return {};
    std::string file(name);
    if (type != nullptr && type[0] != '\0') file += std::string(".") + type;
    // A resource name must not lead out of the resource folder.
    if (file.find('/') != std::string::npos || file == "." || file == "..") return {};
    const std::string bundle = Path();
    if (bundle.empty()) return {};
    std::string path = bundle == "/" ? std::string() : bundle;
    path += "/Contents/Resources/" + file;
    return IsRegularFile(path) ? path : std::string();
}

void InitMachOLibrary() { Bundle::Acquire(); }

void ExitMachOLibrary() { Bundle::Release(); }
