#pragma once

// The cabinet service's second threads: how they start, and how they and the walk's thread wait
// for each other, awake for a while, then asleep.

#include <exception>
#include <thread>

namespace vantrel {

// Starts `thread` running `body` unless it runs already; false when no thread can be had, and the
// caller then does the work itself.
template <typename Body>
bool StartOnce(std::thread& thread, Body body) noexcept {
    if (thread.joinable()) {
        return true;
    }
    try {
        thread = std::thread(body);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// A frame is decoded or written, or a batch of small files written, in some tens of
// microseconds. Waiting that long awake (4,000 pauses, about 100 microseconds on the machines we
// measured) costs less than going to sleep and being woken, which between two cores of a virtual
// machine costs about as much again. true when `done` came true meanwhile.
template <typename Done>
bool SpinUntil(Done done, int spins = 4000) noexcept {
    for (int spin = 0; spin < spins; ++spin) {
        if (done()) {
            return true;
        }
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    return false;
}

}  // namespace vantrel
