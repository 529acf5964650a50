// The vectorised crowd kernel, written once over a small set of vector operations (the class V) and
// compiled once per instruction set. Include it only from a kernel source file, after every other
// header, inside that file's target region and anonymous namespace, with V defined:
//   V::W lanes; V::F floats, V::I 32-bit integers, V::M a lane mask; load/store/set1, arithmetic,
//   compares giving M, Select(m, a, b) = m ? a : b, Taps (the four line values of W people).
//
// Every person's float operations are those of the per-sample kernel, in the same order, so the
// oscillators, fades and delays come out bit for bit; only the order of summing the people differs.
//
// A run is rendered in batches of up to kCrowdBatchFrames frames:
//   1. read and guard the input of every frame;
//   2. step every person through the batch (lanes are people, frames in order): the modulation
//      oscillators, the delay and read position, the shift oscillator, gain and person fade; the
//      per-frame results go to the engine's scratch;
//   3. the serial per-channel work: diffuser, Hilbert, line writes. When no read of the batch can
//      reach an entry written later in the batch it runs for the whole batch first, otherwise
//      frame by frame with the taps;
//   4. the taps: per frame, every heard person's two interpolated reads, shifted, panned, summed;
//   5. wet, dry and the global fade into the outputs.

constexpr float kTiny = 1e-20f;        // keeps the recursive filters out of denormals
constexpr float kInputLimit = 1.0e6f;  // far above any real signal, far below overflow in the lines
constexpr float kMaxDelay = static_cast<float>(kLineSize - 1);  // a read never passes the ring

static_assert(kPersonLanes == kCrowdLanes && kPersonLanes % V::W == 0);

inline float SafeInput(float x) {
    if (!std::isfinite(x)) return 0.0f;
    return x > kInputLimit ? kInputLimit : (x < -kInputLimit ? -kInputLimit : x);
}

