// The serialiser on its own: commands from several threads, some of them
// submitted while another thread is applying, some run exclusively by a
// thread that waits its turn, all applied once, one at a time, each
// thread's in the order it submitted them.

#include "effect/ControlSerialiser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

struct Numbered {
    int thread = 0;
    int sequence = 0;
};

TEST(ControlSerialiserConcurrent, EveryCommandAppliedOnceInEachSubmittersOrder)
{
    constexpr int kThreads = 3;
    constexpr int kEach = 20000;
    // A small ring, so that submitters also meet a full one.
    ControlSerialiser<Numbered, 64> serialiser;
    std::vector<Numbered> applied; // written only by the thread applying
    std::atomic<int> applying{0};
    std::atomic<bool> overlapped{false};
    auto apply = [&](const Numbered& n) {
        if (applying.fetch_add(1) != 0)
            overlapped = true;
        applied.push_back(n);
        applying.fetch_sub(1);
    };
    std::vector<std::thread> submitters;
    for (int t = 0; t < kThreads; ++t)
        submitters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                // The first thread is of the user-interface side: every
                // other command of its own it runs itself.
                if (t == 0 && i % 2 == 0)
                    serialiser.runExclusively(Numbered{t, i}, apply);
                else
                    serialiser.submit(Numbered{t, i}, apply);
            }
        });
    for (auto& s : submitters)
        s.join();
    // Whatever the last thread left behind is applied by the next caller.
    serialiser.runPending(apply);

    EXPECT_FALSE(overlapped.load());
    ASSERT_EQ(applied.size(), size_t(kThreads * kEach));
    int next[kThreads] = {};
    for (const Numbered& n : applied)
        ASSERT_EQ(n.sequence, next[n.thread]++) << "thread " << n.thread;
}

TEST(ControlSerialiserConcurrent, RealTimeSubmittersKeepTheirOrderWhenTheRingEmpties)
{
    // Two host threads that only ever submit, as automation does: each
    // often finds the ring empty and applies its command at once, and must
    // never do so while a command of its own still waits in the ring for
    // the other thread to apply it.
    constexpr int kThreads = 2;
    constexpr int kEach = 200000;
    ControlSerialiser<Numbered, 64> serialiser;
    std::vector<Numbered> applied;
    applied.reserve(kThreads * kEach);
    auto apply = [&](const Numbered& n) { applied.push_back(n); };
    std::vector<std::thread> submitters;
    for (int t = 0; t < kThreads; ++t)
        submitters.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                serialiser.submit(Numbered{t, i}, apply);
        });
    for (auto& s : submitters)
        s.join();
    serialiser.runPending(apply);

    ASSERT_EQ(applied.size(), size_t(kThreads * kEach));
    int next[kThreads] = {};
    for (const Numbered& n : applied)
        ASSERT_EQ(n.sequence, next[n.thread]++) << "thread " << n.thread;
}

TEST(ControlSerialiser, ASubmitterAloneFindsItsCommandApplied)
{
    ControlSerialiser<int, 8> serialiser;
    int last = -1;
    for (int i = 0; i < 100; ++i) {
        serialiser.submit(i, [&](int v) { last = v; });
        ASSERT_EQ(last, i);
    }
}

} // namespace
