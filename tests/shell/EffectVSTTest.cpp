// The effect shell as a host meets it: the entry, identity and capabilities, pins and names,
// parameters, program actions and resume with what the editor hears of them, and audio.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>

#include "TestHost.h"
#include "platform/Bundle.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr int kResent = 736 - 5;  // a program change sends every index but the five action slots

TEST(PluginEntry, AsksTheHostsVersionAndMakesOneInstancePerCall) {
    TestHost host;
    host.answers[audioMasterVersion] = 0;
    EXPECT_EQ(CreateMurmurhallEffect(TestHost::Callback), nullptr);
    EXPECT_EQ(CreateMurmurhallEffect(nullptr), nullptr);
    EXPECT_EQ(host.calls, std::vector{HostCall(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f)});

    host.answers[audioMasterVersion] = 2400;
    const int references = Bundle::References();
    AEffect* first = CreateMurmurhallEffect(TestHost::Callback);
    AEffect* second = CreateMurmurhallEffect(TestHost::Callback);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    EXPECT_NE(first->object, second->object);
    EXPECT_EQ(Bundle::References(), references + 2);  // each instance's editor object holds one
    EXPECT_EQ(Dispatch(first, effClose), 1);
    EXPECT_EQ(Bundle::References(), references + 1);
    EXPECT_EQ(Dispatch(second, effGetVendorVersion), 202);  // untouched by the other one's close
    EXPECT_EQ(Dispatch(second, effClose), 1);
    EXPECT_EQ(Bundle::References(), references);
}

TEST_F(ShellTest, IdentityFlagsAndCountsThroughTheDispatcher) {
    EXPECT_EQ(std::tuple(effect->magic, effect->uniqueID, effect->numPrograms, effect->numParams, effect->numInputs,
                         effect->numOutputs, effect->initialDelay),
              std::tuple(kEffectMagic, 0x5A756271, 24, 736, 2, 2, 0));
    EXPECT_EQ(effect->flags, effFlagsHasEditor | effFlagsCanMono | effFlagsCanReplacing | effFlagsProgramChunks);
    char vendor[64] = {}, product[64] = {};
    EXPECT_EQ(std::tuple(Call(effGetVendorString, 0, 0, vendor), Call(effGetProductString, 0, 0, product)),
              std::tuple(1, 1));
    EXPECT_EQ(std::tuple(std::string(vendor), std::string(product)), std::tuple("Pondfrog", "Murmurhall"));
    VstEvents events{};
    const std::pair<VstInt32, VstIntPtr> answers[] = {
        {effGetVendorVersion, 202}, {effGetPlugCategory, 1},   {effGetVstVersion, 2400},      {effKeysRequired, 1},
        {effIdentify, 0x4E764566},  {effProcessEvents, 1},     {effGetNumProgramCategories, 1}};
    for (const auto& [opcode, answer] : answers) EXPECT_EQ(Call(opcode, 0, 0, &events), answer) << opcode;
    // The editor's window is as large as its background picture (opening it: tests/editor).
    ERect* rect = nullptr;
    EXPECT_EQ(Call(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(std::tuple(rect->top, rect->left), std::tuple(0, 0));
    EXPECT_GT(rect->bottom, 0);
    EXPECT_GT(rect->right, 0);
}

TEST_F(ShellTest, CanDoAnswersOnlyTheFourExactStringsAndOnlyTwoPinsExist) {
    const std::pair<std::string, VstIntPtr> cases[] = {
        {"receiveVstEvents", 1},   {"receiveVstMidiEvent", 1}, {"sendVstEvents", 1},      {"acceptIOChanges", 1},
        {"receiveVstEvents ", -1}, {"receivevstevents", -1},   {"sendVstMidiEvent", -1}, {"bypass", -1},
        {"offline", -1},           {"", -1},                   {"acceptIOChange", -1}};
    for (auto [text, answer] : cases) EXPECT_EQ(Call(effCanDo, 0, 0, text.data()), answer) << '"' << text << '"';

    for (VstInt32 index : {0, 1, 2, -1, 1 << 30}) {
        for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties}) {
            VstPinProperties pin;
            std::memset(&pin, 'U', sizeof(pin));  // 0x55
            const bool exists = index == 0 || index == 1, input = opcode == effGetInputProperties;
            EXPECT_EQ(Call(opcode, index, 0, &pin), exists ? 1 : 0) << index;
            const std::string label = (input ? "ZQ_in " : "ZQ_out ") + std::to_string(index + 1) + " In";
            // Numbered from 1; an output's arrangement type and a missing pin are left as they were.
            EXPECT_EQ(std::tuple(std::string(pin.label, strnlen(pin.label, 64)), pin.flags, pin.arrangementType),
                      exists ? std::tuple(label, 3, input ? kSpeakerArrStereo : 0x55555555)
                             : std::tuple(std::string(64, 'U'), 0x55555555, 0x55555555))
                << opcode << " " << index;
        }
    }
}