// Step 2 for the W people starting at lane `first`. Returns the largest delay d of the batch.
template <bool kFading>
float StepPeople(MurmurhallPlug& engine, CrowdScratch& scratch, int first, int frames, int writePos,
                 typename V::M active, typename V::M heard) {
    using F = typename V::F;
    using I = typename V::I;
    using M = typename V::M;
    PersonStates& ps = engine.person;
    const F one = V::Set1(1.0f);
    const F zero = V::Set1(0.0f);
    const F maxDelay = V::Set1(kMaxDelay);
    const F fadeUp = V::Set1(kFadeStepSize);
    const I ringMask = V::Set1i(kLineMask);

    F delaySin = V::Load(ps.fDelayLfoSin + first);
    F delayCos = V::Load(ps.fDelayLfoCos + first);
    const F delayCoef = V::Load(ps.fDelayLfoCoef + first);
    F pitchSin = V::Load(ps.fPitchLfoSin + first);
    F pitchCos = V::Load(ps.fPitchLfoCos + first);
    const F pitchCoef = V::Load(ps.fPitchLfoCoef + first);
    const F delayModGain = V::Load(ps.fDelayModGain + first);
    const F pitchModGain = V::Load(ps.fPitchModGain + first);
    // (fPitchAllCoef + fShiftCoef) + fPitchModGain * fPitchLfoSin, summed as the scalar kernel does.
    const F shiftBase = V::Add(V::Set1(engine.fPitchAllCoef), V::Load(ps.fShiftCoef + first));
    F shiftSin = V::Load(ps.fShiftSin + first);
    F shiftCos = V::Load(ps.fShiftCos + first);
    const F gain = V::Load(ps.fGain + first);
    const F pan0 = V::Select(heard, V::Load(ps.fPan[0] + first), zero);
    const F pan1 = V::Select(heard, V::Load(ps.fPan[1] + first), zero);
    F fade = V::Load(ps.fFade + first);
    F fadeInc = V::Load(ps.fFadeInc + first);
    I delay = V::Loadi(ps.iDelay + first);
    F delayF = V::Cvt(delay);
    const I target = V::Loadi(ps.iDelayTarget + first);

    F frac = V::Load(ps.fDelayFrac + first);
    I readPos = V::Loadi(ps.iReadPos + first);
    F largest = one;

    for (int s = 0; s < frames; ++s) {
        delaySin = V::Sub(delaySin, V::Mul(delayCoef, delayCos));
        delayCos = V::Add(delayCos, V::Mul(delayCoef, delaySin));
        pitchSin = V::Sub(pitchSin, V::Mul(pitchCoef, pitchCos));
        pitchCos = V::Add(pitchCos, V::Mul(pitchCoef, pitchSin));
        F d = V::Add(V::Mul(delayModGain, delaySin), delayF);
        d = V::Max(d, one);  // a NaN becomes 1, as no real state can be NaN
        d = V::Min(d, maxDelay);
        largest = V::Max(largest, d);
        const I whole = V::Cvtt(d);
        frac = V::Sub(d, V::Cvt(whole));
        readPos = V::Andi(V::Subi(V::Set1i((writePos + s) & kLineMask), whole), ringMask);
        V::Storei(scratch.readPos[s] + first, readPos);
        V::Store(scratch.frac[s] + first, frac);

        const F w = V::Add(shiftBase, V::Mul(pitchModGain, pitchSin));
        shiftSin = V::Sub(shiftSin, V::Mul(w, shiftCos));
        shiftCos = V::Add(shiftCos, V::Mul(w, shiftSin));
        V::Store(scratch.shiftSin[s] + first, shiftSin);
        V::Store(scratch.shiftCos[s] + first, shiftCos);

        const F g = V::Mul(gain, fade);  // taken before this frame's fade step
        V::Store(scratch.gain[0][s] + first, V::Mul(g, pan0));
        V::Store(scratch.gain[1][s] + first, V::Mul(g, pan1));
        if constexpr (kFading) {
            const M moving = V::And(heard, V::Neq(fadeInc, zero));
            fade = V::Select(moving, V::Add(fade, fadeInc), fade);
            const M bottom = V::And(moving, V::Lt(fade, zero));
            const M top = V::AndNot(bottom, V::And(moving, V::Gt(fade, one)));
            fadeInc = V::Select(bottom, fadeUp, fadeInc);
            delay = V::Selecti(bottom, target, delay);
            delayF = V::Select(bottom, V::Cvt(target), delayF);
            fade = V::Select(top, one, fade);
            fadeInc = V::Select(top, zero, fadeInc);
        }
    }

    // People past the population keep their state; unheard people keep their shift and fade.
    auto put = [](float* p, M m, F v) { V::Store(p, V::Select(m, v, V::Load(p))); };
    auto puti = [](int32_t* p, M m, I v) { V::Storei(p, V::Selecti(m, v, V::Loadi(p))); };
    put(ps.fDelayLfoSin + first, active, delaySin);
    put(ps.fDelayLfoCos + first, active, delayCos);
    put(ps.fPitchLfoSin + first, active, pitchSin);
    put(ps.fPitchLfoCos + first, active, pitchCos);
    put(ps.fDelayFrac + first, active, frac);
    puti(ps.iReadPos + first, active, readPos);
    put(ps.fShiftSin + first, heard, shiftSin);
    put(ps.fShiftCos + first, heard, shiftCos);
    if constexpr (kFading) {
        put(ps.fFade + first, heard, fade);
        put(ps.fFadeInc + first, heard, fadeInc);
        puti(ps.iDelay + first, heard, delay);
    }
    return V::MaxLane(largest);
}

// Step 3 for one frame: input through the diffuser and the Hilbert pair into the lines.
inline void WriteLinesFrame(MurmurhallPlug& engine, CrowdScratch& scratch, int channels, bool diffuse, int s,
                            int writePos) {
    for (int c = 0; c < channels; ++c) {
        float x = scratch.dry[c][s];
        if (diffuse)
            for (allpass& stage : engine.diffuser[c]) x = stage.process(x) + kTiny;
        float* line = engine.fLine[c];
        engine.hilbert[c].process(x + kTiny, line[2 * writePos], line[2 * writePos + 1]);
        if (writePos == 0) {
            line[2 * kLineSize] = line[0];
            line[2 * kLineSize + 1] = line[1];
        }
    }
}

// Step 3 for the whole batch. Each allpass only sees its own input sequence, so running the
// diffuser stage by stage over the batch gives what frame by frame gives, with more overlap.
inline void WriteLinesBatch(MurmurhallPlug& engine, CrowdScratch& scratch, int channels, bool diffuse, int frames,
                            int writePos) {
    for (int c = 0; c < channels; ++c) {
        float* x = scratch.wet[c];
        for (int s = 0; s < frames; ++s) x[s] = scratch.dry[c][s];
        if (diffuse)
            for (allpass& stage : engine.diffuser[c])
                for (int s = 0; s < frames; ++s) x[s] = stage.process(x[s]) + kTiny;
    }
    for (int s = 0; s < frames; ++s) {
        const int pos = (writePos + s) & kLineMask;
        for (int c = 0; c < channels; ++c) {
            float* line = engine.fLine[c];
            engine.hilbert[c].process(scratch.wet[c][s] + kTiny, line[2 * pos], line[2 * pos + 1]);
            if (pos == 0) {
                line[2 * kLineSize] = line[0];
                line[2 * kLineSize + 1] = line[1];
            }
        }
    }
}

