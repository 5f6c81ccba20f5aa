#pragma once

#include <atomic>

// Hands whole values from one writer thread to one reader thread without
// locks, allocation or waiting on either side. The writer fills back() and
// publishes it; the reader takes the newest published value, if there is one
// it has not taken yet, and reads it through front() until it takes again.
template <typename T> class TripleBuffer {
public:
    T& back() { return slots_[back_]; }

    void publish() { back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & kIndex; }

    // Returns true when a newer value became the front.
    bool take()
    {
        if ((middle_.load(std::memory_order_relaxed) & kFresh) == 0)
            return false;
        front_ = middle_.exchange(front_, std::memory_order_acq_rel) & kIndex;
        return true;
    }

    const T& front() const { return slots_[front_]; }

private:
    static constexpr unsigned kIndex = 3;
    static constexpr unsigned kFresh = 4;

    T slots_[3] = {};
    std::atomic<unsigned> middle_{1};
    unsigned back_ = 0; // writer's
    unsigned front_ = 2; // reader's
};
