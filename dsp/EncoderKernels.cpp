#include "dsp/EncoderKernels.h"

#include <atomic>
#include <cstring>

#include "dsp/DenormalGuard.h"
#include "dsp/FloatLanes.h"
#include "dsp/IntegratorSection.h"
#include "dsp/LanePlan.h"

#if defined(__x86_64__) || defined(__i386__)
#define VELMORA_AVX_KERNELS 1
#endif

namespace {

using Stage = NearFieldStage;
using Kernel = EncoderKernels::Kernel;
using Table = EncoderKernels::Table;
using InstructionSet = EncoderKernels::InstructionSet;

// Eight lanes, for the loop whose frames are independent of each other: one
// AVX register, or two SSE ones. Kept to local variables inside the kernel:
// passed to or returned from a function, it would take a calling convention
// that differs between the two.
typedef float F8 __attribute__((vector_size(32)));

constexpr int slots(int vectors)
{
    return vectors > 0 ? vectors : 1;
}

// N vectors of one per-lane quantity, kept in registers during a block.
template <int N, bool Glides> struct LaneValues;

template <int N> struct LaneValues<N, true> {
    F4 state[slots(N)], weight[slots(N)], drive[slots(N)];

    template <int L> void load(const GlidingLanes<L>& g)
    {
        for (int k = 0; k < N; ++k) {
            state[k] = loadLanes(g.state + 4 * k);
            weight[k] = loadLanes(g.weight + 4 * k);
            drive[k] = loadLanes(g.drive + 4 * k);
        }
    }
    template <int L> void store(GlidingLanes<L>& g) const
    {
        for (int k = 0; k < N; ++k)
            storeLanes(g.state + 4 * k, state[k]);
    }
    F4 next(int k, F4 guard)
    {
        const F4 y = drive[k] + weight[k] * state[k];
        state[k] = y + guard;
        return y;
    }
};

template <int N> struct LaneValues<N, false> {
    F4 held[slots(N)];

    template <int L> void load(const GlidingLanes<L>& g)
    {
        for (int k = 0; k < N; ++k)
            held[k] = loadLanes(g.held + 4 * k);
    }
    template <int L> void store(GlidingLanes<L>&) const {}
    F4 next(int k, F4) const { return held[k]; }
};

template <int N, bool Glides> struct SecondOrderLanes {
    F4 s1[slots(N)], s2[slots(N)];
    LaneValues<N, Glides> gain, comp1, comp2, dist1, dist2;

    template <Stage S, int L> void load(const SecondOrderBank<L>& bank)
    {
        for (int k = 0; k < N; ++k) {
            s1[k] = loadLanes(bank.s1 + 4 * k);
            s2[k] = loadLanes(bank.s2 + 4 * k);
        }
        gain.load(bank.gain);
        comp1.load(bank.comp1);
        comp2.load(bank.comp2);
        if (S == Stage::Full) {
            dist1.load(bank.dist1);
            dist2.load(bank.dist2);
        }
    }
    template <Stage S, int L> void store(SecondOrderBank<L>& bank) const
    {
        for (int k = 0; k < N; ++k) {
            storeLanes(bank.s1 + 4 * k, s1[k]);
            storeLanes(bank.s2 + 4 * k, s2[k]);
        }
        gain.store(bank.gain);
        comp1.store(bank.comp1);
        comp2.store(bank.comp2);
        if (S == Stage::Full) {
            dist1.store(bank.dist1);
            dist2.store(bank.dist2);
        }
    }
    template <Stage S> F4 step(int k, F4 x, F4 guard)
    {
        const F4 in = gain.next(k, guard) * x;
        const F4 c1 = comp1.next(k, guard);
        const F4 c2 = comp2.next(k, guard);
        if constexpr (S == Stage::Full) {
            const F4 d1 = dist1.next(k, guard);
            const F4 d2 = dist2.next(k, guard);
            return secondOrderSection(in, d1, d2, c1, c2, s1[k], s2[k], guard);
        } else {
            return secondOrderPoles(in, c1, c2, s1[k], s2[k], guard);
        }
    }
};

template <int N, bool Glides> struct FirstOrderLanes {
    F4 s1[slots(N)];
    LaneValues<N, Glides> gain, comp1, dist1;

    template <Stage S, int L> void load(const FirstOrderBank<L>& bank)
    {
        for (int k = 0; k < N; ++k)
            s1[k] = loadLanes(bank.s1 + 4 * k);
        gain.load(bank.gain);
        comp1.load(bank.comp1);
        if (S == Stage::Full)
            dist1.load(bank.dist1);
    }
    template <Stage S, int L> void store(FirstOrderBank<L>& bank) const
    {
        for (int k = 0; k < N; ++k)
            storeLanes(bank.s1 + 4 * k, s1[k]);
        gain.store(bank.gain);
        comp1.store(bank.comp1);
        if (S == Stage::Full)
            dist1.store(bank.dist1);
    }
    template <Stage S> F4 step(int k, F4 x, F4 guard)
    {
        const F4 in = gain.next(k, guard) * x;
        const F4 c1 = comp1.next(k, guard);
        if constexpr (S == Stage::Full) {
            const F4 d1 = dist1.next(k, guard);
            return firstOrderSection(in, d1, c1, s1[k], guard);
        } else {
            return firstOrderPoles(in, c1, s1[k], guard);
        }
    }
};

inline F4 gather(const float* scratch, const uint8_t* source)
{
    return F4{scratch[source[0]], scratch[source[1]], scratch[source[2]], scratch[source[3]]};
}

template <AmbiOrder O, bool GainsGlide, Stage S, bool CoefsGlide>
[[gnu::always_inline]] inline void renderFrames(EncoderLanes& lanes, const float* input, float* const* outputs, int frames)
{
    static constexpr LanePlan P = LanePlanOf<O>::value;
    constexpr int NC = P.numChannels;
    constexpr int G = P.gainVectors;
    constexpr int A = P.bankAVectors;
    constexpr int B = P.bankBVectors;
    constexpr int C = P.bankCVectors;
    constexpr bool kFilters = S != Stage::Off;

    const F4 guard = splat(kDenormalGuard);
    LaneValues<G, GainsGlide> gain;
    gain.load(lanes.gains);
    SecondOrderLanes<A, CoefsGlide> bankA;
    SecondOrderLanes<B, CoefsGlide> bankB;
    FirstOrderLanes<C, CoefsGlide> bankC;
    if constexpr (kFilters) {
        bankA.template load<S>(lanes.bankA);
        bankB.template load<S>(lanes.bankB);
        bankC.template load<S>(lanes.bankC);
    }
    float* out[NC];
    for (int j = 0; j < NC; ++j)
        out[j] = outputs[j];

    alignas(16) float scratch[kScratchSize] = {};
    for (int i = 0; i < frames; ++i) {
        // Read before any output of this frame is written: in-place safe.
        const F4 x = splat(input[i]);
#pragma GCC unroll 4
        for (int k = 0; k < G; ++k)
            storeLanes(scratch + kScratchChannels + 4 * k, x * gain.next(k, guard));
        if constexpr (kFilters) {
#pragma GCC unroll 4
            for (int k = 0; k < A; ++k)
                storeLanes(scratch + kScratchBankA + 4 * k,
                           bankA.template step<S>(k, gather(scratch, P.bankASource + 4 * k), guard));
#pragma GCC unroll 4
            for (int k = 0; k < B; ++k)
                storeLanes(scratch + kScratchBankB + 4 * k,
                           bankB.template step<S>(k, gather(scratch, P.bankBSource + 4 * k), guard));
#pragma GCC unroll 4
            for (int k = 0; k < C; ++k)
                storeLanes(scratch + kScratchBankC + 4 * k,
                           bankC.template step<S>(k, gather(scratch, P.bankCSource + 4 * k), guard));
        }
#pragma GCC unroll 16
        for (int j = 0; j < NC; ++j)
            out[j][i] = scratch[kFilters ? P.filteredSource[j] : kScratchChannels + j];
    }

    gain.store(lanes.gains);
    if constexpr (kFilters) {
        bankA.template store<S>(lanes.bankA);
        bankB.template store<S>(lanes.bankB);
        bankC.template store<S>(lanes.bankC);
    }
}

// Held gains without filters: every output is the input times a constant.
// One pass over the block for all channels reads each input vector once; its
// channels are written only after it was read, so the input may be one of the
// outputs.
template <AmbiOrder O>
[[gnu::always_inline]] inline void renderHeldGains(EncoderLanes& lanes, const float* input, float* const* outputs, int frames)
{
    static constexpr LanePlan P = LanePlanOf<O>::value;
    constexpr int NC = P.numChannels;
    float* out[NC];
    float gain[NC];
    F8 gains[NC];
    for (int j = 0; j < NC; ++j) {
        out[j] = outputs[j];
        gain[j] = lanes.gains.held[j];
        const float g = gain[j];
        gains[j] = F8{g, g, g, g, g, g, g, g};
    }
    // Eight frames at a time: one store per channel with AVX, two without.
    // The loop is bound by its stores, not its arithmetic.
    int i = 0;
    for (; i + 8 <= frames; i += 8) {
        F8 x;
        std::memcpy(&x, input + i, sizeof x);
#pragma GCC unroll 16
        for (int j = 0; j < NC; ++j) {
            const F8 y = x * gains[j];
            std::memcpy(out[j] + i, &y, sizeof y);
        }
    }
    for (; i < frames; ++i) {
        const float x = input[i];
#pragma GCC unroll 16
        for (int j = 0; j < NC; ++j)
            out[j][i] = x * gain[j];
    }
}

// The kernel bodies are inlined into one function per instruction set; the
// AVX one is compiled for AVX, the body and everything it inlines with it.
template <Kernel Body> void withSse2(EncoderLanes& lanes, const float* input, float* const* outputs, int frames)
{
    Body(lanes, input, outputs, frames);
}

#ifdef VELMORA_AVX_KERNELS
template <Kernel Body>
[[gnu::target("avx")]] void withAvx(EncoderLanes& lanes, const float* input, float* const* outputs, int frames)
{
    Body(lanes, input, outputs, frames);
}
#endif

template <AmbiOrder O, template <Kernel> class Compiled> struct KernelsFor {
    template <bool GainsGlide, Stage S, bool CoefsGlide>
    static constexpr Kernel frames = Compiled<&renderFrames<O, GainsGlide, S, CoefsGlide>>::value;
    static constexpr Kernel held = Compiled<&renderHeldGains<O>>::value;

    static constexpr Table table = {
        {{held, nullptr},
         {frames<false, Stage::Full, false>, frames<false, Stage::Full, true>},
         {frames<false, Stage::CompensationOnly, false>, frames<false, Stage::CompensationOnly, true>}},
        {{frames<true, Stage::Off, false>, nullptr},
         {frames<true, Stage::Full, false>, frames<true, Stage::Full, true>},
         {frames<true, Stage::CompensationOnly, false>, frames<true, Stage::CompensationOnly, true>}},
    };
};

template <Kernel Body> struct Sse2Compiled {
    static constexpr Kernel value = &withSse2<Body>;
};

#ifdef VELMORA_AVX_KERNELS
template <Kernel Body> struct AvxCompiled {
    static constexpr Kernel value = &withAvx<Body>;
};
#else
template <Kernel Body> using AvxCompiled = Sse2Compiled<Body>;
#endif

template <template <Kernel> class Compiled> const Table& tableFor(AmbiOrder order)
{
    switch (order) {
    case Order1H0V: return KernelsFor<Order1H0V, Compiled>::table;
    case Order1H1V: return KernelsFor<Order1H1V, Compiled>::table;
    case Order2H0V: return KernelsFor<Order2H0V, Compiled>::table;
    case Order2H1V: return KernelsFor<Order2H1V, Compiled>::table;
    case Order2H2V: return KernelsFor<Order2H2V, Compiled>::table;
    case Order3H0V: return KernelsFor<Order3H0V, Compiled>::table;
    case Order3H1V: return KernelsFor<Order3H1V, Compiled>::table;
    case Order3H3V: return KernelsFor<Order3H3V, Compiled>::table;
    case Order4H0V: break;
    }
    return KernelsFor<Order4H0V, Compiled>::table;
}

InstructionSet detectBest()
{
#ifdef VELMORA_AVX_KERNELS
    // The answer also says whether the system saves the AVX registers when
    // it switches threads.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx"))
        return InstructionSet::Avx;
#endif
    return InstructionSet::Sse2;
}

constexpr int kBest = -1;
std::atomic<int> chosenSet{kBest};

} // namespace

const Table& EncoderKernels::of(AmbiOrder order, InstructionSet set)
{
    return set == InstructionSet::Avx ? tableFor<AvxCompiled>(order) : tableFor<Sse2Compiled>(order);
}

EncoderKernels::InstructionSet EncoderKernels::best()
{
    static const InstructionSet set = detectBest();
    return set;
}

EncoderKernels::InstructionSet EncoderKernels::chosen()
{
    const int set = chosenSet.load(std::memory_order_relaxed);
    return set == kBest ? best() : static_cast<InstructionSet>(set);
}

void EncoderKernels::choose(InstructionSet set)
{
    if (set == InstructionSet::Avx && best() != InstructionSet::Avx)
        return;
    chosenSet.store(static_cast<int>(set), std::memory_order_relaxed);
}
