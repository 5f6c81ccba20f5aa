#pragma once

#include <cstdint>

#include "dsp/AmbiOrder.h"

// Furse-Malham channel letters; C4 and S4 are the fourth-order horizontal
// cosine and sine channels, which have no letters of their own.
enum class AmbiChannel : uint8_t { W, X, Y, Z, R, S, T, U, V, K, L, M, N, O, P, Q, C4, S4 };

constexpr int kMaxChannels = 16; // the full-sphere third-order layout
constexpr int kMaxFilterOrder = 4;

constexpr int ambisonicOrder(AmbiChannel channel)
{
    switch (channel) {
    case AmbiChannel::W: return 0;
    case AmbiChannel::X:
    case AmbiChannel::Y:
    case AmbiChannel::Z: return 1;
    case AmbiChannel::R:
    case AmbiChannel::S:
    case AmbiChannel::T:
    case AmbiChannel::U:
    case AmbiChannel::V: return 2;
    case AmbiChannel::C4:
    case AmbiChannel::S4: return 4;
    default: return 3;
    }
}

// Which channels a layout has, in output order. Every channel of order m >= 1
// owns one near-field filter of order m; within an order the filters are
// handed out in channel order, starting from the first of that order's array.
struct AmbiLayout {
    int numChannels;
    AmbiChannel channels[kMaxChannels];

    // Throws std::invalid_argument for a value outside the nine layouts.
    static const AmbiLayout& of(AmbiOrder order);

    constexpr int orderOf(int index) const { return ambisonicOrder(channels[index]); }

    // Position of the channel's filter within its order's filter array.
    constexpr int filterIndexOf(int index) const
    {
        int earlier = 0;
        for (int j = 0; j < index; ++j)
            if (orderOf(j) == orderOf(index))
                ++earlier;
        return earlier;
    }

    constexpr int filtersOfOrder(int order) const
    {
        int count = 0;
        for (int j = 0; j < numChannels; ++j)
            if (orderOf(j) == order)
                ++count;
        return count;
    }
};

namespace ambi_layouts {
using C = AmbiChannel;
constexpr AmbiLayout kAll[kAmbiOrderCount] = {
    {3, {C::W, C::X, C::Y}},
    {4, {C::W, C::X, C::Y, C::Z}},
    {5, {C::W, C::X, C::Y, C::U, C::V}},
    {6, {C::W, C::X, C::Y, C::Z, C::U, C::V}},
    {9, {C::W, C::X, C::Y, C::Z, C::R, C::S, C::T, C::U, C::V}},
    {7, {C::W, C::X, C::Y, C::U, C::V, C::P, C::Q}},
    {8, {C::W, C::X, C::Y, C::Z, C::U, C::V, C::P, C::Q}},
    {16, {C::W, C::X, C::Y, C::Z, C::R, C::S, C::T, C::U, C::V, C::K, C::L, C::M, C::N, C::O, C::P, C::Q}},
    {9, {C::W, C::X, C::Y, C::U, C::V, C::P, C::Q, C::C4, C::S4}},
};
} // namespace ambi_layouts

constexpr const AmbiLayout& ambiLayout(AmbiOrder order)
{
    return ambi_layouts::kAll[order];
}
