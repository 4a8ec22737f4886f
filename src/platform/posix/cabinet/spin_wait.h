#pragma once

// How the cabinet service's threads wait for each other: awake for a while, then asleep.

namespace vantrel {

// A frame is decoded or written, or a small file written, in some tens of microseconds. Waiting
// that long awake costs less than going to sleep and being woken, which between two cores of a
// virtual machine costs about as much again. true when `done` came true meanwhile.
template <typename Done>
bool SpinUntil(Done done) noexcept {
    constexpr int kSpins = 4000;
    for (int spin = 0; spin < kSpins; ++spin) {
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
