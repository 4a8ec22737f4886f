#pragma once

// The Qt backend's tests run the forms runtime on it, on Qt's offscreen platform unless told
// otherwise, at the offscreen screen's 96 dots per inch. Message boxes go to standard error
// unless a test shows them in windows.

#include <gtest/gtest.h>

#include <QApplication>

#include "platform/forms/runtime_environment.h"

namespace vantrel::test {

inline const char kProgramName[] = "vantrel-qt-tests";

class QtEnvironment : public RuntimeEnvironment {
  public:
    QtEnvironment() : RuntimeEnvironment(kProgramName) {}
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        RuntimeEnvironment::SetUp();
    }
};

inline const bool kQtEnvironmentRegistered =
    (::testing::AddGlobalTestEnvironment(new QtEnvironment), true);

}  // namespace vantrel::test
