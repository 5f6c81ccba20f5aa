#include "dsp/EncoderEngine.h"

#include <cmath>
#include <cstring>

#include "dsp/AmbiLayout.h"
#include "dsp/DeZipper.h"
#include "dsp/DenormalGuard.h"
#include "dsp/FloatLanes.h"
#include "dsp/IntegratorSection.h"

// The block loop runs frame by frame with every channel and every filter
// section of the layout side by side in SSE lanes: the smoothers and filter
// memories are recursions whose latency, not their arithmetic, bounds the
// speed, and the lanes of one frame are independent of each other. Each lane
// performs exactly the operations of its scalar filter, in the same order.

template <int Lanes> void GlidingLanes<Lanes>::aim(int lane, float target, bool glides)
{
    weight[lane] = glides ? DeZipper::kStateWeight : 0.0f;
    drive[lane] = glides ? DeZipper::kTargetWeight * target : target;
}

template <int Lanes> bool SecondOrderBank<Lanes>::memoryIsFinite(int lane) const
{
    return std::isfinite(s1[lane]) && std::isfinite(s2[lane]);
}

template <int Lanes> bool FirstOrderBank<Lanes>::memoryIsFinite(int lane) const
{
    return std::isfinite(s1[lane]);
}

namespace {

using Stage = NearFieldStage;

template <int Lanes> bool settle(GlidingLanes<Lanes>& g)
{
    // A lane is settled once one more step leaves its state unchanged: from
    // then on it repeats the same value, so the block can use it as a constant.
    bool settled = true;
    for (int l = 0; l < Lanes; ++l) {
        const float y = g.drive[l] + g.weight[l] * g.state[l];
        g.held[l] = y;
        if (g.weight[l] != 0.0f && y + kDenormalGuard != g.state[l])
            settled = false;
    }
    return settled;
}

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
void renderFrames(EncoderLanes& lanes, const float* input, float* const* outputs, int frames)
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
void renderHeldGains(EncoderLanes& lanes, const float* input, float* const* outputs, int frames)
{
    static constexpr LanePlan P = LanePlanOf<O>::value;
    constexpr int NC = P.numChannels;
    float* out[NC];
    float gain[NC];
    F4 gains[NC];
    for (int j = 0; j < NC; ++j) {
        out[j] = outputs[j];
        gain[j] = lanes.gains.held[j];
        gains[j] = splat(gain[j]);
    }
    int i = 0;
    for (; i + 4 <= frames; i += 4) {
        const F4 x = loadLanes(input + i);
#pragma GCC unroll 16
        for (int j = 0; j < NC; ++j)
            storeLanes(out[j] + i, x * gains[j]);
    }
    for (; i < frames; ++i) {
        const float x = input[i];
#pragma GCC unroll 16
        for (int j = 0; j < NC; ++j)
            out[j][i] = x * gain[j];
    }
}

using Kernel = EncoderEngine::Kernel;

template <AmbiOrder O> struct KernelsFor {
    static constexpr Kernel off = &renderFrames<O, true, Stage::Off, false>;
    static constexpr Kernel held = &renderHeldGains<O>;
    template <bool GainsGlide, Stage S, bool CoefsGlide>
    static constexpr Kernel on = &renderFrames<O, GainsGlide, S, CoefsGlide>;

    // [gains glide][stage][coefficients glide]. Without filters there are no
    // coefficients to glide.
    static constexpr Kernel table[2][kNearFieldStages][2] = {
        {{held, nullptr},
         {on<false, Stage::Full, false>, on<false, Stage::Full, true>},
         {on<false, Stage::CompensationOnly, false>, on<false, Stage::CompensationOnly, true>}},
        {{off, nullptr},
         {on<true, Stage::Full, false>, on<true, Stage::Full, true>},
         {on<true, Stage::CompensationOnly, false>, on<true, Stage::CompensationOnly, true>}},
    };
};

const Kernel (*kernelsFor(AmbiOrder order))[kNearFieldStages][2]
{
    switch (order) {
    case Order1H0V: return KernelsFor<Order1H0V>::table;
    case Order1H1V: return KernelsFor<Order1H1V>::table;
    case Order2H0V: return KernelsFor<Order2H0V>::table;
    case Order2H1V: return KernelsFor<Order2H1V>::table;
    case Order2H2V: return KernelsFor<Order2H2V>::table;
    case Order3H0V: return KernelsFor<Order3H0V>::table;
    case Order3H1V: return KernelsFor<Order3H1V>::table;
    case Order3H3V: return KernelsFor<Order3H3V>::table;
    case Order4H0V: return KernelsFor<Order4H0V>::table;
    }
    return nullptr;
}

const LanePlan& lanePlanFor(AmbiOrder order)
{
    static constexpr LanePlan plans[kAmbiOrderCount] = {
        LanePlanOf<Order1H0V>::value, LanePlanOf<Order1H1V>::value, LanePlanOf<Order2H0V>::value,
        LanePlanOf<Order2H1V>::value, LanePlanOf<Order2H2V>::value, LanePlanOf<Order3H0V>::value,
        LanePlanOf<Order3H1V>::value, LanePlanOf<Order3H3V>::value, LanePlanOf<Order4H0V>::value,
    };
    AmbiLayout::of(order); // refuses an unknown layout
    return plans[order];
}

// A section's coefficients as its lane uses them. The tails of third- and
// fourth-order filters take the head's output with unit gain.
struct SectionTargets {
    float gain, comp1, comp2, dist1, dist2;
    bool glides;
};

SectionTargets sectionTargets(LaneRole role, const EncoderTargets& t)
{
    const NearFieldCoefs& f1 = t.filters[0];
    const NearFieldCoefs& f2 = t.filters[1];
    const NearFieldCoefs& f3 = t.filters[2];
    const NearFieldCoefs& f4 = t.filters[3];
    switch (role) {
    case LaneRole::Order1: return {f1.gain, f1.comp[0], 0.0f, f1.dist[0], 0.0f, true};
    case LaneRole::Order2: return {f2.gain, f2.comp[0], f2.comp[1], f2.dist[0], f2.dist[1], true};
    case LaneRole::Order3Head: return {f3.gain, f3.comp[0], f3.comp[1], f3.dist[0], f3.dist[1], false};
    case LaneRole::Order3Tail: return {1.0f, f3.comp[2], 0.0f, f3.dist[2], 0.0f, false};
    case LaneRole::Order4Head: return {f4.gain, f4.comp[0], f4.comp[1], f4.dist[0], f4.dist[1], false};
    case LaneRole::Order4Tail: return {1.0f, f4.comp[2], f4.comp[3], f4.dist[2], f4.dist[3], false};
    case LaneRole::Unused: break;
    }
    return {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, false};
}

// Visits each coefficient of a bank together with its value in `s`.
template <int L, typename Visit>
void forEachCoefficient(SecondOrderBank<L>& bank, const SectionTargets& s, Visit visit)
{
    visit(bank.gain, s.gain);
    visit(bank.comp1, s.comp1);
    visit(bank.comp2, s.comp2);
    visit(bank.dist1, s.dist1);
    visit(bank.dist2, s.dist2);
}

template <int L, typename Visit>
void forEachCoefficient(FirstOrderBank<L>& bank, const SectionTargets& s, Visit visit)
{
    visit(bank.gain, s.gain);
    visit(bank.comp1, s.comp1);
    visit(bank.dist1, s.dist1);
}

template <typename Bank> void aimBank(Bank& bank, const LaneRole* roles, const EncoderTargets& t)
{
    for (int l = 0; l < Bank::kLanes; ++l) {
        const SectionTargets s = sectionTargets(roles[l], t);
        forEachCoefficient(bank, s, [&](auto& lanes, float target) { lanes.aim(l, target, s.glides); });
    }
}

template <typename Bank> void resetBank(Bank& bank, const LaneRole* roles, const EncoderTargets& t)
{
    for (int l = 0; l < Bank::kLanes; ++l) {
        bank.clearMemory(l);
        forEachCoefficient(bank, sectionTargets(roles[l], t),
                           [&](auto& lanes, float value) { lanes.state[l] = value; });
    }
}

// Every quantity is settled (and its held value computed) even when an
// earlier one already glides: the kernel may read any of them.
template <int L> bool settleBank(SecondOrderBank<L>& bank, bool withDist)
{
    const bool gain = settle(bank.gain);
    const bool comp1 = settle(bank.comp1);
    const bool comp2 = settle(bank.comp2);
    const bool dist1 = settle(bank.dist1);
    const bool dist2 = settle(bank.dist2);
    return gain && comp1 && comp2 && ((dist1 && dist2) || !withDist);
}

template <int L> bool settleBank(FirstOrderBank<L>& bank, bool withDist)
{
    const bool gain = settle(bank.gain);
    const bool comp1 = settle(bank.comp1);
    const bool dist1 = settle(bank.dist1);
    return gain && comp1 && (dist1 || !withDist);
}

// Bit for bit: aiming at the same bits gives the same weights and drives.
bool sameGains(const EncoderTargets& a, const EncoderTargets& b)
{
    return std::memcmp(a.gains, b.gains, sizeof a.gains) == 0;
}

bool sameFilters(const EncoderTargets& a, const EncoderTargets& b)
{
    return a.stage == b.stage && std::memcmp(a.filters, b.filters, sizeof a.filters) == 0;
}

// Multiplying by 0 turns any infinity or NaN into NaN and everything else
// into 0, so one sum tells whether a whole array is finite.
template <int L> bool allFinite(const float (&values)[L])
{
    float probe = 0.0f;
    for (int l = 0; l < L; ++l)
        probe += values[l] * 0.0f;
    return probe == 0.0f;
}

} // namespace

