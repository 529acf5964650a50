#include "toolkit/CFileSelector.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/FileDialogProcess.h"
#include "shell/AudioEffectX.h"
#include "toolkit/AEffGUIEditor.h"
#include "toolkit/CFrame.h"
#include "toolkit/CPathField.h"

namespace {

// Every selector of the process, so the editors' idle can poll them all (UI thread only).
std::vector<CFileSelector*> gSelectors;
std::string gDialogProgram;

constexpr char kFieldFallback[] = "field";

// Text of a fixed-size record field, which need not be terminated.
std::string FieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

// The extension of a file type ("fxp"), from the Unix, DOS or Mac type, whichever is given.
std::string Extension(const VstFileType& type) {
    std::string ext = FieldText(type.unixType, sizeof type.unixType);
    if (ext.empty()) ext = FieldText(type.dosType, sizeof type.dosType);
    if (ext.empty()) ext = FieldText(type.macType, sizeof type.macType);
    ext.erase(0, ext.find_first_not_of('.'));
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::vector<std::string> DialogArguments(const std::string& program, const VstFileSelect& request) {
    const std::string title = FieldText(request.title, sizeof request.title);
    const std::string initial = request.initialPath != nullptr ? std::string(request.initialPath) : std::string();
    const bool save = request.command == kVstFileSave;
    const bool folder = request.command == kVstDirectorySelect;
    std::vector<std::pair<std::string, std::string>> filters;  // name, extension
    for (int i = 0; !folder && request.fileTypes != nullptr && i < request.nbFileTypes; ++i) {
        const VstFileType& type = request.fileTypes[i];
        const std::string ext = Extension(type);
        if (ext.empty()) continue;
        std::string name = FieldText(type.name, sizeof type.name);
        filters.emplace_back(name.empty() ? ext : name, ext);
    }

    std::vector<std::string> args;
    const size_t slash = program.rfind('/');
    if (program.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos, "kdialog") == 0) {
        args.push_back(save ? "--getsavefilename" : folder ? "--getexistingdirectory" : "--getopenfilename");
        args.push_back(initial.empty() ? std::string(".") : initial);
        if (!filters.empty()) {
            std::string filter;
            for (const auto& [name, ext] : filters) filter += (filter.empty() ? "" : "\n") + ("*." + ext + "|" + name);
            args.push_back(filter);
        }
        args.push_back("--title");
        args.push_back(title);
        return args;
    }
    args.push_back("--file-selection");
    if (save) {
        args.push_back("--save");
        args.push_back("--confirm-overwrite");
    }
    if (folder) args.push_back("--directory");
    args.push_back("--title=" + title);
    if (!initial.empty()) args.push_back("--filename=" + initial + (initial.back() == '/' ? "" : "/"));
    for (const auto& [name, ext] : filters) args.push_back("--file-filter=" + name + " | *." + ext);
    return args;
}

// The path a host left in the record, or empty when there is none or it is too long.
std::string HostPath(const VstFileSelect& request, const char* suppliedBuffer) {
    const char* source = request.returnPath;
    size_t bound = CFileSelector::kMaxPath;
    if (request.command == kVstMultipleFilesLoad && request.returnMultiplePaths != nullptr && request.nbReturnPath > 0) {
        source = request.returnMultiplePaths[0];
    } else if (source != nullptr && source == suppliedBuffer && request.sizeReturnPath > 0) {
        bound = std::min<size_t>(bound, static_cast<size_t>(request.sizeReturnPath));
    }
    if (source == nullptr) return {};
    const size_t length = strnlen(source, bound);
    return length < bound ? std::string(source, length) : std::string();
}

}  // namespace

struct CFileSelector::Dialog {
    Completion done;
    VstFileSelect* request = nullptr;
    FileDialogProcess process;
    CFrame* frame = nullptr;
    CPathField* field = nullptr;
    bool fieldAnswered = false;
    bool fieldGone = false;
    bool fieldHasPath = false;
    std::string fieldPath;

    ~Dialog() { removeField(); }

    void removeField() {
        if (field == nullptr) return;
        CPathField* gone = field;
        field = nullptr;
        gone->setAnswerHandler(nullptr);
        gone->setGoneHandler(nullptr);
        if (frame->getFocusView() == gone) frame->setFocusView(nullptr);
        frame->removeView(gone, true);
    }
};

CFileSelector::CFileSelector(void* effectPointer)
    : effect(dynamic_cast<AudioEffectX*>(static_cast<AudioEffect*>(effectPointer))) {
    gSelectors.push_back(this);
}

CFileSelector::~CFileSelector() {
    gSelectors.erase(std::remove(gSelectors.begin(), gSelectors.end(), this), gSelectors.end());
    dialog.reset();  // kills the child or removes the field; no completion
}

