// libFuzzer entry: every input is taken as Images.cab and installed into a scratch folder. A
// broken guarantee aborts, so the fuzzer keeps the input that broke it.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "fuzz/cabinet_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static vantrel::test::CabinetHarness harness;
    const auto outcome = harness.Run(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& violation : outcome.Violations) {
        std::fprintf(stderr, "broken guarantee: %s\n", violation.c_str());
    }
    if (!outcome.Violations.empty()) {
        std::abort();
    }
    return 0;
}
