#pragma once

#include "effect/CommandRing.h"

#include <atomic>
#include <thread>

// Runs commands submitted from any thread one at a time, in the order they
// were submitted, without making a real-time submitter wait for another
// thread.
//
// A submitter leaves its command in the ring and then tries to become the
// one thread that runs commands. If it can, it runs everything pending
// (its own command and whatever others left meanwhile) and lets go. If
// another thread is running commands, the submitter returns at once: that
// thread runs the new command before it lets go, because after letting go
// it looks at the ring again.
//
// So the state the commands change has a single writer at a time, no write
// is lost, and one thread's commands take effect in the order it submitted
// them. A thread that submitted while nothing else ran finds its command in
// effect when submit returns; it did not even go through the ring, when the
// ring was empty (a host automating from its audio thread alone pays one
// exchange of the flag and its release).
//
// Two kinds of caller. A real-time thread (a host's audio thread) uses
// submit and never waits, except when the ring is entirely full. A thread
// of the user-interface side, which may wait a little, uses runExclusively:
// it waits until it is the running thread, runs what is pending and then its
// own command. Its commands never enter the ring, so a real-time thread that
// becomes the running thread only ever applies the few commands other
// real-time callers left, not a flood from an editor or a program switcher.
template <class Command, std::size_t Capacity> class ControlSerialiser {
public:
    // True when this thread applied the command itself, so that it is in
    // effect now; false when another thread applies it before letting go.
    template <class Apply> bool submit(const Command& command, Apply&& apply)
    {
        if (applyAtOnce(command, apply))
            return true;
        std::size_t position = 0;
        while (!ring_.push(command, position)) {
            runPending(apply);
            std::this_thread::yield();
        }
        return runPending(apply) > position;
    }

    template <class Apply> void runExclusively(const Command& command, Apply&& apply)
    {
        while (running_.exchange(true, std::memory_order_seq_cst))
            std::this_thread::yield();
        // Everything submitted before, this thread's own commands among
        // them, goes first. A cell claimed but not yet published (its
        // submitter was interrupted between the two) holds up the ones
        // behind it: wait for it rather than overtake them.
        const std::size_t before = ring_.claimed();
        Command pending;
        while (ring_.popped() < before) {
            if (ring_.pop(pending))
                apply(pending);
            else
                std::this_thread::yield();
        }
        apply(command);
        running_.store(false, std::memory_order_seq_cst);
        // Whatever was left while this thread ran.
        runPending(apply);
    }

    // Runs whatever is pending, unless another thread is running commands.
    // Answers how far in the order of pushes this thread's own runs got (0
    // when it ran nothing).
    template <class Apply> std::size_t runPending(Apply&& apply)
    {
        std::size_t ranTo = 0;
        while (ring_.hasPending()) {
            if (running_.exchange(true, std::memory_order_seq_cst))
                return ranTo;
            Command command;
            while (ring_.pop(command))
                apply(command);
            ranTo = ring_.popped();
            running_.store(false, std::memory_order_seq_cst);
        }
        return ranTo;
    }

private:
    // The common case of a lone submitter: nobody applies and the ring is
    // empty, not even a cell claimed and not yet published, so everything
    // submitted before, this thread's own commands among them, has been
    // applied. The command then needs no place in the ring: it is applied at
    // once, and what others left meanwhile after it. False, having changed
    // nothing, when another thread applies or the ring holds anything.
    template <class Apply> bool applyAtOnce(const Command& command, Apply& apply)
    {
        if (running_.exchange(true, std::memory_order_seq_cst))
            return false;
        if (ring_.claimed() != ring_.popped()) {
            // Whoever pushed while this thread held the flag counts on a
            // look at the ring after it lets go: the ring path that follows
            // takes that look.
            running_.store(false, std::memory_order_seq_cst);
            return false;
        }
        apply(command);
        running_.store(false, std::memory_order_seq_cst);
        runPending(apply);
        return true;
    }

    CommandRing<Command, Capacity> ring_;
    std::atomic<bool> running_{false};
};
