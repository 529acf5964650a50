// The vectorised crowd kernel, written once over a small set of vector operations (the class V) and
// compiled once per instruction set. Include it only from a kernel source file, after every other
// header, inside that file's target region and anonymous namespace, with V defined:
//   V::W lanes; V::F floats, V::I 32-bit integers, V::M a lane mask; load/store/set1, arithmetic
//   (MulAdd(a, b, c) = a * b + c, fused where the instruction set has it),
//   compares giving M, Select(m, a, b) = m ? a : b, Bits(m), LoadNext and LoadPrevious (Loadu(p + 1)
//   and Loadu(p - 1) given Loadu(p)), Pairs, Even and Odd (for Taps below) and Transpose (a W x W
//   block of a first-pass row array).
//
// Every person's float operations are the per-sample steps' own, in the same order, so the
// oscillators, fades, delays and lines come out bit for bit. The outputs differ only by rounding:
// the people are summed in another order, and the taps may fuse their multiply-adds (they feed no
// state, so this cannot drift).
//
// A run is rendered in batches of up to kCrowdBatchFrames frames:
//   1. read and guard the input of every frame;
//   2. step every person through the batch (lanes are people, frames in order, two vectors of
//      people at a time): the modulation oscillators, the delay, the shift oscillator, gain and
//      person fade; the per-frame results go to the engine's scratch;
//   3. the serial per-channel work: diffuser, Hilbert, line writes. When no read of the batch can
//      reach an entry written later in the batch it runs for the whole batch first (each allpass
//      vectorised over the frames, the Hilbert sections of both channels as one pipelined bank),
//      otherwise frame by frame with the taps;
//   4. the taps: every heard person's two interpolated reads, shifted, panned, summed; over
//      blocks of W frames per person where the lines are written first and nobody fades
//      (FrameBlockTaps), otherwise per frame over W people;
//   5. wet, dry and the global fade into the outputs.

constexpr float kTiny = 1e-20f;        // keeps the recursive filters out of denormals
constexpr float kInputLimit = 1.0e6f;  // far above any real signal, far below overflow in the lines
constexpr float kMaxDelay = static_cast<float>(kLineSize - 1);  // a read never passes the ring

static_assert(kPersonLanes == kCrowdLanes && kPersonLanes % V::W == 0);

inline float SafeInput(float x) {
    if (!std::isfinite(x)) return 0.0f;
    return x > kInputLimit ? kInputLimit : (x < -kInputLimit ? -kInputLimit : x);
}

// SafeInput for W samples: non-finite ones (x - x is then NaN) become 0.
inline typename V::F SafeInputs(typename V::F x) {
    const typename V::F zero = V::Set1(0.0f);
    const typename V::F clamped = V::Min(V::Max(x, V::Set1(-kInputLimit)), V::Set1(kInputLimit));
    return V::Select(V::Eq(V::Sub(x, x), zero), clamped, zero);
}

// Step 2 for the W people starting at lane `first`: the constructor loads their state, Step runs
// one frame, keeping rows of delays (kDelayRows) or of read entries and fractions, and Finish
// stores the state back and returns the largest delay d of the batch (1 with kBounded: every d of
// the batch is then known to lie in 1..kMaxDelay (DelaysBoundedAhead), so the clamps, which could
// change nothing, are skipped).
template <bool kFading, bool kDelayRows, bool kBounded>
class PeopleStepper {
    using F = typename V::F;
    using I = typename V::I;
    using M = typename V::M;

public:
    [[gnu::always_inline]] PeopleStepper(MurmurhallPlug& engine, CrowdScratch& scratch, int first, M active, M heard)
        : ps(engine.person), scratch(scratch), first(first), active(active), heard(heard) {
        delaySin = V::Load(ps.fDelayLfoSin + first);
        delayCos = V::Load(ps.fDelayLfoCos + first);
        delayCoef = V::Load(ps.fDelayLfoCoef + first);
        pitchSin = V::Load(ps.fPitchLfoSin + first);
        pitchCos = V::Load(ps.fPitchLfoCos + first);
        pitchCoef = V::Load(ps.fPitchLfoCoef + first);
        delayModGain = V::Load(ps.fDelayModGain + first);
        pitchModGain = V::Load(ps.fPitchModGain + first);
        // (fPitchAllCoef + fShiftCoef) + fPitchModGain * fPitchLfoSin, in the per-sample order.
        shiftBase = V::Add(V::Set1(engine.fPitchAllCoef), V::Load(ps.fShiftCoef + first));
        shiftSin = V::Load(ps.fShiftSin + first);
        shiftCos = V::Load(ps.fShiftCos + first);
        gain = V::Load(ps.fGain + first);
        pan0 = V::Select(heard, V::Load(ps.fPan[0] + first), V::Set1(0.0f));
        pan1 = V::Select(heard, V::Load(ps.fPan[1] + first), V::Set1(0.0f));
        fade = V::Load(ps.fFade + first);
        fadeInc = V::Load(ps.fFadeInc + first);
        delay = V::Loadi(ps.iDelay + first);
        delayF = V::Cvt(delay);
        target = V::Loadi(ps.iDelayTarget + first);
        largest = V::Set1(1.0f);
        if constexpr (!kFading) {
            // Nobody fades: the gains hold for the whole batch, in row 0.
            const F g = V::Mul(gain, fade);
            V::Store(scratch.gain[0][0] + first, V::Mul(g, pan0));
            V::Store(scratch.gain[1][0] + first, V::Mul(g, pan1));
        }
    }

