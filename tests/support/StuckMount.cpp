#include "support/StuckMount.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vs::test
{
namespace
{

// The mount table's "major:minor" for a mount point, empty when not mounted.
QByteArray MountedAt(const QByteArray &mountPoint)
{
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4 && fields[4] == mountPoint)
            return fields[2];
    }
    return {};
}

} // namespace

StuckMount::StuckMount(const QByteArray &mountPoint) : mountPoint_(mountPoint)
{
    const QString squashfuse = QStandardPaths::findExecutable(QStringLiteral("squashfuse"));
    const QString mksquashfs = QStandardPaths::findExecutable(QStringLiteral("mksquashfs"));
    if (squashfuse.isEmpty() || mksquashfs.isEmpty()) {
        why_ = QStringLiteral("squashfuse or mksquashfs missing (Debian: squashfuse squashfs-tools)");
        return;
    }
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        why_ = QStringLiteral("no usable /dev/fuse here");
        return;
    }
    char scratch[] = "/tmp/vs-stuck-XXXXXX";
    if (!::mkdtemp(scratch)) {
        why_ = QStringLiteral("no scratch folder");
        return;
    }
    scratch_ = scratch;
    QDir().mkpath(QFile::decodeName(scratch_ + "/content"));
    QFile inside(QFile::decodeName(scratch_ + "/content/inside"));
    if (inside.open(QIODevice::WriteOnly))
        inside.write("stuck");
    inside.close();
    const QString image = QFile::decodeName(scratch_ + "/image.sqfs");
    if (QProcess::execute(mksquashfs, {QFile::decodeName(scratch_ + "/content"), image,
                                       QStringLiteral("-quiet"), QStringLiteral("-noappend")}) != 0) {
        why_ = QStringLiteral("mksquashfs failed");
        return;
    }
    QDir().mkpath(QFile::decodeName(mountPoint_));

    const QByteArray exe = QFile::encodeName(squashfuse);
    const QByteArray img = QFile::encodeName(image);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Dies with the test, so a crashed test leaves no stopped daemon behind
        // (the mount then answers "not connected" instead of blocking).
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        ::execl(exe.constData(), "squashfuse", "-f", img.constData(), mountPoint_.constData(),
                static_cast<char *>(nullptr));
        ::_exit(127);
    }
    if (pid < 0) {
        why_ = QStringLiteral("fork failed");
        return;
    }
    for (int i = 0; i < 500 && majorMinor_.isEmpty(); ++i) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            why_ = QStringLiteral("squashfuse could not mount here");
            return;
        }
        majorMinor_ = MountedAt(mountPoint_);
        if (majorMinor_.isEmpty())
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = pid;
    if (majorMinor_.isEmpty()) {
        why_ = QStringLiteral("the mount did not appear");
        release();
        return;
    }
    stop();
}

void StuckMount::stop()
{
    if (pid_ > 0)
        ::kill(pid_, SIGSTOP);
}

void StuckMount::resume()
{
    if (pid_ > 0)
        ::kill(pid_, SIGCONT);
}

StuckMount::~StuckMount()
{
    release();
}

void StuckMount::release()
{
    if (pid_ > 0) {
        resume();
        ::umount2(mountPoint_.constData(), MNT_DETACH);
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    if (!scratch_.isEmpty())
        QDir(QFile::decodeName(scratch_)).removeRecursively();
}

} // namespace vs::test
