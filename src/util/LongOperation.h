// The state of a window's long work, kept the same way by every window that
// runs some: whether the work runs, whether the user asked it to stop, and
// whether a close arrived meanwhile and waits for the work to wind down.
// The work itself runs on the interface thread and yields to the event loop,
// so a second click or a close can only arrive at a yield; this is what they
// find there.
#pragma once

namespace vs
{

class LongOperation
{
  public:
    bool running() const { return depth_ > 0; }
    bool stopRequested() const { return stopRequested_; }
    bool closePending() const { return closePending_; }

    // Starts the work: false (and nothing changes) when it already runs.
    bool begin()
    {
        if (running())
            return false;
        stopRequested_ = false;
        ++depth_;
        return true;
    }
    // Nested use (a window busy in several places at once).
    void enter() { ++depth_; }

    // Asks running work to stop at its next stop check.
    void requestStop()
    {
        if (running())
            stopRequested_ = true;
    }

    // A close arrived. True when the window may close now; otherwise the work
    // is asked to stop and the close waits for it (end() reports it).
    bool requestClose()
    {
        if (!running())
            return true;
        stopRequested_ = true;
        closePending_ = true;
        return false;
    }

    // The work has returned. True when a close waited for it: the caller
    // closes the window now.
    bool end()
    {
        if (depth_ > 0 && --depth_ > 0)
            return false;
        stopRequested_ = false;
        const bool close = closePending_;
        closePending_ = false;
        return close;
    }

  private:
    int depth_ = 0;
    bool stopRequested_ = false;
    bool closePending_ = false;
};

} // namespace vs