    [[gnu::always_inline]] void Step(int s, int writePos) {
        const F one = V::Set1(1.0f);
        delaySin = V::Sub(delaySin, V::Mul(delayCoef, delayCos));
        delayCos = V::Add(delayCos, V::Mul(delayCoef, delaySin));
        pitchSin = V::Sub(pitchSin, V::Mul(pitchCoef, pitchCos));
        pitchCos = V::Add(pitchCos, V::Mul(pitchCoef, pitchSin));
        F d = V::Add(V::Mul(delayModGain, delaySin), delayF);
        if constexpr (!kBounded) {
            d = V::Max(d, one);  // a NaN becomes 1, as no real state can be NaN
            d = V::Min(d, V::Set1(kMaxDelay));
            largest = V::Max(largest, d);
        }
        if constexpr (kDelayRows) {
            V::Store(scratch.delay[s] + first, d);
        } else {
            const I whole = V::Cvtt(d);
            V::Store(scratch.frac[s] + first, V::Sub(d, V::Cvt(whole)));
            V::Storei(scratch.entry[s] + first,
                      V::Andi(V::Subi(V::Set1i((writePos + s) & kLineMask), whole), V::Set1i(kLineMask)));
        }

        const F w = V::Add(shiftBase, V::Mul(pitchModGain, pitchSin));
        shiftSin = V::Sub(shiftSin, V::Mul(w, shiftCos));
        shiftCos = V::Add(shiftCos, V::Mul(w, shiftSin));
        V::Store(scratch.shiftSin[s] + first, shiftSin);
        V::Store(scratch.shiftCos[s] + first, shiftCos);

        if constexpr (kFading) {
            const F zero = V::Set1(0.0f);
            const F g = V::Mul(gain, fade);  // taken before this frame's fade step
            V::Store(scratch.gain[0][s] + first, V::Mul(g, pan0));
            V::Store(scratch.gain[1][s] + first, V::Mul(g, pan1));
            const M moving = V::And(heard, V::Neq(fadeInc, zero));
            fade = V::Select(moving, V::Add(fade, fadeInc), fade);
            const M bottom = V::And(moving, V::Lt(fade, zero));
            const M top = V::AndNot(bottom, V::And(moving, V::Gt(fade, one)));
            fadeInc = V::Select(bottom, V::Set1(kFadeStepSize), fadeInc);
            delay = V::Selecti(bottom, target, delay);
            delayF = V::Select(bottom, V::Cvt(target), delayF);
            fade = V::Select(top, one, fade);
            fadeInc = V::Select(top, zero, fadeInc);
        }
    }

