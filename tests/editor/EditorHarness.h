// The editor tests' host: a plug-in built through the entry logic, a host callback that records
// automation, gesture brackets, display updates and file selector requests (and can answer the
// selector with a path), the headless platform, and a tick clock the test sets by hand.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "editor/EffectEditor.h"
#include "editor/PanelCrowd.h"
#include "engine/MurmurhallPlug.h"
#include "platform/Ticks.h"
#include "shell/EffectVST.h"
#include "toolkit/HeadlessPlatformFrame.h"
#include "toolkit/IPlatformFrame.h"
#include "toolkit/vstgui.h"

namespace edtest {

constexpr float kStep = 0.016666668f;  // one person or population entry
constexpr int PersonIndex(int p, int k) { return 17 + 12 * p + k; }
using Calls = std::vector<std::pair<int, float>>;

inline std::atomic<uint32_t> gClock{1000};
inline uint32_t ClockTicks() { return gClock.load(std::memory_order_relaxed); }

// Records every callback; thread-safe, as automation may come from any thread. One host at a time.
class RecordingHost {
public:
    RecordingHost() { current = this; }
    ~RecordingHost() { current = nullptr; }

    static VstIntPtr Callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void* ptr, float opt) {
        if (opcode == audioMasterVersion) return kVstVersion;
        RecordingHost* host = current;
        if (host == nullptr) return 0;
        std::lock_guard<std::mutex> lock(host->mutex);
        host->events.push_back({opcode, {index, opt}});
        if (opcode == audioMasterCanDo && ptr != nullptr)
            return !host->answer.empty() && std::strcmp(static_cast<const char*>(ptr), "openFileSelector") == 0;
        if (opcode == audioMasterOpenFileSelector && ptr != nullptr && !host->answer.empty())
            return host->Answer(static_cast<VstFileSelect*>(ptr));
        return opcode == audioMasterCloseFileSelector;
    }

    // The host answers the file selector itself from now on: with path, or as cancelled when "".
    void AnswerFileSelectorWith(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex);
        answer = {path};
    }
    // {index, opt} of every call with this opcode, in order.
    Calls Of(VstInt32 opcode) const {
        std::lock_guard<std::mutex> lock(mutex);
        Calls out;
        for (const auto& [op, call] : events)
            if (op == opcode) out.push_back(call);
        return out;
    }
    Calls Automations() const { return Of(audioMasterAutomate); }
    // Each request as "command count 'title' name|macType|dosType".
    std::vector<std::string> FileRequests() const {
        std::lock_guard<std::mutex> lock(mutex);
        return requests;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex);
        events.clear();
        requests.clear();
    }

private:
    VstIntPtr Answer(VstFileSelect* s) {
        const VstFileType t = s->nbFileTypes > 0 && s->fileTypes ? s->fileTypes[0] : VstFileType{};
        requests.push_back(std::to_string(s->command) + " " + std::to_string(s->nbFileTypes) + " '" + s->title + "' " +
                           t.name + "|" + t.macType + "|" + t.dosType);
        const std::string& path = answer[0];
        if (path.empty() || !s->returnPath || s->sizeReturnPath <= VstInt32(path.size())) return 0;
        std::memcpy(s->returnPath, path.c_str(), path.size() + 1);
        return s->nbReturnPath = 1;
    }

    mutable std::mutex mutex;
    std::vector<std::pair<VstInt32, std::pair<int, float>>> events;
    std::vector<std::string> requests;
    std::vector<std::string> answer;  // empty: the host has no file selector
    static inline RecordingHost* current = nullptr;
};