TEST_F(ShellTest, NamesFitTheHostsTwentyFourByteBuffers) {
    VstIntPtr result = 0;
    // Reads through a 64-byte buffer of 'x', marking a text that ran past 24 bytes.
    auto read = [&](VstInt32 opcode, VstInt32 index) {
        char text[64];
        std::memset(text, 'x', sizeof(text));
        result = Call(opcode, index, 7, text);  // value is the category for indexed names; ignored
        if (std::count(text, text + 64, 'x') == 64) return std::string("<untouched>");
        const bool fits = std::memchr(text, '\0', 24) != nullptr && std::count(text + 24, text + 64, 'x') == 40;
        return fits ? std::string(text) : std::string("<overflow>");
    };
    EXPECT_EQ(std::tuple(read(effGetParamName, 0), read(effGetParamName, 736), read(effGetParamName, -1)),
              std::tuple("Population", "NONE", "NONE"));
    for (VstInt32 index = 0; index < 736; ++index) {
        const std::string name = read(effGetParamName, index);
        ASSERT_TRUE(!name.empty() && name.size() <= 17 && name[0] != '<') << index << " " << name;
    }
    EXPECT_EQ(read(effGetParamDisplay, 5), "<untouched>");
    EXPECT_EQ(read(effGetParamLabel, 5), "amount");
    for (VstInt32 index = -1; index <= 24; ++index) {
        const std::string name = read(effGetProgramNameIndexed, index);
        const bool exists = index >= 0 && index < 24;
        EXPECT_TRUE(exists ? result == 1 && !name.empty() && name[0] != '<' : result == 0 && name == "<untouched>")
            << index << " " << name;
    }
    // A long name: the bank keeps the 27 characters its field holds, the host gets 23 and a zero.
    Call(effSetProgram, 0, 3);
    std::string longName = "A crowd of forty voices in a hall of stone";
    Call(effSetProgramName, 0, 0, longName.data());
    EXPECT_EQ(read(effGetProgramName, 0), longName.substr(0, 23));
    EXPECT_EQ(read(effGetProgramNameIndexed, 3), longName.substr(0, 23));
    EXPECT_EQ(std::string(shell->engine->bank.programs[3].name), longName.substr(0, 27));
}