void CFileSelector::SetDialogProgramForTesting(const char* program) { gDialogProgram = program != nullptr ? program : ""; }

bool CFileSelector::isRunning() const { return dialog != nullptr; }

long CFileSelector::run(VstFileSelect* request, Completion done) {
    if (request == nullptr || dialog != nullptr) {
        if (done) done(nullptr);
        return 0;
    }

    // Only a plain yes counts: many hosts say -1 for no, which the shell's canHostDo reads as yes.
    if (effect != nullptr && effect->canHostDoAnswer("openFileSelector") > 0) {
        char* suppliedBuffer = request->returnPath;
        char** suppliedMultiple = request->returnMultiplePaths;
        std::string path;
        if (effect->openFileSelector(request)) {
            path = HostPath(*request, suppliedBuffer);
            effect->closeFileSelector(request);
            // What the host allocated is freed by the close: leave no pointer to it behind.
            if (request->returnPath != suppliedBuffer) request->returnPath = suppliedBuffer;
            if (request->returnMultiplePaths != suppliedMultiple) {
                request->returnMultiplePaths = suppliedMultiple;
                request->nbReturnPath = 0;
            }
        }
        if (done) done(path.empty() ? nullptr : path.c_str());
        return path.empty() ? 0 : 1;
    }

    auto started = std::make_unique<Dialog>();
    started->done = std::move(done);
    started->request = request;

    std::string program;
    if (gDialogProgram != kFieldFallback) {
        if (!gDialogProgram.empty()) {
            program = FileDialogProcess::FindOnPath(gDialogProgram);
        } else {
            program = FileDialogProcess::FindOnPath("zenity");
            if (program.empty()) program = FileDialogProcess::FindOnPath("kdialog");
        }
    }
    if (!program.empty() && started->process.Start(program, DialogArguments(program, *request))) {
        dialog = std::move(started);
        return 1;
    }

    // Neither the host nor a dialog program: ask inside the editor's own window.
    auto* editor = effect != nullptr ? dynamic_cast<AEffGUIEditor*>(effect->getEditor()) : nullptr;
    CFrame* frame = editor != nullptr ? editor->getFrame() : nullptr;
    if (frame == nullptr) {
        if (started->done) started->done(nullptr);
        return 0;
    }
    const std::string title = FieldText(request->title, sizeof request->title);
    auto* field = new CPathField(CPathField::PlaceIn(frame->getViewSize()), title.c_str(), request->initialPath);
    Dialog* waiting = started.get();
    field->setAnswerHandler([waiting](const char* path) {
        waiting->fieldAnswered = true;
        waiting->fieldHasPath = path != nullptr;
        if (path != nullptr) waiting->fieldPath = path;
    });
    field->setGoneHandler([waiting] {
        waiting->field = nullptr;
        waiting->fieldGone = true;
    });
    started->frame = frame;
    started->field = field;
    dialog = std::move(started);
    frame->addView(field);
    field->startEditing();
    return 1;
}

void CFileSelector::poll() {
    if (dialog == nullptr) return;
    std::string path;
    bool havePath = false;
    if (dialog->frame != nullptr) {
        if (!dialog->fieldAnswered && !dialog->fieldGone) return;
        havePath = dialog->fieldAnswered && dialog->fieldHasPath;
        path = dialog->fieldPath;
    } else {
        if (!dialog->process.Poll()) return;
        path = dialog->process.FirstLine();
        havePath = dialog->process.Succeeded() && !path.empty();
    }
    if (path.size() >= static_cast<size_t>(kMaxPath)) havePath = false;

    // The request ends before the completion runs, so the completion may start the next one.
    std::unique_ptr<Dialog> finished = std::move(dialog);
    Completion done = std::move(finished->done);
    VstFileSelect* request = finished->request;
    finished.reset();

    if (havePath && request->returnPath != nullptr) {
        const size_t room = request->sizeReturnPath > 0 ? static_cast<size_t>(request->sizeReturnPath) : kMaxPath;
        if (path.size() < room) {
            std::memcpy(request->returnPath, path.c_str(), path.size() + 1);
        } else {
            havePath = false;  // the caller's buffer cannot hold it
        }
    }
    if (done) done(havePath ? path.c_str() : nullptr);
}

void CFileSelector::PollAll() {
    // A completion may delete selectors (or make new ones); poll only those still alive.
    const std::vector<CFileSelector*> selectors = gSelectors;
    for (CFileSelector* selector : selectors) {
        if (std::find(gSelectors.begin(), gSelectors.end(), selector) != gSelectors.end()) selector->poll();
    }
}
