// Kernel pseudo file systems (proc, sysfs, cgroup ...): their files are not
// disk space, and walks never enter them. One list, asked by statfs's f_type
// or by the type name in the mount table.
#pragma once

#include <QByteArray>

namespace vs
{

bool IsPseudoFileSystem(long fsType);
bool IsPseudoFileSystemType(const QByteArray &fsType);

} // namespace vs
