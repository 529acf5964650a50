// `murmurhall-host edit`: shows a plug-in's editor in a window of its own, as a host would, while
// the plug-in processes sound in real time; can act on the window from a script and photograph it.
#pragma once

#include "EditOptions.h"

class HostEdit {
public:
    // Main thread: runs until the window is closed, SIGINT or SIGTERM arrives, or --after passes.
    // Returns the exit status; throws HostError for what stops it from starting.
    static int Run(const EditOptions& options);
};
