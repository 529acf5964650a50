// `murmurhall-host render`: runs a sound file through a plug-in, block by block, offline.
#pragma once

#include "RenderOptions.h"

class RenderCommand {
public:
    // Exit status when the file was written but the plug-in produced NaN or infinite samples,
    // which were replaced by silence.
    static constexpr int kNonFiniteOutput = 3;
    // Exit status after SIGINT or SIGTERM; the partial output is removed.
    static constexpr int kInterrupted = 130;

    // Main thread: renders; returns 0, or kNonFiniteOutput. Throws HostError for every failure,
    // and then no output file is left behind.
    static int Run(const RenderOptions& options);
};
