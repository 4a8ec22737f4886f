#pragma once

// Running part of a test in a process of its own: for limits or a changed user that must never
// reach the rest of the tests.

#include <functional>
#include <string>

namespace vantrel::test {

enum class ChildUser {
    Same,
    // As root, whose writes pass every permission check, the child becomes "nobody" first; any
    // other user stays who it is.
    Unprivileged,
};

// Runs `body` in a forked child and answers the text it returned. The child never returns into
// the test program: it must not run the destructors of the parent's temporary folders. A child
// that cannot change its user answers "cannot become nobody"; one whose body throws, "exception";
// one killed by a signal, "killed by signal N".
std::string InChildProcess(ChildUser user, const std::function<std::string()>& body);

}  // namespace vantrel::test
