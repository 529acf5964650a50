// The editor tests' host: an effect built through the entry logic with a host callback that records
// automation, gesture brackets, display updates and capability questions (and can answer the file
// selector with a path), the headless platform, and a tick clock the test sets by hand. The window
// is opened with a dummy parent, as a host would pass its own window.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
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

// Person p's value k.
constexpr int PersonIndex(int p, int k) { return 17 + 12 * p + k; }

// The test's tick clock, in milliseconds.
inline std::atomic<uint32_t> gClock{1000};
inline uint32_t ClockTicks() { return gClock.load(std::memory_order_relaxed); }

// One host callback as the host saw it.
struct HostEvent {
    VstInt32 opcode;
    VstInt32 index;
    float opt;
};

// What the host saw of a file selector request.
struct FileRequest {
    VstInt32 command = -1;
    VstInt32 type = -1;
    VstInt32 nbFileTypes = 0;
    VstFileType fileType{};
    std::string title;
    bool initialPathNull = false;
    bool returnPathEmpty = false;
};

// Records every callback (thread-safe: automation may come from any thread). One host at a time.
class RecordingHost {
public:
    RecordingHost() { current = this; }
    ~RecordingHost() { current = nullptr; }
    RecordingHost(const RecordingHost&) = delete;
    RecordingHost& operator=(const RecordingHost&) = delete;

    static VstIntPtr Callback(AEffect* /*effect*/, VstInt32 opcode, VstInt32 index, VstIntPtr /*value*/, void* ptr,
                              float opt) {
        if (opcode == audioMasterVersion) return kVstVersion;
        RecordingHost* host = current;
        if (host == nullptr) return 0;
        std::lock_guard<std::mutex> lock(host->mutex);
        host->events.push_back({opcode, index, opt});
        if (opcode == audioMasterCanDo && ptr != nullptr) {
            const std::string what = static_cast<const char*>(ptr);
            host->canDoQueries.push_back(what);
            return what == "openFileSelector" && host->answersFileSelector ? 1 : 0;
        }
        if (opcode == audioMasterOpenFileSelector && ptr != nullptr && host->answersFileSelector)
            return host->AnswerFileSelector(static_cast<VstFileSelect*>(ptr));
        if (opcode == audioMasterCloseFileSelector) return 1;
        return 0;
    }

    // The host answers the file selector itself from now on: with path, or as cancelled when empty.
    void AnswerFileSelectorWith(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex);
        answersFileSelector = true;
        fileSelectorPath = path;
    }

    std::vector<HostEvent> Events() const {
        std::lock_guard<std::mutex> lock(mutex);
        return events;
    }
    // {index, value} of every automation call, in order.
    std::vector<std::pair<int, float>> Automations() const {
        std::vector<std::pair<int, float>> out;
        for (const HostEvent& e : Events())
            if (e.opcode == audioMasterAutomate) out.emplace_back(e.index, e.opt);
        return out;
    }
    // Indices of the calls with this opcode (begin and end edit), in order.
    std::vector<int> Indices(VstInt32 opcode) const {
        std::vector<int> out;
        for (const HostEvent& e : Events())
            if (e.opcode == opcode) out.push_back(e.index);
        return out;
    }
    int Count(VstInt32 opcode) const { return static_cast<int>(Indices(opcode).size()); }
    std::vector<FileRequest> FileRequests() const {
        std::lock_guard<std::mutex> lock(mutex);
        return requests;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex);
        events.clear();
        canDoQueries.clear();
        requests.clear();
    }

