// The module's only exported names. Hosts look up VSTPluginMain, older ones look up main first;
// both make one effect instance and do nothing else (no window, no dialog, no thread).
#include "shell/EffectVST.h"

#define MH_EXPORT __attribute__((visibility("default")))

extern "C" {

// Host thread: one new instance, or null when the host refuses the version query.
MH_EXPORT AEffect* VSTPluginMain(audioMasterCallback audioMaster) { return CreateMurmurhallEffect(audioMaster); }

// C++ forbids a function called main with this signature, so the legacy name is given to the
// assembler only.
MH_EXPORT AEffect* MurmurhallLegacyMain(audioMasterCallback audioMaster) __asm__("main");

// Host thread: the legacy entry name, the same as VSTPluginMain.
AEffect* MurmurhallLegacyMain(audioMasterCallback audioMaster) { return CreateMurmurhallEffect(audioMaster); }
}
