// Opening files and folders for the walkers: paths of any length, reads that
// leave the access time alone where the kernel allows it, and room for the
// descriptors a deep walk keeps open.
#pragma once

#include <QByteArray>

namespace vs
{

// Opens a path of any length (components are opened one by one past
// PATH_MAX). Returns a descriptor or -1 with errno set.
int OpenAnyPath(const QByteArray &path, int flags);

// The same with O_NOATIME, tried again without it when the kernel refuses it
// (EPERM: only the owner may ask for it).
int OpenNoAtime(const QByteArray &path, int flags);
// `name` in the folder open as `dirFd`, likewise.
int OpenNoAtimeAt(int dirFd, const char *name, int flags);

// Raises the soft limit of open descriptors to the hard limit, once per
// process: a walk keeps one descriptor open per folder level.
void RaiseOpenLimit();

} // namespace vs