private:
    VstIntPtr AnswerFileSelector(VstFileSelect* select) {
        FileRequest request;
        request.command = select->command;
        request.type = select->type;
        request.nbFileTypes = select->nbFileTypes;
        if (select->fileTypes != nullptr && select->nbFileTypes > 0) request.fileType = select->fileTypes[0];
        request.title = std::string(select->title, strnlen(select->title, sizeof select->title));
        request.initialPathNull = select->initialPath == nullptr;
        request.returnPathEmpty = select->returnPath == nullptr || select->returnPath[0] == '\0';
        requests.push_back(request);
        if (fileSelectorPath.empty()) return 0;
        if (select->returnPath == nullptr || select->sizeReturnPath <= static_cast<VstInt32>(fileSelectorPath.size()))
            return 0;
        std::memcpy(select->returnPath, fileSelectorPath.c_str(), fileSelectorPath.size() + 1);
        select->nbReturnPath = 1;
        return 1;
    }

    mutable std::mutex mutex;
    std::vector<HostEvent> events;
    std::vector<std::string> canDoQueries;
    std::vector<FileRequest> requests;
    bool answersFileSelector = false;
    std::string fileSelectorPath;
    static inline RecordingHost* current = nullptr;
};

// A test with a live plug-in instance whose editor runs headless. The window is closed at first.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPlatformFrameFactory(HeadlessPlatformFrame::Create);
        gClock.store(1000);
        SetMillisecondTicksForTesting(&ClockTicks);
        // No dialog program may ever pop up during a test.
        CFileSelector::SetDialogProgramForTesting("field");
        effect = CreateMurmurhallEffect(RecordingHost::Callback);
        ASSERT_NE(effect, nullptr);
        shell = static_cast<EffectVST*>(static_cast<AudioEffect*>(effect->object));
        editor = static_cast<EffectEditor*>(shell->getEditor());
        engine = shell->engine;
        ASSERT_NE(editor, nullptr);
        Call(effSetSampleRate, 0, 0, nullptr, 44100.0f);
        Call(effSetBlockSize, 0, 512);
        Call(effMainsChanged, 0, 1);
        host.Clear();
    }
    void TearDown() override {
        if (effect != nullptr) {
            if (editor->isOpen()) Call(effEditClose);
            Call(effClose);
        }
        CFileSelector::SetDialogProgramForTesting("");
        SetMillisecondTicksForTesting(nullptr);
        SetPlatformFrameFactory(nullptr);
    }

    VstIntPtr Call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }
    // The host's parameter calls.
    void Set(int index, float value) { effect->setParameter(effect, index, value); }
    float Get(int index) { return effect->getParameter(effect, index); }
    int Program() { return static_cast<int>(Call(effGetProgram)); }
    void SetProgram(int program) { Call(effSetProgram, 0, program); }

    // The host's window calls.
    bool Open() { return Call(effEditOpen, 0, 0, &parentWindow) == 1; }
    void Close() { Call(effEditClose); }
    void Idle() { Call(effEditIdle); }
    void Advance(uint32_t ms) { gClock.fetch_add(ms); }
    CFrame* Frame() { return editor->getFrame(); }
    HeadlessPlatformFrame* Headless() { return HeadlessPlatformFrame::Of(Frame()); }

    // The control of the open window with this tag (the first in adding order), or null.
    CControl* Control(long tag) {
        CFrame* frame = Frame();
        if (frame == nullptr) return nullptr;
        for (long i = 0; i < frame->getNbViews(); ++i)
            if (auto* control = dynamic_cast<CControl*>(frame->getView(i)); control && control->getTag() == tag)
                return control;
        return nullptr;
    }
    COptionMenu* Menu(long tag) { return dynamic_cast<COptionMenu*>(Control(tag)); }
    PanelCrowd* Panel() { return editor->GetPanel(); }
    static CPoint Centre(const CView* view) {
        const CRect& r = view->getViewSize();
        return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    // A full mouse click on the view, as the window system would deliver it.
    void Click(const CView* view) { Headless()->click(Centre(view)); }
    // A control's value changed by the user: the value set, then the report to the editor.
    void UserSets(CControl* control, float value) {
        control->setValue(value);
        editor->valueChanged(control);
    }
    std::string Title(COptionMenu* menu, long entry) {
        char text[256] = {};
        return menu != nullptr && menu->getEntry(entry, text) ? std::string(text) : std::string("<none>");
    }

    RecordingHost host;
    AEffect* effect = nullptr;
    EffectVST* shell = nullptr;
    EffectEditor* editor = nullptr;
    MurmurhallPlug* engine = nullptr;
    int parentWindow = 0;
};

}  // namespace edtest
