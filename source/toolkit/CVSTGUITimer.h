// A repeating timer that sends kMsgTimer to its target every fireTime milliseconds while started.
// Timers fire from the frames' idle (and AEffGUIEditor's idle) on the UI thread, on the tick clock
// of platform/Ticks.h, so a test can step time by hand.
#pragma once

#include <cstdint>

#include "toolkit/CBaseObject.h"

class CVSTGUITimer : public CBaseObject {
public:
    static const char* kMsgTimer;

    // UI thread: target is not remembered; it must outlive the timer or stop it.
    CVSTGUITimer(CBaseObject* target, int fireTime = 100);
    ~CVSTGUITimer() override;

    bool start();
    bool stop();
    bool isRunning() const { return running; }
    bool setFireTime(int newFireTime);
    int getFireTime() const { return fireTime; }

    // UI thread: sends kMsgTimer to the target of every started timer whose time has come (at most
    // once per timer per call). Safe when a target stops or deletes timers while being notified.
    static void FireDueTimers();

private:
    CBaseObject* target;
    int fireTime;
    bool running = false;
    uint32_t nextFire = 0;
};