EncoderEngine::EncoderEngine(AmbiOrder order) : plan_(lanePlanFor(order)), kernels_(kernelsFor(order)) {}

void EncoderEngine::take(const EncoderUpdate& update)
{
    if (update.resets != resets_) {
        resets_ = update.resets;
        reset(update.atReset);
    }
    aim(update.now);
}

void EncoderEngine::reset(const EncoderTargets& targets)
{
    for (int j = 0; j < kMaxChannels; ++j)
        lanes_.gains.state[j] = j < plan_.numChannels ? targets.gains[j] : 0.0f;
    resetBank(lanes_.bankA, plan_.bankARole, targets);
    resetBank(lanes_.bankB, plan_.bankBRole, targets);
    resetBank(lanes_.bankC, plan_.bankCRole, targets);
    gainsSettled_ = false;
    coefficientsSettled_ = false;
}

void EncoderEngine::aim(const EncoderTargets& targets)
{
    if (!aimed_ || !sameGains(targets, aimedAt_))
        aimGains(targets);
    if (!aimed_ || !sameFilters(targets, aimedAt_))
        aimFilters(targets);
    aimedAt_ = targets;
    aimed_ = true;
}

void EncoderEngine::aimGains(const EncoderTargets& targets)
{
    for (int j = 0; j < kMaxChannels; ++j) {
        const bool used = j < plan_.numChannels;
        lanes_.gains.aim(j, used ? targets.gains[j] : 0.0f, used);
    }
    gainsSettled_ = false;
}

