// CFileSelector: the host's own selector when it can; else a dialog program run as a child and
// answered from idle; else a path field in the editor's frame. Scripts stand in for zenity and
// kdialog, so what the child is given and what it answers are both seen.
#include <gtest/gtest.h>

#include <sys/stat.h>
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

using toolkittest::FrameEditor;
using toolkittest::RecordingEffect;
using toolkittest::ScriptedHost;

namespace fs = std::filesystem;

// What a completion received: nothing yet, null, or a path.
struct Answer {
    int calls = 0;
    bool null = false;
    std::string path;
    CFileSelector::Completion Completion() {
        return [this](const char* chosen) {
            ++calls;
            null = chosen == nullptr;
            path = chosen != nullptr ? chosen : "";
        };
    }
};

class Request {
public:
    explicit Request(VstInt32 command = kVstFileLoad, const char* title = "Select filename to LOAD") {
        std::strncpy(type.name, "VST FXP", sizeof type.name - 1);
        std::strncpy(type.macType, ".fxp", sizeof type.macType - 1);
        std::strncpy(type.dosType, "FXP", sizeof type.dosType - 1);
        record.command = command;
        record.type = kVstFileType;
        record.nbFileTypes = 1;
        record.fileTypes = &type;
        std::strncpy(record.title, title, sizeof record.title - 1);
    }
    VstFileSelect* operator->() { return &record; }
    VstFileSelect* get() { return &record; }

private:
    VstFileType type{};
    VstFileSelect record{};
};

class FileSelectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(::mkdtemp(std::string("/tmp/mh-selector-XXXXXX").data()));
        effect = new RecordingEffect(&host);
    }
    void TearDown() override {
        CFileSelector::SetDialogProgramForTesting(nullptr);
        SetPlatformFrameFactory(nullptr);
        if (editor != nullptr) editor->close();
        delete effect;
        fs::remove_all(folder);
    }

    // A shell script standing in for a dialog program.
    std::string Script(const std::string& name, const std::string& body) {
        const fs::path path = folder / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }

    // Polls as idle would, until the answer came or five seconds passed.
    static bool PollUntilAnswered(CFileSelector& selector, const Answer& answer) {
        for (int i = 0; i < 1000 && answer.calls == 0; ++i) {
            selector.poll();
            if (answer.calls == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return answer.calls == 1;
    }

    FrameEditor* OpenEditor() {
        SetPlatformFrameFactory(&HeadlessPlatformFrame::Create);
        editor = new FrameEditor(effect);
        static int parent = 0;
        editor->open(&parent);
        return editor;
    }

    fs::path folder;
    ScriptedHost host;
    RecordingEffect* effect = nullptr;
    FrameEditor* editor = nullptr;
};

TEST_F(FileSelectorTest, HostSelectorAnswersAtOnceIntoOurBufferOrItsOwn) {
    host.canOpenFileSelector = 1;
    static char hostBuffer[64];
    host.openFileSelector = [](VstFileSelect* select) {
        if (select->returnPath == nullptr) select->returnPath = hostBuffer;  // the host allocates
        std::strcpy(select->returnPath, "/home/user/monks.fxp");
        return VstIntPtr{1};
    };
    CFileSelector selector(effect);

    char ours[512] = {};
    Request supplied;
    supplied->returnPath = ours;
    supplied->sizeReturnPath = sizeof ours;
    Answer first;
    EXPECT_EQ(selector.run(supplied.get(), first.Completion()), 1);
    EXPECT_EQ(first.calls, 1);  // inside run
    EXPECT_EQ(first.path, "/home/user/monks.fxp");
    EXPECT_STREQ(ours, "/home/user/monks.fxp");
    EXPECT_EQ(supplied->returnPath, ours);

    Request allocated;
    Answer second;
    selector.run(allocated.get(), second.Completion());
    EXPECT_EQ(second.path, "/home/user/monks.fxp");
    // The host's buffer is freed by the close: no pointer to it is left in the record.
    EXPECT_EQ(allocated->returnPath, nullptr);
    EXPECT_EQ(host.opens, 2);
    EXPECT_EQ(host.closes, 2);
    EXPECT_FALSE(selector.isRunning());
}

TEST_F(FileSelectorTest, HostSelectorFailuresAndOverlongPathsGiveNoPath) {
    host.canOpenFileSelector = 1;
    static std::string longPath;
    struct Case {
        const char* what;
        std::function<VstIntPtr(VstFileSelect*)> behaviour;
        int closes;
    } cases[] = {
        {"cancelled", [](VstFileSelect*) { return VstIntPtr{0}; }, 0},
        {"success without a path", [](VstFileSelect*) { return VstIntPtr{1}; }, 1},
        {"512 bytes",
         [](VstFileSelect* select) {
             longPath = "/" + std::string(511, 'a');
             select->returnPath = longPath.data();
             return VstIntPtr{1};
         },
         1},
    };
    for (const Case& c : cases) {
        host.openFileSelector = c.behaviour;
        host.closes = 0;
        CFileSelector selector(effect);
        Request request;
        Answer answer;
        EXPECT_EQ(selector.run(request.get(), answer.Completion()), 0) << c.what;
        EXPECT_EQ(answer.calls, 1) << c.what;
        EXPECT_TRUE(answer.null) << c.what;
        EXPECT_EQ(host.closes, c.closes) << c.what;
    }
}

TEST_F(FileSelectorTest, HostSelectorGivesTheFirstOfSeveralPaths) {
    host.canOpenFileSelector = 1;
    static char first[] = "/a/first.fxp";
    static char second[] = "/a/second.fxp";
    static char* both[] = {first, second};
    host.openFileSelector = [](VstFileSelect* select) {
        select->returnMultiplePaths = both;
        select->nbReturnPath = 2;
        return VstIntPtr{1};
    };
    CFileSelector selector(effect);
    Request request(kVstMultipleFilesLoad);
    Answer answer;
    selector.run(request.get(), answer.Completion());
    EXPECT_EQ(answer.path, "/a/first.fxp");
    EXPECT_EQ(request->returnMultiplePaths, nullptr);
    EXPECT_EQ(request->nbReturnPath, 0);
}

TEST_F(FileSelectorTest, RefusesANullRequestAndASecondWhileOneRuns) {
    CFileSelector selector(effect);
    Answer none;
    EXPECT_EQ(selector.run(nullptr, none.Completion()), 0);
    EXPECT_EQ(none.calls, 1);
    EXPECT_TRUE(none.null);

    CFileSelector::SetDialogProgramForTesting(Script("slow", "sleep 30").c_str());
    Request request;
    Answer first;
    ASSERT_EQ(selector.run(request.get(), first.Completion()), 1);
    EXPECT_TRUE(selector.isRunning());
    Answer second;
    EXPECT_EQ(selector.run(request.get(), second.Completion()), 0);
    EXPECT_TRUE(second.null);
    EXPECT_EQ(first.calls, 0);
}

TEST_F(FileSelectorTest, DialogProgramAnswersFromPollNotInsideRun) {
    CFileSelector::SetDialogProgramForTesting(Script("chooser", "sleep 0.2; echo /tmp/crowd/chosen.fxp").c_str());
    CFileSelector selector(effect);
    char returned[512] = {};
    Request request;
    request->returnPath = returned;
    Answer answer;
    ASSERT_EQ(selector.run(request.get(), answer.Completion()), 1);
    EXPECT_EQ(answer.calls, 0);
    selector.poll();
    EXPECT_EQ(answer.calls, 0);  // still choosing
    ASSERT_TRUE(PollUntilAnswered(selector, answer));
    EXPECT_EQ(answer.path, "/tmp/crowd/chosen.fxp");
    EXPECT_STREQ(returned, "/tmp/crowd/chosen.fxp");
    EXPECT_FALSE(selector.isRunning());
}

TEST_F(FileSelectorTest, AHostSayingNoWithMinusOneIsNotAsked) {
    host.canOpenFileSelector = -1;
    host.openFileSelector = [](VstFileSelect*) { return VstIntPtr{0}; };
    CFileSelector::SetDialogProgramForTesting(Script("chooser", "echo /tmp/crowd/own.fxp").c_str());
    CFileSelector selector(effect);
    Request request;
    Answer answer;
    ASSERT_EQ(selector.run(request.get(), answer.Completion()), 1);
    ASSERT_TRUE(PollUntilAnswered(selector, answer));
    EXPECT_EQ(answer.path, "/tmp/crowd/own.fxp");
    EXPECT_EQ(host.opens, 0);
}

TEST_F(FileSelectorTest, DialogProgramCancelFailureAndOverlongAnswersGiveNoPath) {
    struct Case {
        const char* body;
        std::optional<std::string> path;
    } cases[] = {
        {"echo /tmp/x.fxp; exit 1", std::nullopt},  // cancelled, even if something was printed
        {"exit 0", std::nullopt},                   // nothing chosen
        {"echo /tmp/x.fxp; kill -TERM $$", std::nullopt},
        {"printf '/%0510d\\n' 0", "/" + std::string(510, '0')},  // 511 bytes: the longest path there is
        {"printf '/%0511d\\n' 0", std::nullopt},                   // 512 bytes
        {"printf '/first.fxp\\n/second.fxp\\n'", std::string("/first.fxp")},
    };
    for (const Case& c : cases) {
        CFileSelector::SetDialogProgramForTesting(Script("answer", c.body).c_str());
        CFileSelector selector(effect);
        Request request;
        Answer answer;
        ASSERT_EQ(selector.run(request.get(), answer.Completion()), 1) << c.body;
        ASSERT_TRUE(PollUntilAnswered(selector, answer)) << c.body;
        if (c.path.has_value()) {
            EXPECT_EQ(answer.path, *c.path) << c.body;
        } else {
            EXPECT_TRUE(answer.null) << c.body;
        }
    }
}

TEST_F(FileSelectorTest, ChildGetsOurEnvironmentWithoutLdLibraryPath) {
    ::setenv("LD_LIBRARY_PATH", "/opt/host/private-libs", 1);
    ::setenv("MH_SELECTOR_MARK", "kept", 1);
    CFileSelector::SetDialogProgramForTesting(
        Script("environment", "echo \"${LD_LIBRARY_PATH-unset}:${MH_SELECTOR_MARK-unset}\"").c_str());
    CFileSelector selector(effect);
    Request request;
    Answer answer;
    selector.run(request.get(), answer.Completion());
    ASSERT_TRUE(PollUntilAnswered(selector, answer));
    EXPECT_EQ(answer.path, "unset:kept");
    // Only the child lost it.
    EXPECT_STREQ(std::getenv("LD_LIBRARY_PATH"), "/opt/host/private-libs");
    ::unsetenv("LD_LIBRARY_PATH");
    ::unsetenv("MH_SELECTOR_MARK");
}

TEST_F(FileSelectorTest, ZenityAndKdialogAreAskedInTheirOwnWords) {
    const std::string echoArgs = "for a in \"$@\"; do printf '[%s]' \"$a\"; done; echo";
    struct Case {
        const char* program;
        VstInt32 command;
        const char* title;
        const char* expected;
    } cases[] = {
        {"zenity", kVstFileLoad, "Select filename to LOAD",
         "[--file-selection][--title=Select filename to LOAD][--file-filter=VST FXP | *.fxp]"},
        {"zenity", kVstFileSave, "Select filename to SAVE",
         "[--file-selection][--save][--confirm-overwrite][--title=Select filename to SAVE][--file-filter=VST FXP | "
         "*.fxp]"},
        {"kdialog", kVstFileLoad, "Select filename to LOAD",
         "[--getopenfilename][.][*.fxp|VST FXP][--title][Select filename to LOAD]"},
        {"kdialog", kVstFileSave, "Select filename to SAVE",
         "[--getsavefilename][.][*.fxp|VST FXP][--title][Select filename to SAVE]"},
    };
    for (const Case& c : cases) {
        const fs::path dir = folder / (std::string(c.program) + std::to_string(c.command));
        fs::create_directory(dir);
        const std::string program = (dir / c.program).string();
        std::ofstream(program) << "#!/bin/sh\n" << echoArgs << "\n";
        fs::permissions(program, fs::perms::owner_all);
        CFileSelector::SetDialogProgramForTesting(program.c_str());
        CFileSelector selector(effect);
        Request request(c.command, c.title);
        Answer answer;
        selector.run(request.get(), answer.Completion());
        ASSERT_TRUE(PollUntilAnswered(selector, answer)) << c.program;
        EXPECT_EQ(answer.path, c.expected);
    }
}

TEST_F(FileSelectorTest, ZenityIsFoundOnPathBeforeKdialog) {
    for (const char* name : {"zenity", "kdialog"}) {
        std::ofstream(folder / name) << "#!/bin/sh\necho /from/" << name << "\n";
        fs::permissions(folder / name, fs::perms::owner_all);
    }
    const std::string oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", (folder.string() + ":" + oldPath).c_str(), 1);
    CFileSelector selector(effect);
    Request request;
    Answer zenity;
    selector.run(request.get(), zenity.Completion());
    EXPECT_TRUE(PollUntilAnswered(selector, zenity));
    fs::remove(folder / "zenity");
    Answer kdialog;
    selector.run(request.get(), kdialog.Completion());
    EXPECT_TRUE(PollUntilAnswered(selector, kdialog));
    ::setenv("PATH", oldPath.c_str(), 1);
    EXPECT_EQ(zenity.path, "/from/zenity");
    EXPECT_EQ(kdialog.path, "/from/kdialog");
}

TEST_F(FileSelectorTest, TheEditorsIdleDeliversTheAnswer) {
    FrameEditor* open = OpenEditor();
    CFileSelector::SetDialogProgramForTesting(Script("chooser", "echo /tmp/from-idle.fxp").c_str());
    CFileSelector selector(effect);
    Request request;
    Answer answer;
    selector.run(request.get(), answer.Completion());
    for (int i = 0; i < 1000 && answer.calls == 0; ++i) {
        open->idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(answer.path, "/tmp/from-idle.fxp");
}

TEST_F(FileSelectorTest, DestroyingTheSelectorEndsARunningDialogWithoutAnAnswer) {
    const std::string pidFile = (folder / "pid").string();
    CFileSelector::SetDialogProgramForTesting(Script("slow", "echo $$ > " + pidFile + "; exec sleep 30").c_str());
    Answer answer;
    auto selector = std::make_unique<CFileSelector>(effect);
    Request request;
    selector->run(request.get(), answer.Completion());
    pid_t child = 0;
    for (int i = 0; i < 400 && child == 0; ++i) {
        std::ifstream(pidFile) >> child;
        if (child == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_NE(child, 0);
    const auto before = std::chrono::steady_clock::now();
    selector.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_EQ(answer.calls, 0);
    EXPECT_NE(::kill(child, 0), 0);  // gone, and reaped: no zombie left to signal
}

TEST_F(FileSelectorTest, PathFieldInTheFrameWhenNothingElseCanAsk) {
    CFileSelector::SetDialogProgramForTesting("field");
    FrameEditor* open = OpenEditor();
    CFrame* frame = open->getFrame();
    HeadlessPlatformFrame* window = open->headless();
    CFileSelector selector(effect);

    struct Case {
        const char* initial;
        const char* typed;
        unsigned char finish;  // a virtual key, or 0 for the OK area, 1 for the Cancel area
        std::optional<std::string> path;
    } cases[] = {
        {nullptr, "/tmp/new.fxp", VKEY_RETURN, std::string("/tmp/new.fxp")},
        {"/home/user/", "monks", VKEY_ENTER, std::string("/home/user/monks")},
        {nullptr, "/tmp/escaped.fxp", VKEY_ESCAPE, std::nullopt},
        {nullptr, "/tmp/ok.fxp", 0, std::string("/tmp/ok.fxp")},
        {nullptr, "/tmp/cancel.fxp", 1, std::nullopt},
        {nullptr, "", VKEY_RETURN, std::nullopt},
    };
    for (const Case& c : cases) {
        Request request;
        request->initialPath = const_cast<char*>(c.initial);
        Answer answer;
        ASSERT_EQ(selector.run(request.get(), answer.Completion()), 1);
        ASSERT_EQ(frame->getNbViews(), 1);
        auto* field = dynamic_cast<CPathField*>(frame->getView(0));
        ASSERT_NE(field, nullptr);
        EXPECT_TRUE(field->isEditing());
        window->typeText(c.typed);
        if (c.finish == 0) {
            window->click(field->okRect().getTopLeft().offset(3, 3));
        } else if (c.finish == 1) {
            window->click(field->cancelRect().getTopLeft().offset(3, 3));
        } else {
            window->keyDown(VstKeyCode{0, c.finish, 0});
        }
        selector.poll();
        ASSERT_EQ(answer.calls, 1) << c.typed;
        if (c.path.has_value()) {
            EXPECT_EQ(answer.path, *c.path);
        } else {
            EXPECT_TRUE(answer.null) << c.typed;
        }
        EXPECT_EQ(frame->getNbViews(), 0);  // removed afterwards
    }
    EXPECT_TRUE(effect->brackets.empty());  // the field edits no parameter
}

TEST_F(FileSelectorTest, PathFieldWaitsThroughFocusLossAndEndsWithTheWindow) {
    CFileSelector::SetDialogProgramForTesting("field");
    FrameEditor* open = OpenEditor();
    CFileSelector selector(effect);
    Request request;
    Answer answer;
    selector.run(request.get(), answer.Completion());
    open->headless()->typeText("/tmp/half");
    open->headless()->focusLost();  // the user looks elsewhere: no answer
    selector.poll();
    EXPECT_EQ(answer.calls, 0);
    EXPECT_EQ(open->getFrame()->getNbViews(), 1);

    open->close();  // the host closes the window with the field in it
    selector.poll();
    EXPECT_EQ(answer.calls, 1);
    EXPECT_TRUE(answer.null);
    EXPECT_FALSE(selector.isRunning());
}

TEST_F(FileSelectorTest, WithoutAWindowTheFieldCannotAskAndTheSelectorSaysSo) {
    CFileSelector::SetDialogProgramForTesting("field");
    CFileSelector selector(effect);
    Request request;
    Answer answer;
    EXPECT_EQ(selector.run(request.get(), answer.Completion()), 0);
    EXPECT_EQ(answer.calls, 1);
    EXPECT_TRUE(answer.null);
}

TEST_F(FileSelectorTest, DestroyingTheSelectorTakesAShowingFieldAway) {
    CFileSelector::SetDialogProgramForTesting("field");
    FrameEditor* open = OpenEditor();
    auto selector = std::make_unique<CFileSelector>(effect);
    Request request;
    Answer answer;
    selector->run(request.get(), answer.Completion());
    ASSERT_EQ(open->getFrame()->getNbViews(), 1);
    selector.reset();
    EXPECT_EQ(open->getFrame()->getNbViews(), 0);
    EXPECT_EQ(answer.calls, 0);
}

}  // namespace
