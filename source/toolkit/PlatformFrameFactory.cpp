#include "toolkit/HeadlessPlatformFrame.h"
#include "toolkit/IPlatformFrame.h"
#include "toolkit/x11/X11PlatformFrame.h"

namespace {

PlatformFrameFactory installedFactory = nullptr;

}  // namespace

std::unique_ptr<IPlatformFrame> CreatePlatformFrame(CFrame* frame, void* systemWindow) {
    if (installedFactory != nullptr) return installedFactory(frame, systemWindow);
    if (systemWindow != nullptr) {
        if (auto x11 = CreateX11PlatformFrame(frame, systemWindow)) return x11;
    }
    // Without a window system the frame still draws, so a host without X11 gets a working editor
    // object whose window simply shows nowhere.
    return HeadlessPlatformFrame::Create(frame, systemWindow);
}

void SetPlatformFrameFactory(PlatformFrameFactory factory) { installedFactory = factory; }
