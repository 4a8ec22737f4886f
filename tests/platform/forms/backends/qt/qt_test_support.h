#pragma once

// The Qt backend's tests run the forms runtime on it, on Qt's offscreen platform unless told
// otherwise, at the offscreen screen's 96 dots per inch. Message boxes go to standard error
// unless a test shows them in windows.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "platform/forms/runtime.h"

namespace vantrel::test {

inline const char kProgramName[] = "vantrel-qt-tests";

class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        Runtime() = std::make_unique<FormsRuntime>(kProgramName);
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
    std::unique_ptr<ProgramRun> run_;
};

inline const bool kQtEnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(new QtEnvironment), true);

}  // namespace vantrel::test
