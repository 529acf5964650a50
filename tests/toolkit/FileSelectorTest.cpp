// CFileSelector: the host's own selector when it can; else a dialog program run as a child and
// answered from idle; else a path field in the editor's frame. Scripts stand in for zenity and
// kdialog, so what the child is given and what it answers are both seen.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "RecordingEffect.h"
#include "toolkit/CFileSelector.h"
#include "toolkit/CPathField.h"

namespace {

namespace fs = std::filesystem;
using Path = std::optional<std::string>;  // nullopt: the completion got null

struct Answer {
    int calls = 0;
    Path path;
    CFileSelector::Completion Completion() {
        return [this](const char* chosen) {
            ++calls;
            path = chosen != nullptr ? Path(chosen) : std::nullopt;
        };
    }
};

VstFileType gFxp{"VST FXP", ".fxp", "FXP", "", "", ""};
VstFileSelect Request(VstInt32 command = kVstFileLoad, const char* title = "Select filename to LOAD") {
    VstFileSelect request{command, kVstFileType, 0, 1, &gFxp, "", nullptr, nullptr, 0, nullptr, 0, 0, ""};
    std::strcpy(request.title, title);
    return request;
}
void Sleep5ms() { std::this_thread::sleep_for(std::chrono::milliseconds(5)); }

class FileSelectorTest : public ::testing::Test {
protected:
    void SetUp() override { folder = fs::path(::mkdtemp(std::string("/tmp/mh-selector-XXXXXX").data())); }
    void TearDown() override {
        if (editor != nullptr) editor->close();
        CFileSelector::SetDialogProgramForTesting(nullptr);
        SetPlatformFrameFactory(nullptr);
        fs::remove_all(folder);
    }
    // An executable shell script standing in for a dialog program.
    std::string Script(const std::string& name, const std::string& body) {
        std::ofstream(folder / name) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(folder / name, fs::perms::owner_all);
        return (folder / name).string();
    }
    // Runs request and polls as idle would, for at most five seconds, until the answer came.
    Answer Ask(VstFileSelect& request, long started = 1) {
        CFileSelector selector(effect.get());
        Answer answer;
        EXPECT_EQ(selector.run(&request, answer.Completion()), started);
        for (int i = 0; i < 1000 && answer.calls == 0; ++i, Sleep5ms()) selector.poll();
        EXPECT_EQ(answer.calls, 1);
        return answer;
    }
    void OpenEditor() {
        SetPlatformFrameFactory(&HeadlessPlatformFrame::Create);
        editor = new toolkittest::FrameEditor(effect.get());  // the effect deletes it
        editor->open(&folder);  // any parent: the headless platform ignores it
    }

