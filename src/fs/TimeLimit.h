// Calls that can block for ever (statvfs on a network share that stopped
// answering, a probe of a drive that spins up) run on detached worker threads;
// the caller waits at most a time limit and goes on without an answer. A
// blocked worker is never joined: it ends whenever the kernel lets it.
//
// Each call carries a key (the drive's mount point). While an earlier call
// with the same key is still blocked, no new worker is started for it and the
// call gets no answer at once, so a dead share costs the limit once, not at
// every look, and stuck threads do not pile up.
//
// While the interface thread waits, it lets paint events through (never user
// input), so the window stays drawn.
#pragma once

#include "fs/WaitSlice.h"
#include "util/Services.h"

#include <QByteArray>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vs
{

constexpr std::chrono::milliseconds kDriveTimeLimit{2000};

namespace detail
{
bool ClaimKey(const QByteArray &key);
void ReleaseKey(const QByteArray &key);
} // namespace detail

template <class T> struct TimedJob {
    QByteArray key; // empty: no key
    std::function<T()> work;
};

// Runs every job at once and waits for all of them until one common deadline.
// A job that threw, did not end in time or was still blocked from an earlier
// call has no value.
template <class T>
std::vector<std::optional<T>> RunAllWithTimeLimit(std::vector<TimedJob<T>> jobs,
                                                  std::chrono::milliseconds limit = kDriveTimeLimit)
{
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        std::vector<std::optional<T>> results;
        size_t pending = 0;
    };
    auto state = std::make_shared<State>();
    state->results.resize(jobs.size());

    for (size_t i = 0; i < jobs.size(); ++i) {
        QByteArray key = jobs[i].key;
        if (!key.isEmpty() && !detail::ClaimKey(key))
            continue;
        {
            std::lock_guard lock(state->mutex);
            ++state->pending;
        }
        auto run = [state, i, key, work = std::move(jobs[i].work)]() {
            std::optional<T> result;
            try {
                result = work();
            } catch (...) {
            }
            // Free before the caller hears of it, so a call that follows at
            // once with the same key is not refused.
            if (!key.isEmpty())
                detail::ReleaseKey(key);
            {
                std::lock_guard lock(state->mutex);
                state->results[i] = std::move(result);
                --state->pending;
            }
            state->done.notify_all();
        };
        try {
            std::thread(std::move(run)).detach();
        } catch (...) {
            std::lock_guard lock(state->mutex);
            --state->pending;
            if (!key.isEmpty())
                detail::ReleaseKey(key);
        }
    }

    const auto deadline = std::chrono::steady_clock::now() + limit;
    const bool paint = OnInterfaceThread();
    std::unique_lock lock(state->mutex);
    while (state->pending > 0) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            break;
        auto slice = deadline - now;
        if (paint && slice > std::chrono::milliseconds(20))
            slice = std::chrono::milliseconds(20);
        WaitSlice(state->done, lock, slice);
        if (paint && state->pending > 0) {
            lock.unlock();
            LetPaintsThrough();
            lock.lock();
        }
    }
    return state->results;
}

template <class T>
std::optional<T> RunWithTimeLimit(const QByteArray &key, std::function<T()> work,
                                  std::chrono::milliseconds limit = kDriveTimeLimit)
{
    std::vector<TimedJob<T>> jobs;
    jobs.push_back({key, std::move(work)});
    return RunAllWithTimeLimit<T>(std::move(jobs), limit).front();
}

} // namespace vs
