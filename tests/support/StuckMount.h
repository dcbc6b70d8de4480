// A mount that stops answering, for tests of what the program does on a dead
// network share or a FUSE file system whose daemon hangs: a squashfs image
// mounted with squashfuse, whose daemon is then stopped with SIGSTOP. Every
// look inside the mount (stat, open, statvfs of its root) blocks until the
// daemon is resumed or killed. Where FUSE or the tools are missing the mount
// is not made and `why()` says why, for GTEST_SKIP.
#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace vs::test
{

class StuckMount
{
  public:
    // Mounts an image holding one file "inside" (5 bytes) at `mountPoint`
    // (created when missing) and stops its daemon.
    explicit StuckMount(const QByteArray &mountPoint);
    // Resumes and ends the daemon and detaches the mount, so nothing stays blocked.
    ~StuckMount();
    StuckMount(const StuckMount &) = delete;
    StuckMount &operator=(const StuckMount &) = delete;

    bool available() const { return pid_ > 0; }
    QString why() const { return why_; }
    const QByteArray &mountPoint() const { return mountPoint_; }
    // The device numbers the kernel gave the mount (from the mount table).
    QByteArray majorMinor() const { return majorMinor_; }

    void resume();
    void stop();

  private:
    void release();

    QByteArray mountPoint_;
    QByteArray scratch_;
    QByteArray majorMinor_;
    QString why_;
    pid_t pid_ = -1;
};

} // namespace vs::test
