#pragma once

#include <gtest/gtest.h>

#include "shared/raised_error.h"

namespace vantrel::test {

// The RaisedError `action` raises; a test failure when it raises none.
template <class Action>
RaisedError RaisedBy(Action&& action) {
    try {
        action();
    } catch (const RaisedError& error) {
        return error;
    }
    ADD_FAILURE() << "no RaisedError was raised";
    return {0, "", ""};
}

}  // namespace vantrel::test
