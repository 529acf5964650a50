#include "toolkit/CVSTGUITimer.h"

#include <algorithm>
#include <vector>

#include "platform/Ticks.h"

// Targets may compare the message by pointer (message == CVSTGUITimer::kMsgTimer) or by text
// (strcmp with "timer fired"): every timer sends this very pointer.
const char* CVSTGUITimer::kMsgTimer = "timer fired";

namespace {

// The started timers of the process. UI thread only, like every timer operation.
std::vector<CVSTGUITimer*>& Running() {
    static std::vector<CVSTGUITimer*> timers;
    return timers;
}

bool IsRunning(const CVSTGUITimer* timer) {
    const auto& timers = Running();
    return std::find(timers.begin(), timers.end(), timer) != timers.end();
}

}  // namespace

CVSTGUITimer::CVSTGUITimer(CBaseObject* target, int fireTime) : target(target), fireTime(std::max(1, fireTime)) {}

CVSTGUITimer::~CVSTGUITimer() { stop(); }

bool CVSTGUITimer::start() {
    if (running) return true;  // keeps its schedule
    nextFire = MillisecondTicks() + static_cast<uint32_t>(fireTime);
    running = true;
    Running().push_back(this);
    return true;
}

bool CVSTGUITimer::stop() {
    if (!running) return false;
    running = false;
    auto& timers = Running();
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    return true;
}

bool CVSTGUITimer::setFireTime(int newFireTime) {
    if (newFireTime <= 0) return false;
    fireTime = newFireTime;
    if (running) {
        // The new period counts from now.
        stop();
        start();
    }
    return true;
}

void CVSTGUITimer::FireDueTimers() {
    const uint32_t now = MillisecondTicks();
    // A copy: a target may start, stop or delete timers (itself included) while notified.
    const std::vector<CVSTGUITimer*> due = Running();
    for (CVSTGUITimer* timer : due) {
        if (!IsRunning(timer)) continue;
        if (static_cast<int32_t>(now - timer->nextFire) < 0) continue;
        timer->nextFire = now + static_cast<uint32_t>(timer->fireTime);
        if (timer->target != nullptr) timer->target->notify(timer, kMsgTimer);
    }
}
