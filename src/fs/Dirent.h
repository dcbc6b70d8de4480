// Directory entries as getdents64 delivers them: read straight from the
// kernel's buffer, with no allocation per entry.
#pragma once

#include <cstdint>
#include <sys/syscall.h>
#include <unistd.h>

namespace vs {

struct LinuxDirent64 {
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

// Fills `buffer` with the next entries of the open folder `fd`; the byte
// count, 0 at the end, -1 with errno on failure.
inline long ReadDirents(int fd, void *buffer, unsigned long size)
{
    return ::syscall(SYS_getdents64, fd, buffer, size);
}

} // namespace vs