    float Finish(int frames, int writePos) {
        // The last frame's read entry and fraction are the state the next block starts from.
        const int last = frames - 1;
        F frac;
        I readPos;
        if constexpr (kDelayRows) {
            const F d = V::Load(scratch.delay[last] + first);
            const I whole = V::Cvtt(d);
            frac = V::Sub(d, V::Cvt(whole));
            readPos = V::Andi(V::Subi(V::Set1i((writePos + last) & kLineMask), whole), V::Set1i(kLineMask));
        } else {
            frac = V::Load(scratch.frac[last] + first);
            readPos = V::Loadi(scratch.entry[last] + first);
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

private:
    PersonStates& ps;
    CrowdScratch& scratch;
    const int first;
    const M active, heard;
    F delaySin, delayCos, delayCoef, pitchSin, pitchCos, pitchCoef, delayModGain, pitchModGain;
    F shiftBase, shiftSin, shiftCos, gain, pan0, pan1, fade, fadeInc, delayF, largest;
    I delay, target;
};

// Step 2 for every vector of people: two vectors at a time, frame by frame, so that two
// independent oscillator chains are in flight. Returns the largest delay d of the batch (1 with
// kBounded).
template <bool kFading, bool kDelayRows, bool kBounded>
float StepPeople(MurmurhallPlug& engine, CrowdScratch& scratch, int groups, int frames, int writePos,
                 int population, bool solo, int selected) {
    using Stepper = PeopleStepper<kFading, kDelayRows, kBounded>;
    auto make = [&](int k) {
        const int first = k * V::W;
        const typename V::M active = V::LanesBelow(first, population);
        const typename V::M heard = solo ? V::And(active, V::LaneIs(first, selected)) : active;
        return Stepper(engine, scratch, first, active, heard);
    };
    float largest = 1.0f;
    auto keep = [&largest](float d) { largest = d > largest ? d : largest; };
    int k = 0;
    for (; k + 2 <= groups; k += 2) {
        Stepper a = make(k);
        Stepper b = make(k + 1);
        for (int s = 0; s < frames; ++s) {
            a.Step(s, writePos);
            b.Step(s, writePos);
        }
        keep(a.Finish(frames, writePos));
        keep(b.Finish(frames, writePos));
    }
    if (k < groups) {
        Stepper a = make(k);
        for (int s = 0; s < frames; ++s) a.Step(s, writePos);
        keep(a.Finish(frames, writePos));
    }
    return largest;
}

// Step 3 for one frame: input through the diffuser and the Hilbert pair into the lines.
inline void WriteLinesFrame(MurmurhallPlug& engine, CrowdScratch& scratch, int channels, bool diffuse, int s,
                            int writePos) {
    for (int c = 0; c < channels; ++c) {
        float x = scratch.dry[c][s];
        if (diffuse)
            for (allpass& stage : engine.diffuser[c]) x = stage.process(x) + kTiny;
        float* lineA = engine.fLine[c][0];
        float* lineB = engine.fLine[c][1];
        engine.hilbert[c].process(x + kTiny, lineA[writePos], lineB[writePos]);
        if (writePos == 0) {
            lineA[kLineSize] = lineA[0];
            lineB[kLineSize] = lineB[0];
        }
    }
}

// One allpass over a batch of frames, in place, adding the renderer's 1e-20 to each output.
// Within a stretch of positions that does not wrap, every entry is read once before it is written,
// so the stretch can run as vectors with exactly the per-sample arithmetic.
inline void DiffuseBatch(allpass& stage, float* x, int frames) {
    using F = typename V::F;
    float* memory = stage.Memory();
    const int size = stage.GetSize();
    int position = stage.GetPosition();
    const float g = stage.GetFeedback();
    const F vg = V::Set1(g);
    const F vng = V::Set1(-g);
    const F tiny = V::Set1(kTiny);
    float last = stage.GetLastOutput();
    for (int s = 0; s < frames;) {
        const int stretch = frames - s < size - position ? frames - s : size - position;
        float* m = memory + position;
        float* v = x + s;
        int i = 0;
        F y = V::Set1(last);
        for (; i + V::W <= stretch; i += V::W) {
            const F in = V::Loadu(v + i);
            y = V::Add(V::Mul(vng, in), V::Loadu(m + i));
            V::Storeu(m + i, V::Add(V::Mul(vg, y), in));
            V::Storeu(v + i, V::Add(y, tiny));
        }
        if (i > 0) {  // the last vector's last lane is the output so far
            alignas(64) float lanes[V::W];
            V::Store(lanes, y);
            last = lanes[V::W - 1];
        }
        for (; i < stretch; ++i) {
            const float in = v[i];
            const float y = -g * in + m[i];
            m[i] = g * y + in;
            v[i] = y + kTiny;
            last = y;
        }
        position += stretch;
        if (position >= size) position = 0;
        s += stretch;
    }
    stage.SetRunState(position, last);
}

// The Hilbert shifters of both channels over a batch, as one bank of four lanes (channel 0 first
// chain, channel 0 second chain, channel 1 first, channel 1 second) and six levels, one per
// section. Level k works on frame t - k at step t, so the six levels of a step are independent and
// each reads the previous step's output of the level before it. Each section still sees its
// samples in order with the arithmetic of FX_HilbertAllPass::process; the last level's lanes are
// A and B of both channels, kept per frame and written to the lines after the batch.
class HilbertBank {
public:
    HilbertBank(MurmurhallPlug& engine, int channels) : engine(engine), channels(channels) {
        FX_HilbertAllPass& h0 = engine.hilbert[0];
        FX_HilbertAllPass& h1 = engine.hilbert[channels == 2 ? 1 : 0];  // lanes 2, 3 unused in mono
        for (int k = 0; k < 6; ++k) {
            coef[k] = _mm_setr_ps(h0.Coefficient(k), h0.Coefficient(6 + k), h1.Coefficient(k), h1.Coefficient(6 + k));
            in[k] = _mm_setr_ps(h0.InputMemory()[k], h0.InputMemory()[6 + k], h1.InputMemory()[k],
                                h1.InputMemory()[6 + k]);
            out[k] = _mm_setr_ps(h0.OutputMemory()[k], h0.OutputMemory()[6 + k], h1.OutputMemory()[k],
                                 h1.OutputMemory()[6 + k]);
        }
    }

    ~HilbertBank() {
        for (int c = 0; c < channels; ++c) {
            float* inMem = engine.hilbert[c].InputMemory();
            float* outMem = engine.hilbert[c].OutputMemory();
            for (int k = 0; k < 6; ++k) {
                alignas(16) float lanes[4];
                _mm_store_ps(lanes, in[k]);
                inMem[k] = lanes[2 * c];
                inMem[6 + k] = lanes[2 * c + 1];
                _mm_store_ps(lanes, out[k]);
                outMem[k] = lanes[2 * c];
                outMem[6 + k] = lanes[2 * c + 1];
            }
        }
    }

    // x0, x1: the shifters' inputs (already with the 1e-20), one per frame.
    void Run(const float* x0, const float* x1, int frames, int writePos) {
        int t = 0;
        for (; t < frames + 5 && (t < 5 || t >= frames); ++t) Step<false>(x0, x1, frames, t);
        for (; t < frames; ++t) Step<true>(x0, x1, frames, t);
        for (; t < frames + 5; ++t) Step<false>(x0, x1, frames, t);
        Store(frames, writePos);
    }

private:
    template <bool kAllLevels>
    void Step(const float* x0, const float* x1, int frames, int t) {
#pragma GCC unroll 6
        for (int k = 5; k >= 0; --k) {
            if (!kAllLevels && (t - k < 0 || t - k >= frames)) continue;  // no frame at this level yet
            const __m128 x = k == 0 ? _mm_setr_ps(x0[t], x0[t], x1[t], x1[t]) : out[k - 1];
            const __m128 y = _mm_add_ps(_mm_mul_ps(coef[k], _mm_sub_ps(x, out[k])), in[k]);
            in[k] = x;
            out[k] = y;
        }
        const int frame = t - 5;
        if (frame >= 0 && frame < frames) results[frame] = out[5];
    }

    // The batch's A and B of both channels into the lines, four frames at a time where no
    // frame wraps round the ring.
    void Store(int frames, int writePos) {
        float* a0 = engine.fLine[0][0];
        float* b0 = engine.fLine[0][1];
        float* a1 = engine.fLine[channels - 1][0];
        float* b1 = engine.fLine[channels - 1][1];
        int f = 0;
        for (; f + 4 <= frames; f += 4) {
            const int pos = (writePos + f) & kLineMask;
            if (pos + 4 > kLineSize) break;
            __m128 r0 = results[f], r1 = results[f + 1], r2 = results[f + 2], r3 = results[f + 3];
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);  // r0: A of channel 0 for four frames, r1 its B, ...
            if (channels == 2) {
                _mm_storeu_ps(a1 + pos, r2);
                _mm_storeu_ps(b1 + pos, r3);
            }
            _mm_storeu_ps(a0 + pos, r0);
            _mm_storeu_ps(b0 + pos, r1);
        }
        for (; f < frames; ++f) {
            const int pos = (writePos + f) & kLineMask;
            alignas(16) float lanes[4];
            _mm_store_ps(lanes, results[f]);
            for (int c = 0; c < channels; ++c) {
                engine.fLine[c][0][pos] = lanes[2 * c];
                engine.fLine[c][1][pos] = lanes[2 * c + 1];
            }
        }
        if (((kLineSize - writePos) & kLineMask) < frames)  // entry 0 written: its guard copy
            for (int c = 0; c < channels; ++c) {
                engine.fLine[c][0][kLineSize] = engine.fLine[c][0][0];
                engine.fLine[c][1][kLineSize] = engine.fLine[c][1][0];
            }
    }

    MurmurhallPlug& engine;
    int channels;
    __m128 coef[6];
    __m128 in[6];
    __m128 out[6];
    __m128 results[kCrowdBatchFrames];  // per frame: A, B of channel 0, A, B of channel 1
};

// Step 3 for the whole batch.
inline void WriteLinesBatch(MurmurhallPlug& engine, CrowdScratch& scratch, int channels, bool diffuse, int frames,
                            int writePos) {
    for (int c = 0; c < channels; ++c) {
        float* x = scratch.wet[c];
        const float* dry = scratch.dry[c];
        int s = 0;
        if (diffuse) {
            for (; s + V::W <= frames; s += V::W) V::Store(x + s, V::Load(dry + s));
            for (; s < frames; ++s) x[s] = dry[s];
            for (allpass& stage : engine.diffuser[c]) DiffuseBatch(stage, x, frames);
            dry = x;
            s = 0;
        }
        for (; s + V::W <= frames; s += V::W) V::Store(x + s, V::Add(V::Load(dry + s), V::Set1(kTiny)));
        for (; s < frames; ++s) x[s] = dry[s] + kTiny;
    }
    HilbertBank bank(engine, channels);
    bank.Run(scratch.wet[0], scratch.wet[channels == 2 ? 1 : 0], frames, writePos);
}

// The shifted read between two line entries: y1 + frac (y0 - y1), y0 = cs B[i] + sn A[i] and y1 the
// same at i + 1, for W people or W frames. Where V::MulAdd fuses, each product-and-sum is rounded
// once instead of twice; nothing here feeds back into any state.
[[gnu::always_inline]] inline typename V::F ShiftedRead(typename V::F a0, typename V::F b0, typename V::F a1,
                                                        typename V::F b1, typename V::F sn, typename V::F cs,
                                                        typename V::F frac) {
    const typename V::F y1 = V::MulAdd(cs, b1, V::Mul(sn, a1));
    const typename V::F y0 = V::MulAdd(cs, b0, V::Mul(sn, a0));
    return V::MulAdd(frac, V::Sub(y0, y1), y1);
}

// The four line values of W people in one frame: the A and B lines at each person's entry e[p]
// and the entry after it.
inline void Taps(const float* lineA, const float* lineB, const int32_t* e, typename V::F& a0, typename V::F& b0,
                 typename V::F& a1, typename V::F& b1) {
    const typename V::F a01 = V::Pairs(lineA, e);  // people 0, 1 of each four
    const typename V::F a23 = V::Pairs(lineA, e + 2);  // people 2, 3 of each four
    const typename V::F b01 = V::Pairs(lineB, e);
    const typename V::F b23 = V::Pairs(lineB, e + 2);
    a0 = V::Even(a01, a23);
    a1 = V::Odd(a01, a23);
    b0 = V::Even(b01, b23);
    b1 = V::Odd(b01, b23);
}

// Step 4 for one frame: per channel, the sum of every heard person's shifted, panned read, with the
// gains of row gainRow (the frame's own, or the batch's when nobody fades).
template <int kChannels, bool kDelayRows>
inline void TapFrame(const MurmurhallPlug& engine, CrowdScratch& scratch, int s, int writePos, int gainRow,
                     int firstGroup, int groups) {
    using F = typename V::F;
    using I = typename V::I;
    const float* lineA0 = engine.fLine[0][0];
    const float* lineB0 = engine.fLine[0][1];
    const float* lineA1 = engine.fLine[kChannels - 1][0];
    const float* lineB1 = engine.fLine[kChannels - 1][1];
    const I position = V::Set1i(writePos);
    const I ringMask = V::Set1i(kLineMask);
    F sum0 = V::Set1(0.0f);
    F sum1 = V::Set1(0.0f);
    for (int k = firstGroup; k < firstGroup + groups; ++k) {
        const int first = k * V::W;
        F frac;
        const int32_t* entries = scratch.entry[s] + first;
        alignas(64) int32_t derived[V::W];
        if constexpr (kDelayRows) {
            const F d = V::Load(scratch.delay[s] + first);
            const I whole = V::Cvtt(d);
            frac = V::Sub(d, V::Cvt(whole));
            V::Storei(derived, V::Andi(V::Subi(position, whole), ringMask));
            entries = derived;
        } else {
            frac = V::Load(scratch.frac[s] + first);
        }
        const F sn = V::Load(scratch.shiftSin[s] + first);
        const F cs = V::Load(scratch.shiftCos[s] + first);
        F a0, b0, a1, b1;
        Taps(lineA0, lineB0, entries, a0, b0, a1, b1);
        sum0 = V::MulAdd(V::Load(scratch.gain[0][gainRow] + first), ShiftedRead(a0, b0, a1, b1, sn, cs, frac), sum0);
        if constexpr (kChannels == 2) {
            Taps(lineA1, lineB1, entries, a0, b0, a1, b1);
            sum1 = V::MulAdd(V::Load(scratch.gain[1][gainRow] + first), ShiftedRead(a0, b0, a1, b1, sn, cs, frac),
                             sum1);
        }
    }
    scratch.wet[0][s] = V::Sum(sum0);
    if constexpr (kChannels == 2) scratch.wet[1][s] = V::Sum(sum1);
}

// Step 4 over blocks of W frames, lanes being frames: while a person's whole delay holds, the
// person's reads in W consecutive frames are W consecutive line entries, two plain loads per line.
// The per-person values come from the first pass's rows through W x W transposes (V::Transpose).
// The people whose delay holds through the block are tapped first, the rest after; only the order
// of summing the people differs from the per-sample order of steps.
struct FrameBlockTaps {
    static constexpr int W = V::W;
    using F = typename V::F;
    using I = typename V::I;
    using M = typename V::M;

