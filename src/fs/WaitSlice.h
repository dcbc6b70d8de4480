// A wait of at most one slice on a condition variable, measured on the system
// clock on purpose: libstdc++ turns a wait on the steady clock into
// pthread_cond_clockwait, which ThreadSanitizer of this toolchain does not
// intercept, so it sees the mutex held through the wait and reports races that
// are not there. Every caller keeps its own deadline on the steady clock and
// waits in slices, so a jump of the system clock only ends one slice early or
// late.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace vs
{

template <class Rep, class Period>
void WaitSlice(std::condition_variable &cv, std::unique_lock<std::mutex> &lock,
               std::chrono::duration<Rep, Period> slice)
{
    cv.wait_until(lock, std::chrono::system_clock::now() + slice);
}

} // namespace vs
