// .fxp preset files: a 60-byte big-endian header, then the program record as it lies in memory.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "editor/EffectEditor.h"
#include "engine/MurmurhallPlug.h"
#include "shell/EffectVST.h"

namespace {

constexpr long kHeaderSize = 60;
constexpr long kRecordSize = sizeof(Program);       // 2976
constexpr long kOldRecordSize = sizeof(Program200);  // 2972
constexpr int kRecordFloats = static_cast<int>(offsetof(Program, name) / sizeof(float));
constexpr int kPathRoom = CFileSelector::kMaxPath;

void PutBigEndian(unsigned char* at, uint32_t value) {
    at[0] = static_cast<unsigned char>(value >> 24);
    at[1] = static_cast<unsigned char>(value >> 16);
    at[2] = static_cast<unsigned char>(value >> 8);
    at[3] = static_cast<unsigned char>(value);
}

void CopyText(char* to, size_t room, const char* text) {
    std::memset(to, 0, room);
    std::strncpy(to, text, room - 1);
}

}  // namespace

long EffectEditor::FSSpecToPOSIXPath(const char* chosen, char* path, long maxLen) {
    if (chosen == nullptr || path == nullptr || maxLen <= 0) return -43;
    const size_t length = strnlen(chosen, static_cast<size_t>(maxLen));
    if (length >= static_cast<size_t>(maxLen)) return -43;  // no room for the terminator
    std::memmove(path, chosen, length + 1);
    return 0;
}

std::string EffectEditor::PresetFilePath(const char* path) {
    std::string file = path != nullptr ? path : "";
    if (file.size() > 4 && file[file.size() - 4] == '.') file.resize(file.size() - 4);
    return file + ".fxp";
}

bool EffectEditor::StartFileRequest(VstInt32 command, const char* typeName, const char* title,
                                    void (EffectEditor::*arrived)(const char* path)) {
    // The record belongs to the request still running; a second one must not overwrite it.
    if (fileSelector == nullptr || fileSelector->isRunning()) return false;
    presetFileType = VstFileType{};
    CopyText(presetFileType.name, sizeof presetFileType.name, typeName);
    CopyText(presetFileType.macType, sizeof presetFileType.macType, ".fxp");
    CopyText(presetFileType.dosType, sizeof presetFileType.dosType, "FXP");
    presetFileSelect = VstFileSelect{};
    presetFileSelect.command = command;
    presetFileSelect.type = kVstFileType;
    presetFileSelect.nbFileTypes = 1;
    presetFileSelect.fileTypes = &presetFileType;
    CopyText(presetFileSelect.title, sizeof presetFileSelect.title, title);
    presetFileSelect.initialPath = nullptr;
    presetReturnPath[0] = '\0';
    presetFileSelect.returnPath = presetReturnPath;
    presetFileSelect.sizeReturnPath = kPathRoom;
    return fileSelector->run(&presetFileSelect, [this, arrived](const char* path) {
               if (path != nullptr && path[0] != '\0') (this->*arrived)(path);
           }) == 1;
}

long EffectEditor::SavePreset() {
    StartFileRequest(kVstFileSave, "VST Effect FXP", "Select filename to SAVE", &EffectEditor::SavePathArrived);
    return 0;
}

void EffectEditor::LoadPreset() {
    StartFileRequest(kVstFileLoad, "VST FXP", "Select filename to LOAD", &EffectEditor::LoadPathArrived);
}

void EffectEditor::SavePathArrived(const char* path) {
    char converted[kPathRoom];
    if (FSSpecToPOSIXPath(path, converted, kPathRoom) != 0) return;
    WritePresetFile(PresetFilePath(converted).c_str());
}

void EffectEditor::LoadPathArrived(const char* path) {
    char converted[kPathRoom];
    if (FSSpecToPOSIXPath(path, converted, kPathRoom) != 0) return;
    // A file that could not be taken leaves the program, and so the sound, as it was.
    if (!ReadPresetFile(PresetFilePath(converted).c_str())) return;
    if (IsEditorOpen()) presetGUI.PresetRescan();
    SetEffectParameter(14, 0.0f);
}

bool EffectEditor::WritePresetFile(const char* path) {
    const Program& program = engine->CurrentProgram();
    unsigned char bytes[kHeaderSize + kRecordSize] = {};
    std::memcpy(bytes, "CcnK", 4);
    PutBigEndian(bytes + 4, static_cast<uint32_t>(kHeaderSize + kRecordSize - 8));
    std::memcpy(bytes + 8, "FPCh", 4);
    PutBigEndian(bytes + 12, 1);
    PutBigEndian(bytes + 16, static_cast<uint32_t>(EffectVST::kUniqueId));
    PutBigEndian(bytes + 20, 1);
    PutBigEndian(bytes + 24, 1);
    std::strncpy(reinterpret_cast<char*>(bytes + 28), program.name, kProgramNameSize - 1);
    PutBigEndian(bytes + 56, static_cast<uint32_t>(kRecordSize));
    unsigned char* record = bytes + kHeaderSize;
    for (int i = 0; i < kRecordFloats; ++i) {
        const float value = program.Load(i);
        std::memcpy(record + 4 * i, &value, sizeof value);
    }
    std::memcpy(record + offsetof(Program, name), program.name, kProgramNameSize);
    record[offsetof(Program, name) + kProgramNameSize - 1] = '\0';

    // Written beside the target and renamed over it, so a failed write never costs an old preset.
    const std::string part = std::string(path) + ".part";
    FILE* file = std::fopen(part.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes, sizeof bytes, 1, file) == 1;
    const bool closed = std::fclose(file) == 0;
    if (written && closed && std::rename(part.c_str(), path) == 0) return true;
    std::remove(part.c_str());
    return false;
}

bool EffectEditor::ReadPresetFile(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    long length = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) length = std::ftell(file);
    const long recordSize = length - kHeaderSize;
    // The whole record is read into a copy first, so a short read never leaves half a program.
    unsigned char record[kRecordSize];
    const bool read = (recordSize == kRecordSize || recordSize == kOldRecordSize) &&
                      std::fseek(file, kHeaderSize, SEEK_SET) == 0 &&
                      std::fread(record, static_cast<size_t>(recordSize), 1, file) == 1;
    std::fclose(file);
    if (!read) return false;

    Program& program = engine->CurrentProgram();
    if (recordSize == kOldRecordSize) {
        Program200 old;
        std::memcpy(static_cast<void*>(&old), record, sizeof old);
        program.Upgrade(&old);
        return true;
    }
    for (int i = 0; i < kRecordFloats; ++i) {
        float value;
        std::memcpy(&value, record + 4 * i, sizeof value);
        program.Store(i, value);
    }
    std::memcpy(program.name, record + offsetof(Program, name), kProgramNameSize);
    program.name[kProgramNameSize - 1] = '\0';
    return true;
}
