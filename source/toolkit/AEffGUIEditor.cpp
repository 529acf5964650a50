#include "toolkit/AEffGUIEditor.h"

#include <time.h>

#include <atomic>

#include "platform/Bundle.h"
#include "platform/Ticks.h"
#include "shell/AudioEffectX.h"
#include "toolkit/CFileSelector.h"
#include "toolkit/CFrame.h"
#include "toolkit/CVSTGUITimer.h"

namespace {

// One knob mode for every editor of the process, as the host sets it for all of them.
std::atomic<long> gKnobMode{kCircularMode};

// Before the pacing window of doIdleStuff ends, it waits this long, then gives up if still early.
constexpr uint32_t kIdleWaitMs = 4;
constexpr uint32_t kIdleEarlyMs = 50;
constexpr uint32_t kIdlePeriodMs = 100;

bool Before(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b) < 0; }

void SleepMilliseconds(long ms) {
    timespec pause{0, ms * 1000000L};
    nanosleep(&pause, nullptr);
}

}  // namespace

AEffGUIEditor::AEffGUIEditor(void* effect) : AEffEditor(static_cast<AudioEffect*>(effect)) {
    if (this->effect != nullptr) this->effect->setEditor(this);
    InitMachOLibrary();
    lLastTicks = getTicks();
}

AEffGUIEditor::~AEffGUIEditor() { ExitMachOLibrary(); }

bool AEffGUIEditor::getRect(ERect** rectOut) {
    if (rectOut == nullptr) return false;
    *rectOut = &rect;
    return true;
}

bool AEffGUIEditor::open(void* ptr) { return AEffEditor::open(ptr); }

void AEffGUIEditor::close() {
    delete frame;
    frame = nullptr;
    systemWindow = nullptr;
}

void AEffGUIEditor::idle() {
    if (inIdleStuff) return;
    // A file dialog's answer arrives here even when the subclass's idle does nothing else.
    CFileSelector::PollAll();
    CVSTGUITimer::FireDueTimers();
    if (frame != nullptr) frame->idle();
}

void AEffGUIEditor::draw(ERect* area) {
    if (frame == nullptr) return;
    if (area != nullptr) {
        frame->invalidRect(CRect(area->left, area->top, area->right, area->bottom));
    } else {
        frame->invalid();
    }
    frame->updateNow();
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& keyCode) { return frame != nullptr && frame->platformOnKeyDown(keyCode); }

bool AEffGUIEditor::onKeyUp(VstKeyCode& keyCode) { return frame != nullptr && frame->platformOnKeyUp(keyCode); }

bool AEffGUIEditor::onWheel(float /*distance*/) { return false; }

bool AEffGUIEditor::setKnobMode(VstInt32 val) {
    gKnobMode.store(val, std::memory_order_relaxed);
    return true;
}

long AEffGUIEditor::getKnobMode() const { return gKnobMode.load(std::memory_order_relaxed); }

void AEffGUIEditor::setParameter(VstInt32 /*index*/, float /*value*/) {}

void AEffGUIEditor::doIdleStuff() {
    uint32_t now = getTicks();
    if (Before(now, lLastTicks)) {
        wait(kIdleWaitMs);
        now += kIdleWaitMs;
        if (Before(now + kIdleEarlyMs, lLastTicks)) return;
    }
    idle();
    lLastTicks = now + kIdlePeriodMs;
    inIdleStuff = true;
    if (effect != nullptr) effect->masterIdle();
    inIdleStuff = false;
}

uint32_t AEffGUIEditor::getTicks() const { return MillisecondTicks(); }

void AEffGUIEditor::wait(uint32_t ms) {
    const uint32_t start = getTicks();
    // Also bounded by the time slept, so a clock that stands still (a test's) cannot hang us.
    for (uint32_t slept = 0; getTicks() - start < ms && slept < ms; ++slept) {
        if (frame != nullptr) frame->idle();
        SleepMilliseconds(1);
    }
}

void AEffGUIEditor::beginEdit(long index) {
    if (auto* effectX = dynamic_cast<AudioEffectX*>(effect)) effectX->beginEdit(static_cast<VstInt32>(index));
}

void AEffGUIEditor::endEdit(long index) {
    if (auto* effectX = dynamic_cast<AudioEffectX*>(effect)) effectX->endEdit(static_cast<VstInt32>(index));
}
