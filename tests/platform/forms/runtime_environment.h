#pragma once

// The forms runtime on the system's backend for the whole test program, and the program running
// on its windows with message boxes on standard error; a test that wants them in windows runs
// on Runtime()->WindowedServices() meanwhile.

#include <gtest/gtest.h>

#include <memory>

#include "platform/forms/runtime.h"
#include "platform/program_services.h"

namespace vantrel::test {

class RuntimeEnvironment : public ::testing::Environment {
  public:
    explicit RuntimeEnvironment(const char* programName) : programName_(programName) {}

    void SetUp() override {
        Runtime() = std::make_unique<FormsRuntime>(programName_);
        run_ = std::make_unique<ProgramRun>(
            ProgramServices{.Windows = Runtime()->WindowedServices().Windows});
    }
    void TearDown() override {
        run_.reset();
        Runtime().reset();
    }

    static std::unique_ptr<FormsRuntime>& Runtime() {
        static std::unique_ptr<FormsRuntime> runtime;
        return runtime;
    }

  private:
    const char* programName_;
    std::unique_ptr<ProgramRun> run_;
};

}  // namespace vantrel::test
