// Asks the user for a file. The host is asked first (canHostDo "openFileSelector"); where it says no,
// zenity or kdialog from PATH runs as a child process without blocking the UI thread; where neither
// exists, a path field drawn inside the editor's frame asks. Paths are at most 512 bytes.
#pragma once

#include <functional>
#include <memory>

#include "shell/Vst24Abi.h"

class AudioEffectX;

class CFileSelector {
public:
    // Called once per run on the UI thread: the chosen path, or null when cancelled or refused.
    using Completion = std::function<void(const char* path)>;

    // UI thread: effect is the plug-in (an AudioEffectX); it may be null (then no host is asked).
    explicit CFileSelector(void* effect);
    // UI thread: ends a dialog still running (its child is killed and reaped; no completion).
    ~CFileSelector();

    // UI thread: starts a request described by vstFileSelect (command 0 load, 1 save; file types;
    // title; initial path). The path is also copied into vstFileSelect->returnPath when it arrives
    // and is not null (at most sizeReturnPath bytes, or 512 when that is 0). done runs exactly once:
    // inside run when the host answers, else later from idle. Returns 1 when the request started,
    // 0 when refused (null record, a request already running: done(null) is called then too).
    long run(VstFileSelect* vstFileSelect, Completion done);
    // UI thread: true while a request waits for the user.
    bool isRunning() const;
    // UI thread: delivers a finished child dialog's answer; called from idle.
    void poll();
    // UI thread: poll() on every selector of the process (AEffGUIEditor's idle calls it).
    static void PollAll();

    static constexpr int kMaxPath = 512;

    // Tests: which fallback to use when the host says no ("" = search PATH for zenity then kdialog;
    // a program name; or "field" for the in-frame path field).
    static void SetDialogProgramForTesting(const char* program);

private:
    struct Dialog;
    AudioEffectX* effect;
    std::unique_ptr<Dialog> dialog;
};