// A live plug-in whose editor runs headless; the window starts closed.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPlatformFrameFactory(HeadlessPlatformFrame::Create);
        gClock.store(1000);
        SetMillisecondTicksForTesting(&ClockTicks);
        CFileSelector::SetDialogProgramForTesting("field");  // no dialog program may pop up
        effect = CreateMurmurhallEffect(RecordingHost::Callback);
        ASSERT_NE(effect, nullptr);
        editor = static_cast<EffectEditor*>(static_cast<AudioEffect*>(effect->object)->getEditor());
        engine = editor->GetEngine();
        Call(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        Call(effSetBlockSize, 0, 512);
        Call(effMainsChanged, 0, 1);
        host.Clear();
    }
    // The plug-in is closed with the window still open, as a careless host may do.
    void TearDown() override {
        if (effect != nullptr) Call(effClose);
        CFileSelector::SetDialogProgramForTesting("");
        SetMillisecondTicksForTesting(nullptr);
        SetPlatformFrameFactory(nullptr);
    }

    VstIntPtr Call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    void Set(int index, float value) { effect->setParameter(effect, index, value); }
    float Get(int index) { return effect->getParameter(effect, index); }
    int Program() { return static_cast<int>(Call(effGetProgram)); }
    void SetProgram(int program) { Call(effSetProgram, 0, program); }
    std::string ProgramName() { return engine->CurrentProgram().name; }

    bool Open() { return Call(effEditOpen, 0, 0, &parentWindow) == 1; }
    void Close() { Call(effEditClose); }
    void Idle() { Call(effEditIdle); }
    void Advance(uint32_t ms) { gClock.fetch_add(ms); }
    CFrame* Frame() { return editor->getFrame(); }
    HeadlessPlatformFrame* Headless() { return HeadlessPlatformFrame::Of(Frame()); }
    PanelCrowd* Panel() { return editor->GetPanel(); }

    // The first control of the open window with this tag, or null.
    CControl* Control(long tag) {
        for (long i = 0; Frame() != nullptr && i < Frame()->getNbViews(); ++i)
            if (auto* control = dynamic_cast<CControl*>(Frame()->getView(i)); control && control->getTag() == tag)
                return control;
        return nullptr;
    }
    COptionMenu* Menu(long tag) { return dynamic_cast<COptionMenu*>(Control(tag)); }
    std::string NameField() { return static_cast<CTextEdit*>(Control(11))->getText(); }
    // Entries from to to of the menu, each followed by '|'.
    std::string Titles(long tag, long from, long to) {
        std::string all;
        char text[256];
        for (; from <= to; ++from) all += std::string(Menu(tag)->getEntry(from, text) ? text : "<none>") + "|";
        return all;
    }
    int PersonShown() { return static_cast<int>(Menu(1)->getCurrentIndex()); }
    // A click on the view as the window system delivers it, released on the view or off it.
    void Click(const CView* view, bool releasedOff = false) {
        const CRect& r = view->getViewSize();
        const CPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        if (!releasedOff) return Headless()->click(centre);
        Headless()->mouseDown(centre);
        Headless()->mouseUp(CPoint(250, 200));
    }
    // The user changes a control: the value set, then the report to the editor.
    void UserSets(CControl* control, float value) {
        control->setValue(value);
        editor->valueChanged(control);
    }

    // Every control of the window shows the current program and its selected person.
    void ExpectWindowShowsProgram() {
        for (int index : {0, 2, 3, 4, 5, 6, 12, 13})
            EXPECT_EQ(editor->GetControlForParameter(index)->getValue(), Get(index)) << index;
        const int shown = std::min({EffectEditor::EntryIndex(Get(1), 60), EffectEditor::EntryIndex(Get(0), 60), 59});
        EXPECT_EQ(PersonShown(), shown);
        for (int k = 0; k < 8; ++k) EXPECT_EQ(editor->GetPersonKnob(k)->getValue(), Get(PersonIndex(shown, k))) << k;
        EXPECT_EQ(NameField(), ProgramName());
    }

    RecordingHost host;
    AEffect* effect = nullptr;
    EffectEditor* editor = nullptr;
    MurmurhallPlug* engine = nullptr;
    int parentWindow = 0;
};

// The same with the window open and the host's record empty.
class OpenEditorTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(Open());
        host.Clear();
    }
};

}  // namespace edtest
