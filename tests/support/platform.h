#pragma once

// Which platform layer the tests run against, for the few expectations that differ: each use
// says why in one line.

#include <gtest/gtest.h>

#include <utility>

namespace vantrel::test {

#ifdef _WIN32
// The system's own services: Windows, or Wine standing in for it.
inline constexpr bool kSystemServices = true;
#else
// Our POSIX layer: the Wine prefix's registry and drives, libmspack.
inline constexpr bool kSystemServices = false;
#endif

// `posix` against our POSIX layer, `windows` against the system's services.
template <typename T>
T OnPlatform(T posix, T windows) {
    return kSystemServices ? std::move(windows) : std::move(posix);
}

}  // namespace vantrel::test

// Skips the rest of a test that only one platform layer can set up; `why` is the one-line reason.
#define VANTREL_SKIP_ON_WINDOWS(why)               \
    if (::vantrel::test::kSystemServices) {        \
        GTEST_SKIP() << "not on Windows: " << why; \
    }