TEST_F(ShellTest, ParametersProgramActionsAndProgramChanges) {
    struct Case {
        VstInt32 start, index;
        float value;
        VstIntPtr program;
        int notes;  // what the editor hears: how many notes, and the last one (index -1: not checked)
        std::pair<VstInt32, float> last;
    };
    const Case cases[] = {
        {3, 2, 0.3f, 3, 1, {2, 0.3f}},
        {3, 7, 0.5f, 3, 0, {-1, 0}},  // the preset-menu slot is only stored
        {0, 8, 5.0f / 24.0f, 5, kResent + 1, {8, 5.0f / 24.0f}},
        {5, 8, 1.0f, 5, 1, {8, 1.0f}},  // program 24 does not exist; the editor still hears
        {5, 8, -1.0f, 5, 1, {8, -1.0f}},
        {5, 8, 1.0e30f, 5, 1, {8, 1.0e30f}},
        {0, 9, 0.0f, 23, kResent + 1, {11, 23.0f}},  // down from 0 wraps to 23
        {23, 10, 0.0f, 0, kResent + 1, {11, 0.0f}},  // up from 23 wraps to 0
        {0, 10, 0.0f, 1, kResent + 1, {11, 1.0f}},
        {4, 9, 0.5f, 4, 0, {-1, 0}},  // the steps act on exactly 0.0 only
        {4, 10, 1.0f, 4, 0, {-1, 0}},
        {9, 14, 0.0f, 9, kResent, {-1, 0}},  // reload sends the program again, but not index 14
        {2, 736, 0.5f, 2, 0, {-1, 0}},
        {2, -1, 0.5f, 2, 0, {-1, 0}},
        {2, std::numeric_limits<VstInt32>::min(), 0.5f, 2, 0, {-1, 0}},
    };
    for (const Case& c : cases) {
        Call(effSetProgram, 0, c.start);
        const Bytes before = GetChunk(0);
        shell->notes.clear();
        host.calls.clear();
        Set(c.index, c.value);
        const std::string row = std::to_string(c.index) + " " + std::to_string(c.value);
        EXPECT_EQ(std::tuple(Program(), shell->engine->iCurProgram.load()), std::tuple(c.program, c.program)) << row;
        ASSERT_EQ(static_cast<int>(shell->notes.size()), c.notes) << row;
        EXPECT_TRUE(c.last.first < 0 || shell->notes.back() == c.last) << row;
        EXPECT_EQ(host.Count(audioMasterUpdateDisplay), c.notes >= kResent ? 1 : 0) << row;
        // A program change sends each stored value once, in order, but not the action slots.
        const ::Program& stored = shell->engine->bank.programs[c.program];
        for (int i = 0, previous = -1; c.notes >= kResent && i < kResent; previous = shell->notes[i++].first) {
            const auto [index, value] = shell->notes[i];
            ASSERT_TRUE(index > previous && index != 7 && index != 8 && index != 9 && index != 10 && index != 14);
            ASSERT_EQ(value, stored.Load(index)) << row << " " << index;
        }
        if (c.index < 0 || c.index > 735) {
            EXPECT_EQ(GetChunk(0), before) << row;
        } else if (c.program == c.start) {
            EXPECT_EQ(Get(c.index), c.value) << row;  // stored, whatever the action did
        }
    }
    // The host's value is kept bit for bit; only the engine's derivation reads NaN as 0.
    Set(2, kNaN);
    EXPECT_TRUE(std::isnan(Get(2)));
    Set(8, kNaN);
    EXPECT_EQ(std::tuple(Program(), Get(736), Get(-1)), std::tuple(2, 0.0f, 0.0f));
    // Program numbers outside the bank are refused; beyond 32 bits they must not wrap to 0.
    shell->notes.clear();
    for (VstIntPtr bad : {VstIntPtr{24}, VstIntPtr{-1}, VstIntPtr{1000}, VstIntPtr{1} << 32, -(VstIntPtr{1} << 40)})
        Call(effSetProgram, 0, bad);
    shell->setProgram(-5);
    EXPECT_EQ(Program(), 2);
    EXPECT_TRUE(shell->notes.empty());
}

TEST_F(ShellTest, ResumeSendsTheProgramAgainOnlyWhenTheRateChanged) {
    Call(effMainsChanged, 0, 0);
    EXPECT_EQ(host.Count(audioMasterWantMidi), 0);
    Call(effMainsChanged, 0, 2);  // any value but 0 resumes
    EXPECT_EQ(host.Count(audioMasterWantMidi), 1);  // it answers yes to receiveVstMidiEvent
    const std::pair<float, float> rates[] = {{kNaN, 44100.0f},  {std::numeric_limits<float>::infinity(), 44100.0f},
                                             {0.0f, 44100.0f},  {-96000.0f, 44100.0f},
                                             {8.0f, 1000.0f},   {1.0e9f, 768000.0f}, {48000.0f, 48000.0f}};
    float previous = 44100.0f;
    for (const auto& [rate, taken] : rates) {
        shell->notes.clear();
        Call(effSetSampleRate, 0, 0, nullptr, rate);
        Call(effMainsChanged, 0, 1);
        EXPECT_EQ(std::tuple(shell->getSampleRate(), GlobalSampleRate()), std::tuple(taken, taken)) << rate;
        EXPECT_EQ(static_cast<int>(shell->notes.size()), taken != previous ? kResent : 0) << rate;
        previous = taken;
    }
    for (VstIntPtr size : {VstIntPtr{256}, VstIntPtr{0}, VstIntPtr{-1}, VstIntPtr{1} << 32})
        Call(effSetBlockSize, 0, size);  // sizes that are no sizes are refused
    Call(effSetBlockSizeAndSampleRate, 0, -8, nullptr, 48000.0f);
    EXPECT_EQ(std::tuple(shell->getBlockSize(), shell->engine->iBlockSize), std::tuple(256, 256));
}