// Step 4 for one frame and one channel: the sum of every heard person's shifted, panned read.
inline float TapFrame(const float* line, const CrowdScratch& scratch, int c, int s, int firstGroup, int groups) {
    using F = typename V::F;
    F sum = V::Set1(0.0f);
    for (int k = 0; k < groups; ++k) {
        const int first = (firstGroup + k) * V::W;
        F a0, b0, a1, b1;
        V::Taps(line, scratch.readPos[s] + first, a0, b0, a1, b1);
        const F sn = V::Load(scratch.shiftSin[s] + first);
        const F cs = V::Load(scratch.shiftCos[s] + first);
        const F y1 = V::Add(V::Mul(cs, b1), V::Mul(sn, a1));
        const F y0 = V::Add(V::Mul(cs, b0), V::Mul(sn, a0));
        const F y = V::Add(y1, V::Mul(V::Load(scratch.frac[s] + first), V::Sub(y0, y1)));
        sum = V::Add(sum, V::Mul(V::Load(scratch.gain[c][s] + first), y));
    }
    return V::Sum(sum);
}

void RenderCrowdVector(MurmurhallPlug& engine, const CrowdRun& run) {
    CrowdScratch& scratch = engine.crowdScratch;
    PersonStates& ps = engine.person;
    const int channels = run.numOutputs;
    const int population = engine.iPopulation;
    const bool solo = engine.iSolo != 0;
    const int selected = engine.iSelected;
    const bool diffuse = engine.fAllpassSpread > 0.0f;
    const float dry = engine.fDryGain;
    const float wet = run.wetScale;
    bool clipped = false;

    // Only the vectors that hold a heard person are tapped: with solo, the selected one's.
    const int groupsStepped = (population + V::W - 1) / V::W;
    const int firstTapped = solo ? selected / V::W : 0;
    const int groupsTapped = solo ? 1 : groupsStepped;

    for (int done = 0; done < run.frames; done += kCrowdBatchFrames) {
        const int frames = run.frames - done < kCrowdBatchFrames ? run.frames - done : kCrowdBatchFrames;
        const int writePos = engine.iWritePos;

        // 1. Every input of the batch is read before any output is written (buffers may be shared).
        for (int c = 0; c < channels; ++c)
            for (int s = 0; s < frames; ++s) scratch.dry[c][s] = SafeInput(run.input[c][done + s]);

        // 2.
        float largest = 1.0f;
        for (int k = 0; k < groupsStepped; ++k) {
            const int first = k * V::W;
            const typename V::M active = V::LanesBelow(first, population);
            const typename V::M heard = solo ? V::And(active, V::LaneIs(first, selected)) : active;
            const bool fading = V::Any(V::And(heard, V::Neq(V::Load(ps.fFadeInc + first), V::Set1(0.0f))));
            const float d = fading ? StepPeople<true>(engine, scratch, first, frames, writePos, active, heard)
                                   : StepPeople<false>(engine, scratch, first, frames, writePos, active, heard);
            largest = d > largest ? d : largest;
        }

        // 3 and 4. A read reaches back at most trunc(largest) + 1 entries from its frame's write
        // position; it can only meet a later frame's write when that wraps round the ring.
        const bool linesFirst = static_cast<int>(largest) + frames + 1 < kLineSize;
        if (linesFirst) WriteLinesBatch(engine, scratch, channels, diffuse, frames, writePos);
        for (int s = 0; s < frames; ++s) {
            if (!linesFirst) WriteLinesFrame(engine, scratch, channels, diffuse, s, (writePos + s) & kLineMask);
            for (int c = 0; c < channels; ++c)
                scratch.wet[c][s] = TapFrame(engine.fLine[c], scratch, c, s, firstTapped, groupsTapped);
        }

        // 5.
        for (int c = 0; c < channels; ++c) {
            float* out = run.output[c] + done;
            for (int s = 0; s < frames; ++s) {
                const float value = (wet * scratch.wet[c][s] + dry * scratch.dry[c][s]) * run.fadeGain[done + s];
                out[s] = value;
                clipped |= value >= 1.0f;
            }
        }
        engine.iWritePos = (writePos + frames) & kLineMask;
    }
    if (clipped) engine.iClip.store(1, std::memory_order_relaxed);
}
