#include "dsp/EncoderEngine.h"

#include <cmath>
#include <cstring>

#include "dsp/AmbiLayout.h"
#include "dsp/DeZipper.h"
#include "dsp/DenormalGuard.h"
#include "dsp/FloatLanes.h"

// The engine decides per block which kernel renders it (EncoderKernels):
// whether the gains and the filter coefficients still glide or hold, and
// which near-field stage runs.

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

static_assert(kMaxChannels % 4 == 0 && kBankALanes % 4 == 0 && kBankBLanes % 4 == 0 && kBankCLanes % 4 == 0,
              "the lanes of every group fill whole vectors");

// Lanes beyond the first `vectors` x 4 are never read by the kernels.
template <int Lanes> bool settle(GlidingLanes<Lanes>& g, int vectors = Lanes / 4)
{
    // A lane is settled once one more step leaves its state unchanged: from
    // then on it repeats the same value, so the block can use it as a constant.
    // Four lanes at a time, each with the smoother's own step.
    const F4 guard = splat(kDenormalGuard);
    const F4 still = splat(0.0f);
    LaneMask moving = {};
    for (int l = 0; l < 4 * vectors; l += 4) {
        const F4 state = loadLanes(g.state + l);
        const F4 weight = loadLanes(g.weight + l);
        const F4 y = loadLanes(g.drive + l) + weight * state;
        storeLanes(g.held + l, y);
        moving |= (weight != still) & (y + guard != state);
    }
    return !anyLane(moving);
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
// into 0, so one sum per lane tells whether a whole array is finite.
// Lanes beyond the first `vectors` x 4 are never run and stay 0.
template <int L> bool allFinite(const float (&values)[L], int vectors)
{
    const F4 zero = splat(0.0f);
    F4 probe = zero;
    for (int l = 0; l < 4 * vectors; l += 4)
        probe += loadLanes(values + l) * zero;
    return !anyLane(probe != zero);
}

} // namespace

EncoderEngine::EncoderEngine(AmbiOrder order)
    : plan_(lanePlanFor(order)), kernels_(EncoderKernels::of(order, EncoderKernels::chosen()))
{
}

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
    // The lanes beyond the layout's channels keep the 0 they were built with.
    for (int j = 0; j < plan_.numChannels; ++j)
        lanes_.gains.aim(j, targets.gains[j], true);
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
        gainsSettled_ = settle(lanes_.gains, plan_.gainVectors);
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

bool EncoderEngine::memoriesFinite() const
{
    const int a = plan_.bankAVectors, b = plan_.bankBVectors, c = plan_.bankCVectors;
    return allFinite(lanes_.bankA.s1, a) && allFinite(lanes_.bankA.s2, a) && allFinite(lanes_.bankB.s1, b) &&
        allFinite(lanes_.bankB.s2, b) && allFinite(lanes_.bankC.s1, c);
}

void EncoderEngine::clearNonFiniteMemories()
{
    if (memoriesFinite())
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