    fs::path folder;
    toolkittest::ScriptedHost host;
    std::unique_ptr<toolkittest::RecordingEffect> effect = std::make_unique<toolkittest::RecordingEffect>(&host);
    toolkittest::FrameEditor* editor = nullptr;
};

TEST_F(FileSelectorTest, HostSelectorAnswersInsideRunIntoOurBufferOrItsOwnAndFailuresGiveNoPath) {
    host.canOpenFileSelector = 1;
    static int behaviour;
    host.openFileSelector = [](VstFileSelect* select) {
        static char hostBuffer[64];
        static std::string overlong = "/" + std::string(511, 'a');  // 512 bytes
        if (behaviour < 2) return VstIntPtr{behaviour};  // cancelled, or a success without a path
        if (select->returnPath == nullptr) select->returnPath = behaviour == 3 ? overlong.data() : hostBuffer;
        if (behaviour == 2) std::strcpy(select->returnPath, "/home/user/monks.fxp");
        return VstIntPtr{1};
    };
    char ours[512] = {};
    const struct {
        int behaviour;
        char* buffer;
        Path path;
    } cases[] = {{2, ours, "/home/user/monks.fxp"}, {2, nullptr, "/home/user/monks.fxp"}, {0, nullptr, std::nullopt},
                 {1, nullptr, std::nullopt},         {3, nullptr, std::nullopt}};
    for (const auto& c : cases) {
        behaviour = c.behaviour;
        VstFileSelect request = Request();
        request.returnPath = c.buffer;
        EXPECT_EQ(Ask(request, c.path ? 1 : 0).path, c.path) << c.behaviour;
        EXPECT_EQ(request.returnPath, c.buffer) << "the host's own buffer is gone with the close";
    }
    EXPECT_STREQ(ours, "/home/user/monks.fxp");
    EXPECT_EQ(host.closes, 4) << "a cancelled selector has nothing to close";
}

TEST_F(FileSelectorTest, AHostSayingMinusOneIsNotAskedAndTheDialogAnswersFromTheEditorsIdle) {
    host.canOpenFileSelector = -1;
    host.openFileSelector = [](VstFileSelect*) {
        ADD_FAILURE() << "the host was asked";
        return VstIntPtr{0};
    };
    OpenEditor();
    CFileSelector::SetDialogProgramForTesting(Script("chooser", "sleep 0.2; echo /tmp/crowd/chosen.fxp").c_str());
    CFileSelector selector(effect.get());
    char returned[512] = {};
    VstFileSelect request = Request();
    request.returnPath = returned;
    Answer answer;
    ASSERT_EQ(selector.run(&request, answer.Completion()), 1);
    editor->idle();
    EXPECT_EQ(answer.calls, 0) << "still choosing";
    for (int i = 0; i < 1000 && answer.calls == 0; ++i, Sleep5ms()) editor->idle();
    EXPECT_EQ(answer.path, "/tmp/crowd/chosen.fxp");
    EXPECT_STREQ(returned, "/tmp/crowd/chosen.fxp");
}

TEST_F(FileSelectorTest, DialogAnswersCancelsOverlongPathsAndTheChildsEnvironment) {
    ::setenv("LD_LIBRARY_PATH", "/opt/host/private-libs", 1);
    VstFileSelect request = Request();
    const struct { const char* body; Path path; } cases[] = {
        {"echo /tmp/x.fxp; exit 1", std::nullopt},  // cancelled, even if something was printed
        {"exit 0", std::nullopt},                   // nothing chosen
        {"echo /tmp/x.fxp; kill -TERM $$", std::nullopt},
        {"printf '/%0510d\\n' 0", "/" + std::string(510, '0')},  // 511 bytes: the longest path there is
        {"printf '/%0511d\\n' 0", std::nullopt},                   // 512 bytes
        {"printf '/first.fxp\\n/second.fxp\\n'", "/first.fxp"},
        // The host's private libraries are not the child's; the rest of the environment is.
        {"echo \"${LD_LIBRARY_PATH-unset}:${PATH-unset}\"", std::string("unset:") + std::getenv("PATH")},
    };
    for (const auto& c : cases) {
        CFileSelector::SetDialogProgramForTesting(Script("answer", c.body).c_str());
        EXPECT_EQ(Ask(request).path, c.path) << c.body;
    }
    EXPECT_STREQ(std::getenv("LD_LIBRARY_PATH"), "/opt/host/private-libs");
    ::unsetenv("LD_LIBRARY_PATH");
}

TEST_F(FileSelectorTest, ZenityThenKdialogAreFoundOnPathAndAskedInTheirOwnWords) {
    const std::string echoArgs = "for a in \"$@\"; do printf '[%s]' \"$a\"; done; echo";
    Script("zenity", echoArgs);
    Script("kdialog", echoArgs);
    const std::string oldPath = std::getenv("PATH");
    ::setenv("PATH", (folder.string() + ":" + oldPath).c_str(), 1);
    VstFileSelect load = Request(), save = Request(kVstFileSave, "Select filename to SAVE");
    EXPECT_EQ(Ask(load).path, "[--file-selection][--title=Select filename to LOAD][--file-filter=VST FXP | *.fxp]");
    EXPECT_EQ(Ask(save).path, "[--file-selection][--save][--confirm-overwrite][--title=Select filename to SAVE]"
                              "[--file-filter=VST FXP | *.fxp]");
    fs::remove(folder / "zenity");
    EXPECT_EQ(Ask(load).path, "[--getopenfilename][.][*.fxp|VST FXP][--title][Select filename to LOAD]");
    EXPECT_EQ(Ask(save).path, "[--getsavefilename][.][*.fxp|VST FXP][--title][Select filename to SAVE]");
    ::setenv("PATH", oldPath.c_str(), 1);
}

TEST_F(FileSelectorTest, ANullRequestOrASecondWhileOneRunsIsRefusedAndDestroyingEndsTheDialogWithoutAnAnswer) {
    const std::string pidFile = (folder / "pid").string();
    CFileSelector::SetDialogProgramForTesting(Script("slow", "echo $$ > " + pidFile + "; exec sleep 30").c_str());
    auto selector = std::make_unique<CFileSelector>(effect.get());
    VstFileSelect request = Request();
    Answer none, first, second;
    EXPECT_EQ(selector->run(nullptr, none.Completion()), 0);
    ASSERT_EQ(selector->run(&request, first.Completion()), 1);
    EXPECT_EQ(selector->run(&request, second.Completion()), 0);
    EXPECT_EQ(none.calls + second.calls, 2) << "refused at once, with no path";
    pid_t child = 0;
    for (int i = 0; i < 400 && child == 0; ++i, Sleep5ms()) std::ifstream(pidFile) >> child;
    ASSERT_NE(child, 0);
    const auto before = std::chrono::steady_clock::now();
    selector.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_EQ(first.calls, 0);
    EXPECT_NE(::kill(child, 0), 0);  // gone, and reaped: no zombie left to signal
}

TEST_F(FileSelectorTest, PathFieldInTheFrameWhenNothingElseCanAsk) {
    CFileSelector::SetDialogProgramForTesting("field");
    VstFileSelect windowless = Request();
    EXPECT_EQ(Ask(windowless, 0).path, std::nullopt) << "no window to ask in";
    OpenEditor();
    CFrame* frame = editor->getFrame();
    CFileSelector selector(effect.get());
    // finish: a virtual key, or 0 for the OK area, 1 for the Cancel area.
    const struct { const char* initial; const char* typed; unsigned char finish; Path path; } cases[] = {
        {nullptr, "/tmp/new.fxp", VKEY_RETURN, "/tmp/new.fxp"},   {"/home/user/", "monks", VKEY_ENTER, "/home/user/monks"},
        {nullptr, "/tmp/no.fxp", VKEY_ESCAPE, std::nullopt},      {nullptr, "/tmp/ok.fxp", 0, "/tmp/ok.fxp"},
        {nullptr, "/tmp/cancel.fxp", 1, std::nullopt},            {nullptr, "", VKEY_RETURN, std::nullopt},
    };
    for (const auto& c : cases) {
        VstFileSelect request = Request();
        request.initialPath = const_cast<char*>(c.initial);
        Answer answer;
        ASSERT_EQ(selector.run(&request, answer.Completion()), 1);
        auto* field = frame->getNbViews() == 1 ? dynamic_cast<CPathField*>(frame->getView(0)) : nullptr;
        ASSERT_NE(field, nullptr);
        editor->headless()->typeText(c.typed);
        if (c.finish > 1) editor->headless()->keyDown(VstKeyCode{0, c.finish, 0});
        else editor->headless()->click((c.finish == 0 ? field->okRect() : field->cancelRect()).getTopLeft().offset(3, 3));
        selector.poll();
        EXPECT_EQ(answer.calls, 1) << c.typed;
        EXPECT_EQ(answer.path, c.path) << c.typed;
        EXPECT_EQ(frame->getNbViews(), 0) << "removed afterwards";
    }
    EXPECT_TRUE(effect->brackets.empty()) << "the field edits no parameter";
}

TEST_F(FileSelectorTest, PathFieldWaitsThroughFocusLossAndEndsWithTheSelectorOrTheWindow) {
    CFileSelector::SetDialogProgramForTesting("field");
    OpenEditor();
    VstFileSelect request = Request();
    Answer dropped, closed;
    auto selector = std::make_unique<CFileSelector>(effect.get());
    selector->run(&request, dropped.Completion());
    editor->headless()->typeText("/tmp/half");
    editor->headless()->focusLost();  // the user looks elsewhere: no answer
    selector->poll();
    EXPECT_EQ(editor->getFrame()->getNbViews(), 1);
    selector = std::make_unique<CFileSelector>(effect.get());  // the first one's field goes with it
    EXPECT_EQ(editor->getFrame()->getNbViews(), 0);
    selector->run(&request, closed.Completion());
    editor->close();  // the host closes the window with the field in it
    selector->poll();
    EXPECT_EQ(dropped.calls, 0);
    EXPECT_EQ(closed.calls, 1);
    EXPECT_EQ(closed.path, std::nullopt);
}

}  // namespace