    struct Columns {  // one block's per-person values, frames along the lanes
        alignas(64) float shiftSin[kCrowdLanes][W];
        alignas(64) float shiftCos[kCrowdLanes][W];
        alignas(64) float delay[kCrowdLanes][W];
        alignas(64) int32_t base[kCrowdLanes];  // first frame's read entry
        alignas(64) int32_t firstWhole[kCrowdLanes];  // first and last frame's whole delay
        alignas(64) int32_t lastWhole[kCrowdLanes];
        alignas(64) float firstWholeF[kCrowdLanes];  // firstWhole as a float: a broadcast operand for the taps
    };

    // Taps whole blocks from frame 0 on for the people first..last - 1; returns the frames done.
    template <int kChannels>
    static int Run(const MurmurhallPlug& engine, CrowdScratch& scratch, int frames, int writePos, int first,
                   int last) {
        Columns columns;
        int s = 0;
        for (; s + W <= frames; s += W) TapBlock<kChannels>(engine, scratch, columns, s, writePos, first, last);
        return s;
    }

private:
    // Transposes the block's rows for groups firstGroup..lastGroup and returns a bit per person
    // whose whole delay holds through the block with a run of reads that does not wrap.
    static uint64_t Prepare(const CrowdScratch& scratch, int s0, int position, int firstGroup, int lastGroup,
                            Columns& cols) {
        uint64_t steady = 0;
        for (int k = firstGroup; k <= lastGroup; ++k) {
            const int first = k * W;
            V::Transpose(scratch.shiftSin, s0, first, cols.shiftSin);
            V::Transpose(scratch.shiftCos, s0, first, cols.shiftCos);
            V::Transpose(scratch.delay, s0, first, cols.delay);
            const I whole = V::Cvtt(V::Load(scratch.delay[s0] + first));
            M same = V::Eqi(whole, whole);
            I later = whole;
            for (int f = 1; f < W; ++f) {
                later = V::Cvtt(V::Load(scratch.delay[s0 + f] + first));
                same = V::And(same, V::Eqi(whole, later));
            }
            V::Storei(cols.firstWhole + first, whole);
            V::Store(cols.firstWholeF + first, V::Cvt(whole));
            V::Storei(cols.lastWhole + first, later);
            // A run reads entries i..i+W: the guard entry kLineSize but no further.
            const I base = V::Andi(V::Subi(V::Set1i(position), whole), V::Set1i(kLineMask));
            V::Storei(cols.base + first, base);
            same = V::AndNot(V::Gti(base, V::Set1i(kLineSize - W)), same);
            steady |= static_cast<uint64_t>(V::Bits(same)) << first;
        }
        return steady;
    }

