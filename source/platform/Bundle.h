// The plug-in's bundle folder (…/Murmurhall.vst) and the resources inside it. One process-wide
// reference shared by every editor object of every instance: the first reference finds the folder,
// the last release forgets it.
#pragma once

#include <string>

class Bundle {
public:
    // Any thread but audio: takes a reference; the first one locates the binary that holds this code.
    static void Acquire();
    // Any thread but audio: as Acquire, for a binary at a known path (tests, other loaders).
    static void AcquireFor(const std::string& binaryPath);
    // Any thread but audio: drops a reference; releasing more than was taken does nothing.
    static void Release();
    // Any thread: references held now.
    static int References();
    // Any thread: the bundle folder, empty while unset.
    static std::string Path();
    // Any thread: <bundle>/Contents/Resources/<name>.<type> when that file exists, else empty.
    static std::string Resource(const char* name, const char* type);
    // Any thread: the path without its file name and the two folders above it; false with fewer
    // than three separators.
    static bool FolderFromBinary(const std::string& binaryPath, std::string* folder);
};

// Any thread but audio: the editor's bundle reference, named as the toolkit knows it.
void InitMachOLibrary();
// Any thread but audio.
void ExitMachOLibrary();
