// A test body run in a forked child, for what must not touch the test process:
// another user id, a lower descriptor limit, a crash under test.
#pragma once

#include <functional>
#include <string>

namespace vs::test
{

// Runs `prepare` and then `body` in a forked child and returns the text the
// body returned ("exception" when it threw). When `prepare` returns a text,
// the body does not run and that text comes back instead. The child never
// returns into the test framework.
std::string RunInChild(const std::function<std::string()> &body,
                       const std::function<std::string()> &prepare = {});

// The prepare step that makes the child an unprivileged user (nobody), so that
// permission checks bite when the tests run as root.
std::string BecomeUnprivileged();

} // namespace vs::test
