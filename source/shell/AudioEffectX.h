// The extended VST 2.4 effect: host opcodes 25..79, the remaining host callbacks as member
// operations, and a neutral default for every extended operation. Subclasses override the few
// they answer differently.
#pragma once

#include "shell/AudioEffect.h"

class AudioEffectX : public AudioEffect {
public:
    // Host thread.
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    // Host threads: opcodes 25..79 here, everything else to the base.
    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    // Host thread: asks the host for events when the effect takes MIDI.
    void resume() override;

    // Any thread.
    virtual bool canParameterBeAutomated(VstInt32 /*index*/) { return true; }
    // Host thread.
    virtual bool string2parameter(VstInt32 /*index*/, char* /*text*/) { return false; }
    // Host thread.
    virtual bool getParameterProperties(VstInt32 /*index*/, VstParameterProperties* /*p*/) { return false; }
    // UI thread: brackets a user gesture on one parameter for the host.
    virtual bool beginEdit(VstInt32 index);
    // UI thread.
    virtual bool endEdit(VstInt32 index);
    // Host thread.
    virtual bool getProgramNameIndexed(VstInt32 /*category*/, VstInt32 /*index*/, char* /*text*/) { return false; }
    // Host or UI thread.
    virtual bool beginSetProgram() { return false; }
    // Host or UI thread.
    virtual bool endSetProgram() { return false; }
    // Host thread.
    virtual VstInt32 beginLoadBank(VstPatchChunkInfo* /*ptr*/) { return 0; }
    // Host thread.
    virtual VstInt32 beginLoadProgram(VstPatchChunkInfo* /*ptr*/) { return 0; }
    // Host thread: tells the host that pins or latency changed.
    virtual bool ioChanged();
    // Host thread: takes the host's rate when it is positive; returns the rate in use.
    virtual double updateSampleRate();
    // Host thread: takes the host's block size when it is positive; returns the size in use.
    virtual VstInt32 updateBlockSize();
    // Any thread.
    virtual VstInt32 getInputLatency();
    // Any thread.
    virtual VstInt32 getOutputLatency();
    // Host thread.
    virtual bool getInputProperties(VstInt32 /*index*/, VstPinProperties* /*properties*/) { return false; }
    // Host thread.
    virtual bool getOutputProperties(VstInt32 /*index*/, VstPinProperties* /*properties*/) { return false; }
    // Host thread.
    virtual bool setSpeakerArrangement(VstSpeakerArrangement* /*in*/, VstSpeakerArrangement* /*out*/) {
        return false;
    }
    // Host thread: no arrangement of its own; both answers are null.
    virtual bool getSpeakerArrangement(VstSpeakerArrangement** in, VstSpeakerArrangement** out);
    // Host thread.
    virtual bool setBypass(bool /*onOff*/) { return false; }
    // Host thread.
    virtual bool setPanLaw(VstInt32 /*type*/, float /*value*/) { return false; }
    // Host thread.
    virtual bool setProcessPrecision(VstInt32 /*precision*/) { return false; }
    // Host thread.
    virtual VstInt32 getNumMidiInputChannels() { return 0; }
    // Host thread.
    virtual VstInt32 getNumMidiOutputChannels() { return 0; }
    // Audio thread: the host's transport record, or null.
    virtual VstTimeInfo* getTimeInfo(VstInt32 filter);
    // Any thread.
    virtual VstInt32 getCurrentProcessLevel();
    // Any thread.
    virtual VstInt32 getAutomationState();
    // Audio thread.
    virtual VstInt32 processEvents(VstEvents* /*events*/) { return 0; }
    // Host thread.
    virtual VstInt32 startProcess() { return 0; }
    // Host thread.
    virtual VstInt32 stopProcess() { return 0; }
    // Audio thread.
    virtual bool processVariableIo(VstVariableIo* /*varIo*/) { return false; }
    // Host thread.
    virtual VstInt32 setTotalSampleToProcess(VstInt32 value) { return value; }
    // Any thread: text must hold 64 bytes.
    virtual bool getHostVendorString(char* text);
    // Any thread: text must hold 64 bytes.
    virtual bool getHostProductString(char* text);
    // Any thread.
    virtual VstInt32 getHostVendorVersion();
    // Any thread.
    virtual VstIntPtr hostVendorSpecific(VstInt32 arg1, VstIntPtr arg2, void* ptrArg, float floatArg);
    // Any thread.
    virtual bool canHostDo(char* text);
    // Any thread: the host's own answer to a capability query: 1 yes, -1 no, 0 does not know.
    VstIntPtr canHostDoAnswer(const char* text);
    // Any thread.
    virtual VstInt32 getHostLanguage();
    // Host thread (construction).
    virtual void isSynth(bool state = true) { SetFlag(effFlagsIsSynth, state); }
    // Host thread (construction).
    virtual void noTail(bool state = true) { SetFlag(effFlagsNoSoundInStop, state); }
    // Host thread.
    virtual VstInt32 getGetTailSize() { return 0; }
    // Any thread: the host's folder of this plug-in, or null.
    virtual void* getDirectory();
    // Host thread.
    virtual bool getEffectName(char* /*name*/) { return false; }
    // Host thread.
    virtual bool getVendorString(char* /*text*/) { return false; }
    // Host thread.
    virtual bool getProductString(char* /*text*/) { return false; }
    // Host thread.
    virtual VstInt32 getVendorVersion() { return 0; }
    // Host thread.
    virtual VstIntPtr vendorSpecific(VstInt32 /*lArg*/, VstIntPtr /*lArg2*/, void* /*ptrArg*/, float /*floatArg*/) {
        return 0;
    }
    // Host thread: 1 yes, -1 no, 0 unknown.
    virtual VstInt32 canDo(char* /*text*/) { return 0; }
    // Host thread.
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    // Host thread.
    virtual VstInt32 getPlugCategory();
    // Host thread.
    virtual VstInt32 getMidiProgramName(VstInt32 /*channel*/, MidiProgramName* /*name*/) { return 0; }
    // Host thread.
    virtual VstInt32 getCurrentMidiProgram(VstInt32 /*channel*/, MidiProgramName* /*current*/) { return -1; }
    // Host thread.
    virtual VstInt32 getMidiProgramCategory(VstInt32 /*channel*/, MidiProgramCategory* /*category*/) {
        return 0;
    }
    // Host thread.
    virtual bool hasMidiProgramsChanged(VstInt32 /*channel*/) { return false; }
    // Host thread.
    virtual bool getMidiKeyName(VstInt32 /*channel*/, MidiKeyName* /*keyName*/) { return false; }
    // Any thread: asks the host to read programs and parameters again.
    virtual bool updateDisplay();
    // UI thread.
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
    // UI thread: false without asking when select is null.
    virtual bool openFileSelector(VstFileSelect* select);
    // UI thread: false without asking when select is null.
    virtual bool closeFileSelector(VstFileSelect* select);
    // Host thread.
    virtual VstInt32 getNextShellPlugin(char* /*name*/) { return 0; }

