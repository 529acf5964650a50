#include "ProgramProfile.h"

namespace {

// Shorthands for the spread table; arguments are plain decimals.
constexpr Spread Flat(double lo, double hi) { return {Shape::Uniform, U(lo), U(hi)}; }
constexpr Spread Peak(double centre, double half) { return {Shape::Triangle, U(centre), U(half)}; }
constexpr Spread Ends(double width) { return {Shape::Edges, U(width), 0}; }

// Value meanings the shapes below lean on: shift 160*(v-0.5) Hz; drift depth up to +-70 Hz at
// 2.6*s^3+0.2 Hz; delay v/3 s; delay wobble 550*v samples at 2*s^4+0.1 Hz; pan 0 left, 1 right.
std::vector<ProgramProfile> MakeProfiles() {
    const int z = 0;
    const int h = kHalf;
    const int o = kUnits;
    return {
        {.name = "1 Many Monks",
         .intent = "A close choir of monks: every voice within about 20 Hz of the sung spectrum, "
                   "all entering within a fifth of a second, most of them holding still.",
         .globals = {U(0.65), z, U(0.5), U(0.37), z, U(0.455), z, U(0.285), U(0.5)},
         .spread = {Peak(0.5, 0.12), Flat(0.02, 0.25), Flat(0.1, 0.95), Flat(0.04, 0.6), Flat(0.1, 0.35),
                    Flat(0.02, 0.9), Peak(0.6, 0.38)},
         .pins = {{kPitchModGain, z, 30}},
         .fixed = {{0, {U(0.560784), z, U(0.357635), U(0.307985), U(0.16128), U(0.185822), U(0.540785), h, h}},
                   {1, {U(0.44728), z, U(0.868408), U(0.106464), U(0.273933), U(0.271545), U(0.936556), h, z}},
                   {2, {U(0.607821), z, U(0.658112), U(0.356863), U(0.305009), U(0.054352), U(0.616314), h, z}},
                   {59, {U(0.429047), U(0.538849), U(0.89679), U(0.594452), U(0.186615), U(0.856201), U(0.504761), h, z}}}},
        {.name = "2 Crowded Hall",
         .intent = "A full hall: moderate spectral spread, voices arriving over the first 150 ms "
                   "from across the room, a few exactly on pitch.",
         .globals = {U(0.516667), z, U(0.56), z, U(0.21), U(0.81), z, U(0.395), U(0.5)},
         .spread = {Peak(0.5, 0.2), Flat(0.01, 0.15), Flat(0.1, 0.8), Flat(0.03, 0.45), Flat(0.05, 0.4),
                    Flat(0.05, 0.7), Flat(0.1, 0.9)},
         .pins = {{kShift, h, 4}, {kPitchModGain, z, 15}, {kPitchModSpeed, h, 5}, {kDelayModSpeed, h, 10}}},
        {.name = "3 Stadium Chant",
         .intent = "A chant filling a stadium: voices thrown hard left and right, arriving late "
                   "(a tenth to a third of a second), close in spectrum, steady.",
         .globals = {U(0.733333), z, U(0.5), z, z, o, z, U(0.61), U(0.5)},
         .spread = {Peak(0.5, 0.15), Flat(0.01, 0.12), Flat(0.05, 0.6), Flat(0.35, 1.0), Flat(0.1, 0.5),
                    Flat(0.02, 0.5), Ends(0.3)},
         .pins = {{kPitchModGain, z, 13}, {kDelayTime, o, 8}}},
        {.name = "4 Hello Planet!",
         .intent = "The whole planet answers: 59 voices of every spectrum, time and place, "
                   "through the widest diffuser.",
         .globals = {U(0.983333), z, U(0.57), z, U(0.165), U(0.9), z, o, U(0.5)},
         .spread = {Flat(0.1, 0.9), Flat(0.01, 0.3), Flat(0.0, 1.0), Flat(0.05, 1.0), Flat(0.05, 0.7),
                    Flat(0.0, 0.8), Flat(0.0, 1.0)},
         .pins = {{kDelayTime, o, 4}, {kFlag, o, 60}}},
        {.name = "Alien Ripper",
         .intent = "Voices torn far off the spectrum (48 to 80 Hz up or down) and shaken by fast, "
                   "deep delay wobble, all right on top of the source.",
         .globals = {U(0.566667), z, U(0.5), z, z, U(0.35), z, U(0.225), U(0.5)},
         .spread = {Ends(0.2), Flat(0.05, 0.5), Flat(0.4, 1.0), Flat(0.0, 0.08), Flat(0.4, 0.95), Flat(0.6, 1.0),
                    Flat(0.0, 1.0)},
         .pins = {{kPitchModSpeed, o, 8}, {kDelayTime, z, 15}, {kDelayModSpeed, o, 20}}},
        {.name = "Bodiless Robot",
         .intent = "A machine voice: fixed, strongly detuned copies with no drift and almost no "
                   "wobble, sounding at once, half dry.",
         .globals = {U(0.716667), z, U(0.5), U(0.5), z, U(0.66), z, z, U(0.5)},
         .spread = {Ends(0.35), Flat(0.0, 1.0), Flat(0.0, 1.0), Flat(0.001, 0.03), Flat(0.005, 0.05),
                    Flat(0.0, 0.3), Peak(0.5, 0.3)},
         .pins = {{kPitchModGain, z, 60}, {kDelayTime, z, 40}, {kDelayModGain, z, 30}}},
        {.name = "Busted Larynx",
         .intent = "A throat that will not hold a note: deep, fast pitch drift and fast delay "
                   "shake on voices that barely lag the source.",
         .globals = {U(0.65), z, U(0.5), z, z, o, z, z, U(0.5)},
         .spread = {Peak(0.5, 0.3), Flat(0.3, 0.95), Flat(0.5, 1.0), Flat(0.0, 0.1), Flat(0.2, 0.8), Flat(0.5, 1.0),
                    Peak(0.5, 0.35)},
         .pins = {{kPitchModGain, o, 20}, {kPitchModSpeed, o, 12}, {kDelayTime, z, 20}, {kDelayModSpeed, o, 20}}},
        {.name = "Choirish",
         .intent = "A gentle choir: voices within 10 Hz of the source, faint slow drift, "
                   "soft wobble, spread over the middle of the stage.",
         .globals = {U(0.65), z, U(0.5), z, z, U(0.675), z, z, U(0.5)},
         .spread = {Peak(0.5, 0.06), Flat(0.01, 0.08), Flat(0.1, 0.7), Flat(0.02, 0.3), Flat(0.08, 0.35),
                    Flat(0.02, 0.45), Flat(0.15, 0.85)},
         .pins = {{kShift, h, 10}, {kPitchModSpeed, h, 10}}},
        {.name = "Decender",
         .intent = "Every voice shifted down (8 to 72 Hz) on top of a global drop of 136 Hz, "
                   "a crowd sinking away from the source.",
         .globals = {U(0.733333), z, U(0.5), z, z, o, z, U(0.6), U(0.345)},
         .spread = {Flat(0.05, 0.45), Flat(0.02, 0.25), Flat(0.1, 0.8), Flat(0.05, 0.7), Flat(0.1, 0.5),
                    Flat(0.05, 0.6), Flat(0.05, 0.95)},
         .pins = {}},
        {.name = "Evil Snake",
         .intent = "Slithering voices: deep delay wobble at a slow, swaying rate, a slight "
                   "upward global shift, quieter wet level.",
         .globals = {U(0.733333), z, U(0.39), z, U(0.5), U(0.095), z, U(0.655), U(0.57)},
         .spread = {Peak(0.45, 0.3), Flat(0.05, 0.4), Flat(0.1, 0.7), Flat(0.05, 0.5), Flat(0.6, 1.0),
                    Flat(0.2, 0.7), Flat(0.0, 1.0)},
         .pins = {{kPitchModSpeed, h, 10}, {kDelayModGain, o, 20}, {kDelayModSpeed, h, 15}}},
        {.name = "Fat Pack",
         .intent = "A tight unison pack: voices within 8 Hz of the source and 17 ms of it, "
                   "many exactly on top, near the centre.",
         .globals = {U(0.733333), z, U(0.5), z, U(0.27), U(0.755), z, U(0.115), U(0.5)},
         .spread = {Peak(0.5, 0.05), Flat(0.005, 0.05), Flat(0.05, 0.6), Flat(0.002, 0.05), Flat(0.02, 0.2),
                    Flat(0.05, 0.5), Peak(0.5, 0.25)},
         .pins = {{kShift, h, 12}, {kPitchModGain, z, 40}, {kDelayTime, z, 30}, {kDelayModGain, z, 15}}},
        {.name = "Gated Layer",
         .intent = "A few steady layers stacked at spaced delays: little spectral spread, "
                   "mostly no drift, half dry.",
         .globals = {U(0.133333), z, U(0.5), U(0.5), U(0.5), U(0.5), z, U(0.245), U(0.5)},
         .spread = {Peak(0.5, 0.1), Flat(0.01, 0.1), Flat(0.0, 1.0), Flat(0.02, 0.4), Flat(0.02, 0.2),
                    Flat(0.0, 0.5), Flat(0.1, 0.9)},
         .pins = {{kShift, h, 8}, {kPitchModGain, z, 45}}},
        {.name = "Ghost Maker",
         .intent = "Ghosts: voices lifted 334 Hz by the global shift, drifting deep and slowly, "
                   "late and wavering.",
         .globals = {U(0.65), z, U(0.5), z, z, U(0.17), z, U(0.765), U(0.88)},
         .spread = {Peak(0.5, 0.35), Flat(0.45, 0.95), Flat(0.05, 0.5), Flat(0.2, 0.9), Flat(0.4, 0.95),
                    Flat(0.05, 0.5), Flat(0.0, 1.0)},
         .pins = {{kPitchModGain, o, 30}, {kPitchModSpeed, z, 8}, {kDelayModGain, o, 15}, {kFlag, o, 40}}},
        {.name = "Lost in the Wash",
         .intent = "The source dissolves: long delays, deep delay wobble, voices everywhere "
                   "in the field.",
         .globals = {U(0.733333), z, U(0.5), z, z, o, z, U(0.595), U(0.5)},
         .spread = {Peak(0.5, 0.25), Flat(0.02, 0.3), Flat(0.0, 0.8), Flat(0.3, 1.0), Flat(0.5, 1.0),
                    Flat(0.05, 0.6), Flat(0.0, 1.0)},
         .pins = {{kShift, h, 4}, {kDelayTime, o, 6}, {kDelayModGain, o, 20}, {kFlag, o, 30}}},
        {.name = "Mental Breakage",
         .intent = "One voice (raise the population for more) pulled off the spectrum and "
                   "torn by deep drift; the rest wait with values of every kind.",
         .globals = {U(0.016667), z, U(0.515), U(0.205), z, o, z, U(0.545), U(0.5)},
         .spread = {Flat(0.0, 1.0), Flat(0.2, 0.95), Flat(0.1, 1.0), Flat(0.0, 0.5), Flat(0.02, 0.5),
                    Flat(0.1, 1.0), Peak(0.5, 0.5)},
         .pins = {{kPitchModGain, o, 12}, {kDelayTime, z, 15}},
         .fixed = {{0, {U(0.775665), U(0.49), U(0.324116), z, U(0.095), U(0.330029), U(0.504532), h, z}}}},
        {.name = "Metal Ear Box",
         .intent = "A small metal box: frozen inharmonic shifts with no drift, delays of a few "
                   "milliseconds that ring like combs.",
         .globals = {U(0.566667), z, U(0.5), z, z, o, z, U(0.315), U(0.5)},
         .spread = {Peak(0.5, 0.4), Flat(0.0, 1.0), Flat(0.0, 1.0), Flat(0.0005, 0.012), Flat(0.001, 0.03),
                    Flat(0.0, 0.4), Flat(0.2, 0.8)},
         .pins = {{kPitchModGain, z, 60}, {kDelayTime, z, 30}, {kDelayModGain, z, 20}}},
        {.name = "Monster Pan",
         .intent = "A monster split across the speakers: every voice hard left or hard right, "
                   "pulled down by a 136 Hz global drop.",
         .globals = {U(0.733333), z, U(0.545), z, z, z, z, U(0.395), U(0.345)},
         .spread = {Flat(0.1, 0.6), Flat(0.02, 0.3), Flat(0.1, 0.8), Flat(0.05, 0.6), Flat(0.1, 0.6),
                    Flat(0.1, 0.8), Ends(0.06)},
         .pins = {}},
        {.name = "Mouse Delirium",
         .intent = "Squeaking mice: lifted 440 Hz by the global shift, drifting deep and fast, "
                   "delays shaking at full speed.",
         .globals = {U(0.516667), z, U(0.57), z, U(0.51), o, z, z, o},
         .spread = {Flat(0.4, 1.0), Flat(0.4, 0.95), Flat(0.5, 1.0), Flat(0.01, 0.3), Flat(0.5, 1.0),
                    Flat(0.6, 1.0), Flat(0.0, 1.0)},
         .pins = {{kPitchModGain, o, 30},
                  {kPitchModSpeed, o, 20},
                  {kDelayModGain, o, 20},
                  {kDelayModSpeed, o, 25},
                  {kFlag, o, 34}}},
        {.name = "New species 1",
         .intent = "Two strange creatures: voices pushed to the far ends of the spectrum with "
                   "deep drift, close behind the source, half dry.",
         .globals = {U(0.033333), z, U(0.5), U(0.42), z, o, z, z, U(0.5)},
         .spread = {Ends(0.25), Flat(0.2, 0.9), Flat(0.0, 1.0), Flat(0.0, 0.4), Flat(0.1, 0.7), Flat(0.0, 1.0),
                    Flat(0.1, 0.9)},
         .pins = {{kPitchModGain, o, 12}, {kDelayTime, z, 13}}},
        {.name = "New species 2",
         .intent = "A whole colony of creatures: 59 voices dropped 189 Hz by the global shift "
                   "and scattered in every other value.",
         .globals = {U(0.983333), z, U(0.605), z, U(0.46), U(0.325), z, U(0.31), U(0.285)},
         .spread = {Flat(0.0, 1.0), Flat(0.05, 0.6), Flat(0.0, 1.0), Flat(0.02, 0.7), Flat(0.1, 0.8),
                    Flat(0.0, 0.9), Flat(0.0, 1.0)},
         .pins = {{kFlag, o, 60}}},
        {.name = "Ocean Deep",
         .intent = "Under the sea: 59 voices dropped 440 Hz and shifted further down, late, "
                   "with slow deep swells, through the widest diffuser.",
         .globals = {U(0.983333), z, U(0.5), z, z, U(0.31), z, o, z},
         .spread = {Flat(0.1, 0.5), Flat(0.05, 0.4), Flat(0.0, 0.25), Flat(0.3, 1.0), Flat(0.5, 0.95),
                    Flat(0.0, 0.25), Flat(0.0, 1.0)},
         .pins = {{kPitchModSpeed, z, 12}, {kDelayTime, o, 5}, {kDelayModGain, o, 15}, {kFlag, o, 60}}},
        {.name = "Slow Mirror",
         .intent = "Voices in mirrored pairs: each twin stands opposite the other on the stage, "
                   "shifted the other way by as much, and both move very slowly.",
         .globals = {U(0.333333), z, U(0.62), U(0.5), o, U(0.21), z, U(0.495), U(0.5)},
         .spread = {Peak(0.5, 0.25), Flat(0.05, 0.4), Flat(0.0, 0.15), Flat(0.05, 0.5), Flat(0.1, 0.6),
                    Flat(0.0, 0.15), Flat(0.0, 0.45)},
         .pins = {{kShift, h, 4}, {kPitchModSpeed, z, 20}},
         .mirrored = true},
        {.name = "Spin up",
         .intent = "A crowd spinning upward: every voice shifted up (8 to 80 Hz), delays "
                   "whirling at fast rates.",
         .globals = {U(0.316667), z, U(0.5), z, z, o, z, z, U(0.5)},
         .spread = {Flat(0.55, 1.0), Flat(0.02, 0.3), Flat(0.2, 0.9), Flat(0.02, 0.5), Flat(0.1, 0.6),
                    Flat(0.4, 1.0), Flat(0.0, 1.0)},
         .pins = {{kDelayModSpeed, o, 14}}},
        {.name = "Up Lilt",
         .intent = "A light upward lilt: voices a little above the source (3 to 40 Hz), "
                   "swaying at a steady medium pace.",
         .globals = {U(0.2), z, U(0.51), z, z, o, z, z, U(0.5)},
         .spread = {Flat(0.52, 0.75), Flat(0.02, 0.15), Flat(0.3, 0.7), Flat(0.05, 0.4), Flat(0.1, 0.4),
                    Flat(0.3, 0.7), Flat(0.15, 0.85)},
         .pins = {{kPitchModSpeed, h, 15}, {kDelayModSpeed, h, 15}}},
    };
}

}  // namespace

const std::vector<ProgramProfile>& FactoryProfiles() {
    static const std::vector<ProgramProfile> profiles = MakeProfiles();
    return profiles;
}