    // y for W frames of one person reading entries i..i+W of one channel's A and B lines. With
    // kStepped, the frames not in onFirst read one entry earlier (step 1) or later (step -1): the
    // whole delay stepped once inside the block.
    template <bool kStepped>
    [[gnu::always_inline]] static F Tap(const float* lineA, const float* lineB, uint32_t i, F sn, F cs, F frac,
                                        M onFirst, int step) {
        F a0 = V::Loadu(lineA + i);
        F a1 = V::LoadNext(lineA + i, a0);
        F b0 = V::Loadu(lineB + i);
        F b1 = V::LoadNext(lineB + i, b0);
        if constexpr (kStepped) {
            if (step > 0) {
                a1 = V::Select(onFirst, a1, a0);
                a0 = V::Select(onFirst, a0, V::LoadPrevious(lineA + i, a0));
                b1 = V::Select(onFirst, b1, b0);
                b0 = V::Select(onFirst, b0, V::LoadPrevious(lineB + i, b0));
            } else {
                const F a2 = V::LoadNext(lineA + i + 1, a1);
                const F b2 = V::LoadNext(lineB + i + 1, b1);
                a0 = V::Select(onFirst, a0, a1);
                a1 = V::Select(onFirst, a1, a2);
                b0 = V::Select(onFirst, b0, b1);
                b1 = V::Select(onFirst, b1, b2);
            }
        }
        return ShiftedRead(a0, b0, a1, b1, sn, cs, frac);
    }

