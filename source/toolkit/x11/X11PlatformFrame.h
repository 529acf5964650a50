// The X11 platform of a frame: a child window of the host's window, embedded with XEmbed, on one
// display connection shared by every frame of the process.
#pragma once

#include <memory>

#include "toolkit/IPlatformFrame.h"

// UI thread: a child of the X11 window parentWindow (an X11 Window id passed as a pointer), or null
// when no display can be opened.
std::unique_ptr<IPlatformFrame> CreateX11PlatformFrame(CFrame* frame, void* parentWindow);