    // Any thread but audio: a zeroed arrangement of the given channels, freeing any old one.
    virtual bool allocateArrangement(VstSpeakerArrangement** arrangement, VstInt32 nbChannels);
    // Any thread but audio: frees and nulls the arrangement.
    virtual bool deallocateArrangement(VstSpeakerArrangement** arrangement);
    // Any thread: one speaker record, the name held to 63 characters.
    virtual bool copySpeaker(VstSpeakerProperties* to, VstSpeakerProperties* from);
    // Any thread but audio: makes *to a copy of from; false at the first failure.
    virtual bool matchArrangement(VstSpeakerArrangement** to, VstSpeakerArrangement* from);

    // Offline host callbacks, host thread.
    virtual bool offlineRead(VstOfflineTask* offline, VstInt32 option, bool readSource = true);
    virtual bool offlineWrite(VstOfflineTask* offline, VstInt32 option);
    virtual bool offlineStart(VstAudioFile* ptr, VstInt32 numAudioFiles, VstInt32 numNewAudioFiles);
    virtual VstInt32 offlineGetCurrentPass();
    virtual VstInt32 offlineGetCurrentMetaPass();
    // Offline requests from the host, host thread.
    virtual bool offlineNotify(VstAudioFile* /*ptr*/, VstInt32 /*numAudioFiles*/, bool /*start*/) { return false; }
    virtual bool offlinePrepare(VstOfflineTask* /*offline*/, VstInt32 /*count*/) { return false; }
    virtual bool offlineRun(VstOfflineTask* /*offline*/, VstInt32 /*count*/) { return false; }
    virtual VstInt32 offlineGetNumPasses() { return 0; }
    virtual VstInt32 offlineGetNumMetaPasses() { return 0; }

    // Host thread: asks the host to send events.
    virtual void wantEvents(VstInt32 filter = 1);
    // Any thread.
    virtual VstInt32 tempoAt(VstInt32 pos);
    // Any thread.
    virtual VstInt32 getNumAutomatableParameters();
    // Any thread.
    virtual VstInt32 getParameterQuantization();
    // Host thread.
    virtual VstInt32 getNumCategories() { return 1; }
    // Host thread.
    virtual bool copyProgram(VstInt32 /*destination*/) { return false; }
    // Any thread: asks the host for idle calls.
    virtual bool needIdle();
    // Host thread.
    virtual AEffect* getPreviousPlug(VstInt32 input);
    // Host thread.
    virtual AEffect* getNextPlug(VstInt32 output);
    // Host thread.
    virtual void inputConnected(VstInt32 /*index*/, bool /*state*/) {}
    // Host thread.
    virtual void outputConnected(VstInt32 /*index*/, bool /*state*/) {}
    // Any thread.
    virtual VstInt32 willProcessReplacing();
    // Host thread (construction).
    virtual void wantAsyncOperation(bool /*state*/ = true) {}
    // Host thread (construction).
    virtual void hasExternalBuffer(bool /*state*/ = true) {}
    // Host thread.
    virtual VstInt32 reportCurrentPosition() { return 0; }
    // Host thread.
    virtual float* reportDestinationBuffer() { return nullptr; }
    // Host thread.
    virtual void setOutputSamplerate(float samplerate);
    // Host thread.
    virtual VstSpeakerArrangement* getInputSpeakerArrangement();
    // Host thread.
    virtual VstSpeakerArrangement* getOutputSpeakerArrangement();
    // UI thread.
    virtual void* openWindow(void* window);
    // UI thread.
    virtual bool closeWindow(void* window);
    // Host thread: both values through the base's checks.
    virtual void setBlockSizeAndSampleRate(VstInt32 newBlockSize, float newSampleRate);
    // Host thread.
    virtual bool getErrorText(char* /*text*/) { return false; }
    // Host thread.
    virtual void* getIcon() { return nullptr; }
    // UI thread.
    virtual bool setViewPosition(VstInt32 /*x*/, VstInt32 /*y*/) { return false; }
    // Host thread.
    virtual VstInt32 fxIdle() { return 0; }
    // Host thread.
    virtual bool keysRequired() { return false; }
    // Host thread: false without asking when nativePath is null.
    virtual bool getChunkFile(void* nativePath);

    // Audio thread: true when the host took the events.
    bool sendVstEventsToHost(VstEvents* events);
};