    // The same read for one frame.
    static float TapOne(const float* lineA, const float* lineB, uint32_t i, float sn, float cs, float frac) {
        const float y1 = cs * lineB[i + 1] + sn * lineA[i + 1];
        const float y0 = cs * lineB[i] + sn * lineA[i];
        return y1 + frac * (y0 - y1);
    }

    // Frames s0..s0+W-1 of a batch whose lines are all written and in which nobody fades: people
    // pBegin..pEnd-1, each with its gains of row 0.
    template <int kChannels>
    static void TapBlock(const MurmurhallPlug& engine, CrowdScratch& scratch, Columns& cols, int s0, int writePos,
                         int pBegin, int pEnd) {
        const float* lineA0 = engine.fLine[0][0];
        const float* lineB0 = engine.fLine[0][1];
        const float* lineA1 = engine.fLine[kChannels - 1][0];
        const float* lineB1 = engine.fLine[kChannels - 1][1];
        const int position = (writePos + s0) & kLineMask;  // frame s0's write entry
        F sum0 = V::Set1(0.0f);
        F sum1 = V::Set1(0.0f);
        uint64_t steady = 0;
        uint64_t heard = 0;
        if (pBegin < pEnd) {
            steady = Prepare(scratch, s0, position, pBegin / W, (pEnd - 1) / W, cols);
            heard = (pEnd == 64 ? ~uint64_t{0} : (uint64_t{1} << pEnd) - 1) & ~((uint64_t{1} << pBegin) - 1);
        }
        for (uint64_t m = steady & heard; m != 0; m &= m - 1) {
            const int p = __builtin_ctzll(m);
            // The whole delay holds: the fraction is d less the first frame's whole part.
            const F frac = V::Sub(V::Load(cols.delay[p]), V::Set1(cols.firstWholeF[p]));
            const F sn = V::Load(cols.shiftSin[p]);
            const F cs = V::Load(cols.shiftCos[p]);
            const uint32_t base = static_cast<uint32_t>(cols.base[p]);
            sum0 = V::MulAdd(V::Set1(scratch.gain[0][0][p]), Tap<false>(lineA0, lineB0, base, sn, cs, frac, M{}, 0),
                             sum0);
            if constexpr (kChannels == 2)
                sum1 = V::MulAdd(V::Set1(scratch.gain[1][0][p]),
                                 Tap<false>(lineA1, lineB1, base, sn, cs, frac, M{}, 0), sum1);
        }
        for (uint64_t m = ~steady & heard; m != 0; m &= m - 1) {
            const int p = __builtin_ctzll(m);
            const float g0 = scratch.gain[0][0][p];
            const float g1 = scratch.gain[1][0][p];
            const F d = V::Load(cols.delay[p]);
            const I whole = V::Cvtt(d);
            const F frac = V::Sub(d, V::Cvt(whole));
            const F sn = V::Load(cols.shiftSin[p]);
            const F cs = V::Load(cols.shiftCos[p]);
            const int firstWhole = cols.firstWhole[p];
            const int lastWhole = cols.lastWhole[p];
            const int step = lastWhole - firstWhole;
            const uint32_t base = static_cast<uint32_t>(cols.base[p]);
            const uint32_t alt = static_cast<uint32_t>(position - lastWhole) & kLineMask;
            const M onFirst = V::Eqi(whole, V::Set1i(firstWhole));
            const M onLast = V::Eqi(whole, V::Set1i(lastWhole));
            const bool fits = base <= kLineSize - W && alt <= kLineSize - W;
            if (V::Bits(V::Or(onFirst, onLast)) == (1u << W) - 1u && (step == 1 || step == -1) && fits) {
                sum0 = V::MulAdd(V::Set1(g0), Tap<true>(lineA0, lineB0, base, sn, cs, frac, onFirst, step), sum0);
                if constexpr (kChannels == 2)
                    sum1 = V::MulAdd(V::Set1(g1), Tap<true>(lineA1, lineB1, base, sn, cs, frac, onFirst, step), sum1);
                continue;
            }
            // Rare: the whole delay steps by more than one, or a run would wrap round the ring.
            alignas(64) float acc[2][W];
            alignas(64) int32_t wholes[W];
            alignas(64) float fracs[W];
            V::Store(acc[0], sum0);
            V::Store(acc[1], sum1);
            V::Storei(wholes, whole);
            V::Store(fracs, frac);
            for (int f = 0; f < W; ++f) {
                const uint32_t entry = static_cast<uint32_t>(position + f - wholes[f]) & kLineMask;
                const float sf = cols.shiftSin[p][f];
                const float cf = cols.shiftCos[p][f];
                acc[0][f] += g0 * TapOne(lineA0, lineB0, entry, sf, cf, fracs[f]);
                if constexpr (kChannels == 2) acc[1][f] += g1 * TapOne(lineA1, lineB1, entry, sf, cf, fracs[f]);
            }
            sum0 = V::Load(acc[0]);
            sum1 = V::Load(acc[1]);
        }
        V::Store(scratch.wet[0] + s0, sum0);
        if constexpr (kChannels == 2) V::Store(scratch.wet[1] + s0, sum1);
    }
};

inline typename V::F Magnitude(typename V::F x) { return V::Max(x, V::Sub(V::Set1(0.0f), x)); }  // NaN stays NaN
inline typename V::M AtMost(typename V::F x, float limit) { return V::Ge(V::Set1(limit), x); }  // false for NaN

// Whether, while nobody fades, every d of a batch of the given frames is known before stepping to
// lie in 1..kMaxDelay, so that the clamps change nothing, and no read of the batch can reach an
// entry written later in it.
//
// The delay oscillator (s -= c k; k += c s) keeps s^2 + k^2 - c s k unchanged but for rounding, and
// that is at least (1 - |c|/2) (s^2 + k^2); so with it at most 2.5 and |c| at most 0.5, |s| stays
// below 1.83 for far longer than a batch, and d = g s + whole lies within whole -/+ 2|g| (rounding
// is monotonic, so the float bounds hold). The stepped lanes past the population need only finite
// delays (their taps are weighted 0). Any NaN fails a comparison and so takes the clamped path.
inline bool DelaysBoundedAhead(const MurmurhallPlug& engine, int population, int lanes, int frames) {
    using F = typename V::F;
    using M = typename V::M;
    const PersonStates& ps = engine.person;
    const unsigned all = (1u << V::W) - 1u;
    F reach = V::Set1(1.0f);
    for (int first = 0; first < lanes; first += V::W) {
        const F s = V::Load(ps.fDelayLfoSin + first);
        const F k = V::Load(ps.fDelayLfoCos + first);
        const F c = V::Load(ps.fDelayLfoCoef + first);
        const F swing = V::Mul(V::Set1(2.0f), Magnitude(V::Load(ps.fDelayModGain + first)));
        const F invariant = V::Sub(V::Add(V::Mul(s, s), V::Mul(k, k)), V::Mul(V::Mul(c, s), k));
        const M sound = V::And(V::And(AtMost(Magnitude(c), 0.5f), AtMost(invariant, 2.5f)), AtMost(swing, 1.0e6f));
        if (V::Bits(sound) != all) return false;
        const M active = V::LanesBelow(first, population);
        const F whole = V::Cvt(V::Loadi(ps.iDelay + first));
        const F top = V::Add(whole, swing);
        const M inRange = V::And(V::Ge(V::Sub(whole, swing), V::Set1(1.0f)), AtMost(top, kMaxDelay));
        if ((V::Bits(active) & ~V::Bits(inRange)) != 0u) return false;
        reach = V::Select(active, V::Max(reach, V::Add(top, V::Set1(1.0f))), reach);
    }
    return V::MaxLane(reach) + static_cast<float>(frames + 1) < static_cast<float>(kLineSize);
}

inline void RenderCrowdVector(MurmurhallPlug& engine, const CrowdRun& run) {
    CrowdScratch& scratch = engine.crowdScratch;
    PersonStates& ps = engine.person;
    const int channels = run.numOutputs;
    // Derivation keeps these in range; the clamps only keep a stray value inside the lanes.
    const int population = engine.iPopulation < 0 ? 0 : (engine.iPopulation > kPersonLanes ? kPersonLanes
                                                                                           : engine.iPopulation);
    const bool solo = engine.iSolo != 0;
    const int selected = engine.iSelected;
    const bool diffuse = engine.fAllpassSpread > 0.0f;
    const float dry = engine.fDryGain;
    const float wet = run.wetScale;
    bool clipped = false;

    // Only the vectors that hold a heard person are tapped: with solo, the selected one's.
    const int groupsStepped = (population + V::W - 1) / V::W;
    const bool selectedHeard = selected >= 0 && selected < population;
    const int firstTapped = solo && selectedHeard ? selected / V::W : 0;
    const int groupsTapped = solo ? (selectedHeard ? 1 : 0) : groupsStepped;
    const int firstHeard = solo && selectedHeard ? selected : 0;
    const int lastHeard = solo ? (selectedHeard ? selected + 1 : 0) : population;

    for (int done = 0; done < run.frames; done += kCrowdBatchFrames) {
        const int frames = run.frames - done < kCrowdBatchFrames ? run.frames - done : kCrowdBatchFrames;
        const int writePos = engine.iWritePos;

        // 1. Every input of the batch is read before any output is written (buffers may be shared).
        for (int c = 0; c < channels; ++c) {
            const float* in = run.input[c] + done;
            int s = 0;
            for (; s + V::W <= frames; s += V::W) V::Store(scratch.dry[c] + s, SafeInputs(V::Loadu(in + s)));
            for (; s < frames; ++s) scratch.dry[c][s] = SafeInput(in[s]);
        }

        // 2. If anyone heard is fading, every vector keeps its gains per frame.
        bool fading = false;
        for (int k = 0; k < groupsStepped; ++k) {
            const int first = k * V::W;
            const typename V::M active = V::LanesBelow(first, population);
            const typename V::M heard = solo ? V::And(active, V::LaneIs(first, selected)) : active;
            fading |= V::Any(V::And(heard, V::Neq(V::Load(ps.fFadeInc + first), V::Set1(0.0f))));
        }
        // 3 and 4. A read reaches back at most trunc(d) + 1 entries from its frame's write position;
        // it can only meet a later frame's write when that wraps round the ring. Usually a bound
        // known before stepping settles that; otherwise the batch's largest d does. The block taps
        // want the delays; while someone fades, the taps read entries and fractions.
        const bool fitsAhead = !fading && DelaysBoundedAhead(engine, population, groupsStepped * V::W, frames);
        float largest = 1.0f;
        if (fading)
            largest = StepPeople<true, false, false>(engine, scratch, groupsStepped, frames, writePos, population, solo,
                                                     selected);
        else if (fitsAhead)
            StepPeople<false, true, true>(engine, scratch, groupsStepped, frames, writePos, population, solo, selected);
        else
            largest = StepPeople<false, true, false>(engine, scratch, groupsStepped, frames, writePos, population, solo,
                                                     selected);
        const int gainRow = fading ? 1 : 0;  // frame s uses gain row s * gainRow
        const bool linesFirst = fitsAhead || static_cast<int>(largest) + frames + 1 < kLineSize;
        if (linesFirst) WriteLinesBatch(engine, scratch, channels, diffuse, frames, writePos);
        int s = 0;
        if (linesFirst && !fading)
            s = channels == 2 ? FrameBlockTaps::Run<2>(engine, scratch, frames, writePos, firstHeard, lastHeard)
                              : FrameBlockTaps::Run<1>(engine, scratch, frames, writePos, firstHeard, lastHeard);
        for (; s < frames; ++s) {
            if (!linesFirst) WriteLinesFrame(engine, scratch, channels, diffuse, s, (writePos + s) & kLineMask);
            const int position = (writePos + s) & kLineMask;
            const bool delayRows = !fading;
            if (channels == 2)
                delayRows ? TapFrame<2, true>(engine, scratch, s, position, s * gainRow, firstTapped, groupsTapped)
                          : TapFrame<2, false>(engine, scratch, s, position, s * gainRow, firstTapped, groupsTapped);
            else
                delayRows ? TapFrame<1, true>(engine, scratch, s, position, s * gainRow, firstTapped, groupsTapped)
                          : TapFrame<1, false>(engine, scratch, s, position, s * gainRow, firstTapped, groupsTapped);
        }

        // 5.
        for (int c = 0; c < channels; ++c) {
            float* out = run.output[c] + done;
            const float* fade = run.fadeGain + done;
            int s = 0;
            for (; s + V::W <= frames; s += V::W) {
                const typename V::F value =
                    V::Mul(V::Add(V::Mul(V::Set1(wet), V::Load(scratch.wet[c] + s)),
                                  V::Mul(V::Set1(dry), V::Load(scratch.dry[c] + s))),
                           V::Loadu(fade + s));
                V::Storeu(out + s, value);
                clipped |= V::Any(V::Ge(value, V::Set1(1.0f)));
            }
            for (; s < frames; ++s) {
                const float value = (wet * scratch.wet[c][s] + dry * scratch.dry[c][s]) * fade[s];
                out[s] = value;
                clipped |= value >= 1.0f;
            }
        }
        engine.iWritePos = (writePos + frames) & kLineMask;
    }
    if (clipped) engine.iClip.store(1, std::memory_order_relaxed);
}