void EncoderEngine::aimFilters(const EncoderTargets& targets)
{
    stage_ = targets.stage;
    aimBank(lanes_.bankA, plan_.bankARole, targets);
    aimBank(lanes_.bankB, plan_.bankBRole, targets);
    aimBank(lanes_.bankC, plan_.bankCRole, targets);
    coefficientsSettled_ = false;
}

bool EncoderEngine::gainsSettled()
{
    if (!gainsSettled_)
        gainsSettled_ = settle(lanes_.gains);
    return gainsSettled_;
}

bool EncoderEngine::coefficientsSettled()
{
    if (coefficientsSettled_)
        return true;
    const bool withDist = stage_ == NearFieldStage::Full;
    const bool a = settleBank(lanes_.bankA, withDist);
    const bool b = settleBank(lanes_.bankB, withDist);
    const bool c = settleBank(lanes_.bankC, withDist);
    coefficientsSettled_ = a && b && c;
    return coefficientsSettled_;
}

void EncoderEngine::render(const float* input, float* const* outputs, int frames)
{
    const bool gainsGlide = !gainsSettled();
    if (stage_ == NearFieldStage::Off) {
        kernels_[gainsGlide][0][0](lanes_, input, outputs, frames);
        return;
    }
    const bool coefsGlide = !coefficientsSettled();
    kernels_[gainsGlide][static_cast<int>(stage_)][coefsGlide](lanes_, input, outputs, frames);
    clearNonFiniteMemories();
}

void EncoderEngine::clearNonFiniteMemories()
{
    if (allFinite(lanes_.bankA.s1) && allFinite(lanes_.bankA.s2) && allFinite(lanes_.bankB.s1) &&
        allFinite(lanes_.bankB.s2) && allFinite(lanes_.bankC.s1))
        return;
    // A filter is its sections in all banks: clear them together.
    for (int j = 0; j < plan_.numChannels; ++j) {
        const int a = plan_.laneA[j], b = plan_.laneB[j], c = plan_.laneC[j];
        const bool finite = (a < 0 || lanes_.bankA.memoryIsFinite(a)) &&
            (b < 0 || lanes_.bankB.memoryIsFinite(b)) && (c < 0 || lanes_.bankC.memoryIsFinite(c));
        if (finite)
            continue;
        if (a >= 0)
            lanes_.bankA.clearMemory(a);
        if (b >= 0)
            lanes_.bankB.clearMemory(b);
        if (c >= 0)
            lanes_.bankC.clearMemory(c);
    }
}
