// Totals the regular files beneath one open folder with a pool of threads
// over all cores. Directories are read with getdents64 into reusable buffers
// and opened relative to their parent's descriptor, so depth and path length
// do not matter; files are looked at with fstatat only where a size or a type
// is needed. Only a bounded number of folders keep their descriptor open
// while they wait; the others are reopened from the nearest open ancestor,
// so any depth fits under a small descriptor limit.
#pragma once

#include "fs/MountFence.h"
#include "util/FileSystem.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace vs
{

class FolderSizer
{
  public:
    // threads 0: one per core, and more while the disk keeps the walk
    // waiting (see setDiskThreads).
    explicit FolderSizer(unsigned threads = 0);

    // Sum of st_size of the regular files beneath the folder open as dirFd,
    // which this call closes. Each inode counts once, symbolic links are not
    // followed, folders on another device are left out and folders or files
    // that cannot be read add nothing; the fenced mount points are neither
    // opened nor stat'ed. Throws VsError 7 when memory runs out and 67 when
    // a folder could not be opened for want of descriptors.
    //
    // Without whileWaiting the calling thread walks along with the pool.
    // With it, the calling thread only waits and calls it every few
    // milliseconds (to let a window repaint).
    uint64_t measure(int dirFd, const std::function<void()> &whileWaiting = {});
    uint64_t measure(int dirFd, const MountFence &fence, const std::function<void()> &whileWaiting = {});

    // Descriptors of waiting folders kept open at most; the others are
    // closed and reopened when their turn comes. 0: from the process's limit.
    void setDescriptorBudget(unsigned budget) { budget_ = budget; }

    // Apparent (the default): st_size of the regular files, as above. OnDisk:
    // st_blocks x 512 of the folder itself and of every inode beneath it,
    // folders and links included, each once, as du -s -x counts.
    void setMeasure(SizeMeasure measure) { measure_ = measure; }
    // Once the flag is set (by whileWaiting, or by any thread), the walkers
    // stop at the next entry and measure returns what was counted so far.
    void setAbandonFlag(const std::atomic<bool> *abandon) { abandon_ = abandon; }
    // Threads to walk with when the first folders had to be read from the
    // disk (the calling thread slept on them): the walk then waits on the
    // disk, not on the cores, and more requests in flight shorten the wait.
    // At least threads(); by default as many for a count given to the
    // constructor, 16 with one per core.
    void setDiskThreads(unsigned threads);

    unsigned threads() const { return threads_; }
    unsigned diskThreads() const { return diskThreads_; }

  private:
    unsigned threads_;
    unsigned diskThreads_;
    unsigned budget_ = 0;
    SizeMeasure measure_ = SizeMeasure::Apparent;
    const std::atomic<bool> *abandon_ = nullptr;
};

} // namespace vs
