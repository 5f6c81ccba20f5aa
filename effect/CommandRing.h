#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// A bounded first-in first-out ring that any number of threads push into
// and one thread at a time pops from, without locks: a push claims a cell by
// advancing the tail, fills it, and then publishes it through the cell's
// sequence number. A push never waits; it answers false when the ring is
// full.
//
// The sequence store of push and the load of hasPending are sequentially
// consistent: a pusher that afterwards finds the consumer busy relies on the
// consumer, once it has let go, seeing the published cell (see
// ControlSerialiser).
template <class T, std::size_t Capacity> class CommandRing {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
    CommandRing()
    {
        for (std::size_t i = 0; i < Capacity; ++i)
            cells_[i].sequence.store(i, std::memory_order_relaxed);
    }
    CommandRing(const CommandRing&) = delete;
    CommandRing& operator=(const CommandRing&) = delete;

    // `position` tells where the item stands in the order of all pushes.
    bool push(const T& item, std::size_t& position)
    {
        position = tail_.load(std::memory_order_relaxed);
        Cell* cell;
        for (;;) {
            cell = &cells_[position & kMask];
            const std::size_t sequence = cell->sequence.load(std::memory_order_acquire);
            const auto lead = static_cast<std::intptr_t>(sequence) - static_cast<std::intptr_t>(position);
            if (lead == 0) {
                if (tail_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed))
                    break;
            } else if (lead < 0) {
                return false;
            } else {
                position = tail_.load(std::memory_order_relaxed);
            }
        }
        cell->item = item;
        cell->sequence.store(position + 1, std::memory_order_seq_cst);
        return true;
    }

    // Only the thread that currently consumes may call this.
    bool pop(T& item)
    {
        const std::size_t position = head_.load(std::memory_order_relaxed);
        Cell& cell = cells_[position & kMask];
        if (cell.sequence.load(std::memory_order_acquire) != position + 1)
            return false;
        item = cell.item;
        cell.sequence.store(position + Capacity, std::memory_order_release);
        head_.store(position + 1, std::memory_order_relaxed);
        return true;
    }

    // How many cells have ever been claimed by a push, and popped. A push
    // that has returned is counted in claimed(); its cell may still be
    // unpublished for a moment when another push claimed one before it.
    std::size_t claimed() const { return tail_.load(std::memory_order_seq_cst); }
    std::size_t popped() const { return head_.load(std::memory_order_relaxed); }

    // True when the oldest cell is published and waiting to be popped.
    bool hasPending() const
    {
        const std::size_t position = head_.load(std::memory_order_relaxed);
        return cells_[position & kMask].sequence.load(std::memory_order_seq_cst) == position + 1;
    }

private:
    static constexpr std::size_t kMask = Capacity - 1;

    struct Cell {
        std::atomic<std::size_t> sequence;
        T item;
    };

    Cell cells_[Capacity];
    alignas(64) std::atomic<std::size_t> tail_{0};
    alignas(64) std::atomic<std::size_t> head_{0};
};
