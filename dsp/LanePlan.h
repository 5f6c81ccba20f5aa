#pragma once

#include <cstdint>

#include "dsp/AmbiLayout.h"

// How a layout's near-field filters are laid out side by side. Every filter
// is a chain of the two section shapes: first order (a first-order filter, or
// the tail of a third-order one) and second order (a second-order filter, the
// head of a third-order one, or either half of a fourth-order one). Sections
// of one shape run in the lanes of one bank, whatever filter they belong to:
//   bank A: second-order sections fed by a channel (orders 2, 3 and 4),
//   bank B: second-order sections fed by bank A (the tail of order 4),
//   bank C: first-order sections fed by a channel (order 1) or by bank A
//           (the tail of order 3).
// Within one frame the channel values and every section's output sit in one
// scratch array; the plan says where each lane reads its input and where each
// channel's filtered value ends up.

enum class LaneRole : uint8_t { Unused, Order1, Order2, Order3Head, Order3Tail, Order4Head, Order4Tail };

constexpr int kBankALanes = 12; // 5 second-order + 7 third-order channels at most
constexpr int kBankBLanes = 4;
constexpr int kBankCLanes = 12; // 3 first-order + 7 third-order channels at most

// Scratch array offsets.
constexpr int kScratchChannels = 0;
constexpr int kScratchBankA = kScratchChannels + kMaxChannels;
constexpr int kScratchBankB = kScratchBankA + kBankALanes;
constexpr int kScratchBankC = kScratchBankB + kBankBLanes;
constexpr int kScratchZero = kScratchBankC + kBankCLanes; // always 0: input of unused lanes
constexpr int kScratchSize = kScratchZero + 4;

constexpr int vectorsFor(int lanes)
{
    return (lanes + 3) / 4;
}

struct LanePlan {
    int numChannels = 0;
    int gainVectors = 0;
    int bankAVectors = 0, bankBVectors = 0, bankCVectors = 0;

    uint8_t bankASource[kBankALanes] = {};
    uint8_t bankBSource[kBankBLanes] = {};
    uint8_t bankCSource[kBankCLanes] = {};
    LaneRole bankARole[kBankALanes] = {};
    LaneRole bankBRole[kBankBLanes] = {};
    LaneRole bankCRole[kBankCLanes] = {};

    // Per channel: its lane in each bank (-1 for none) and where its value is
    // once the filters have run.
    int8_t laneA[kMaxChannels] = {};
    int8_t laneB[kMaxChannels] = {};
    int8_t laneC[kMaxChannels] = {};
    uint8_t filteredSource[kMaxChannels] = {};
};

constexpr LanePlan makeLanePlan(const AmbiLayout& layout)
{
    LanePlan p{};
    p.numChannels = layout.numChannels;
    for (int l = 0; l < kBankALanes; ++l)
        p.bankASource[l] = kScratchZero;
    for (int l = 0; l < kBankBLanes; ++l)
        p.bankBSource[l] = kScratchZero;
    for (int l = 0; l < kBankCLanes; ++l)
        p.bankCSource[l] = kScratchZero;

    int a = 0, b = 0, c = 0;
    for (int j = 0; j < layout.numChannels; ++j) {
        const int m = layout.orderOf(j);
        p.laneA[j] = p.laneB[j] = p.laneC[j] = -1;
        p.filteredSource[j] = static_cast<uint8_t>(kScratchChannels + j);
        if (m >= 2) {
            p.laneA[j] = static_cast<int8_t>(a);
            p.bankASource[a] = static_cast<uint8_t>(kScratchChannels + j);
            p.bankARole[a] = m == 2 ? LaneRole::Order2 : m == 3 ? LaneRole::Order3Head : LaneRole::Order4Head;
            p.filteredSource[j] = static_cast<uint8_t>(kScratchBankA + a);
            ++a;
        }
    }
    for (int j = 0; j < layout.numChannels; ++j) {
        const int m = layout.orderOf(j);
        if (m == 4) {
            p.laneB[j] = static_cast<int8_t>(b);
            p.bankBSource[b] = static_cast<uint8_t>(kScratchBankA + p.laneA[j]);
            p.bankBRole[b] = LaneRole::Order4Tail;
            p.filteredSource[j] = static_cast<uint8_t>(kScratchBankB + b);
            ++b;
        } else if (m == 1 || m == 3) {
            p.laneC[j] = static_cast<int8_t>(c);
            p.bankCSource[c] =
                static_cast<uint8_t>(m == 1 ? kScratchChannels + j : kScratchBankA + p.laneA[j]);
            p.bankCRole[c] = m == 1 ? LaneRole::Order1 : LaneRole::Order3Tail;
            p.filteredSource[j] = static_cast<uint8_t>(kScratchBankC + c);
            ++c;
        }
    }
    p.gainVectors = vectorsFor(layout.numChannels);
    p.bankAVectors = vectorsFor(a);
    p.bankBVectors = vectorsFor(b);
    p.bankCVectors = vectorsFor(c);
    return p;
}

template <AmbiOrder O> struct LanePlanOf {
    static constexpr LanePlan value = makeLanePlan(ambiLayout(O));
};