// 'u' untouched, 's' silence, 'r' rendered (finite, bounded, not silent), '!' anything else.
constexpr float kSentinel = 7.0f;
char Outcome(const std::vector<float>& samples) {
    auto all = [&](auto test) { return std::all_of(samples.begin(), samples.end(), test); };
    if (all([](float s) { return s == kSentinel; })) return 'u';
    if (all([](float s) { return s == 0.0f; })) return 's';
    return all([](float s) { return std::fabs(s) <= 4.0f; }) ? 'r' : '!';
}

TEST_F(ShellTest, CountsChannelsRendersAndTakesEveryBufferLayoutSafely) {
    float a[1], b[1];  // the channel counts follow the second pointer
    float* stereo[2] = {a, b};
    float* same[2] = {a, a};
    float* missing[2] = {a, nullptr};
    EXPECT_EQ(std::tuple(EffectVST::CountChannels(stereo), EffectVST::CountChannels(same),
                         EffectVST::CountChannels(missing), EffectVST::CountChannels(nullptr)),
              std::tuple(2, 1, 1, 0));
    constexpr int kFrames = 512;
    std::vector<float> in[2], out[2];
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < kFrames; ++i) in[c].push_back(0.5f * std::sin((0.05f - 0.019f * c) * i));
    struct Layout {
        int in0, in1, out0, out1;  // buffer numbers; -1 a null pointer, -2 a null array
        VstInt32 frames;
        bool accumulating;  // the old process entry, which must overwrite too
        const char* outcome;  // per output buffer
    };
    const Layout layouts[] = {
        {0, 1, 0, 1, kFrames, false, "rr"},   {0, 1, 0, 1, kFrames, true, "rr"},
        {0, 0, 0, -1, kFrames, false, "ru"},  {0, -1, 0, 0, kFrames, false, "ru"},  // mono both ways
        {-2, -2, 0, 1, kFrames, false, "ss"}, {-1, 1, 0, 1, kFrames, true, "ss"},  // no input: silence
        {0, 1, -1, 1, kFrames, false, "us"},  {0, 1, -2, -2, kFrames, false, "uu"},
        {0, 1, -1, -1, kFrames, false, "uu"}, {0, 1, 0, 1, 0, false, "uu"},
        {0, 1, 0, 1, -5, false, "uu"},        {-2, -2, 0, 1, -5, true, "uu"}};
    auto render = [&](const Layout& l) {
        for (auto& channel : out) channel.assign(kFrames, kSentinel);
        float* inputs[2] = {l.in0 >= 0 ? in[l.in0].data() : nullptr, l.in1 >= 0 ? in[l.in1].data() : nullptr};
        float* outputs[2] = {l.out0 >= 0 ? out[l.out0].data() : nullptr, l.out1 >= 0 ? out[l.out1].data() : nullptr};
        (l.accumulating ? effect->process : effect->processReplacing)(effect, l.in0 == -2 ? nullptr : inputs,
                                                                       l.out0 == -2 ? nullptr : outputs, l.frames);
        return std::string{Outcome(out[0]), Outcome(out[1])};
    };
    for (int block = 0; block < 20; ++block) ASSERT_EQ(render(layouts[0]).find('!'), std::string::npos) << block;
    EXPECT_EQ(render(layouts[0]), "rr");  // the input is heard
    for (size_t row = 0; row < std::size(layouts); ++row)
        EXPECT_EQ(render(layouts[row]), layouts[row].outcome) << "layout " << row;
}

}  // namespace
