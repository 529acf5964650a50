#include "toolkit/x11/X11PlatformFrame.h"

std::unique_ptr<IPlatformFrame> CreateX11PlatformFrame(CFrame* /*frame*/, void* /*parentWindow*/) { return nullptr; }
