#include "InfoCommand.h"

#include <cinttypes>

#include "FxpFile.h"
#include "HostCallback.h"
#include "PluginInstance.h"
#include "PluginModule.h"

namespace {

constexpr double kInfoSampleRate = 44100.0;
constexpr int32_t kInfoBlockSize = 512;

std::string Shown(const std::string& text) { return text.empty() ? std::string("(none)") : text; }

std::string PinFlags(int32_t flags) {
    std::string text;
    const auto add = [&text](const char* word) { text += (text.empty() ? "" : ", ") + std::string(word); };
    if (flags & kVstPinIsActive) add("active");
    if (flags & kVstPinIsStereo) add("stereo");
    if (flags & kVstPinUseSpeaker) add("speaker arrangement");
    return text.empty() ? std::string() : "  (" + text + ")";
}

void PrintPins(std::FILE* out, const char* title, int32_t count, bool input, const PluginInstance& plugin) {
    std::fprintf(out, "%-15s%d\n", title, count);
    for (int32_t i = 0; i < count; ++i) {
        VstPinProperties pin {};
        const bool described = input ? plugin.InputPin(i, pin) : plugin.OutputPin(i, pin);
        if (described) {
            const std::string label = PluginInstance::CleanText(pin.label, sizeof pin.label);
            std::fprintf(out, "  %5d  %s%s\n", i, Shown(label).c_str(), PinFlags(pin.flags).c_str());
        } else {
            std::fprintf(out, "  %5d  (not described)\n", i);
        }
    }
}

}  // namespace

std::string InfoCommand::FlagNames(int32_t flags) {
    static const struct {
        int32_t bit;
        const char* name;
    } known[] = {
        {effFlagsHasEditor, "HasEditor"},       {effFlagsHasClip, "HasClip"},
        {effFlagsHasVu, "HasVu"},               {effFlagsCanMono, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"}, {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},           {effFlagsNoSoundInStop, "NoSoundInStop"},
        {effFlagsExtIsAsync, "ExtIsAsync"},     {effFlagsExtHasBuffer, "ExtHasBuffer"},
        {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };
    std::string text;
    uint32_t rest = static_cast<uint32_t>(flags);
    for (const auto& flag : known) {
        if (rest & static_cast<uint32_t>(flag.bit)) {
            text += (text.empty() ? "" : " ") + std::string(flag.name);
            rest &= ~static_cast<uint32_t>(flag.bit);
        }
    }
    for (int bit = 0; bit < 32; ++bit) {
        if (rest & (1u << bit)) {
            text += (text.empty() ? "" : " ") + ("bit" + std::to_string(bit));
        }
    }
    return text.empty() ? std::string("(none)") : text;
}

std::string InfoCommand::CategoryName(long category) {
    static const char* const names[] = {
        "unknown", "effect", "synth", "analysis", "mastering", "spatializer",
        "room fx", "surround fx", "restoration", "offline process", "shell", "generator",
    };
    const long count = static_cast<long>(sizeof names / sizeof names[0]);
    const char* name = category >= 0 && category < count ? names[category] : "not a known category";
    return std::to_string(category) + " (" + name + ")";
}

void InfoCommand::Run(const std::string& pluginPath, std::FILE* out) {
    HostCallback host;
    PluginModule module(pluginPath);
    PluginInstance plugin(module, host);
    plugin.Configure(kInfoSampleRate, kInfoBlockSize);
    plugin.Resume();

    const AEffect& effect = plugin.Effect();
    std::fprintf(out, "%-15s%s (entry %s)\n", "Plug-in", module.Path().c_str(), module.EntryName().c_str());
    std::fprintf(out, "%-15s0x%08" PRIX32 " '%s'\n", "Unique ID", static_cast<uint32_t>(effect.uniqueID),
                 FxpFile::FourCC(effect.uniqueID).c_str());
    std::fprintf(out, "%-15s%d\n", "Version", effect.version);
    std::fprintf(out, "%-15s%s\n", "Effect name", Shown(plugin.EffectName()).c_str());
    std::fprintf(out, "%-15s%s\n", "Vendor", Shown(plugin.VendorString()).c_str());
    std::fprintf(out, "%-15s%s\n", "Product", Shown(plugin.ProductString()).c_str());
    std::fprintf(out, "%-15s%ld\n", "Vendor version", static_cast<long>(plugin.VendorVersion()));
    std::fprintf(out, "%-15s%s\n", "Category", CategoryName(static_cast<long>(plugin.Category())).c_str());
    std::fprintf(out, "%-15s%ld\n", "VST version", static_cast<long>(plugin.VstVersion()));
    std::fprintf(out, "%-15s0x%08" PRIX32 " %s\n", "Flags", static_cast<uint32_t>(effect.flags),
                 FlagNames(effect.flags).c_str());
    std::fprintf(out, "%-15s%d samples\n", "Initial delay", effect.initialDelay);

    PrintPins(out, "Inputs", plugin.NumInputs(), true, plugin);
    PrintPins(out, "Outputs", plugin.NumOutputs(), false, plugin);

    std::fprintf(out, "%-15s%d\n", "Parameters", plugin.NumParams());
    for (int32_t i = 0; i < plugin.NumParams(); ++i) {
        std::fprintf(out, "  %5d  %-24s %-10s %.6f\n", i, Shown(plugin.ParameterName(i)).c_str(),
                     plugin.ParameterLabel(i).c_str(), static_cast<double>(plugin.Parameter(i)));
    }

    std::fprintf(out, "%-15s%d (current %ld)\n", "Programs", plugin.NumPrograms(),
                 static_cast<long>(plugin.CurrentProgram()));
    for (int32_t i = 0; i < plugin.NumPrograms(); ++i) {
        const std::string name = plugin.ProgramName(i);
        std::fprintf(out, "  %5d  %s\n", i, name.empty() ? "(no name)" : name.c_str());
    }
    plugin.Suspend();
}
