#include "fs/DirectoryReader.h"

#include <cerrno>
#include <cstdint>
#include <sys/syscall.h>
#include <unistd.h>

namespace vs
{
namespace
{

// A record as getdents64 lays it out in the buffer.
struct LinuxDirent64 {
    uint64_t d_ino;
    int64_t d_off;
    unsigned short d_reclen;
    unsigned char d_type;
    char d_name[];
};

} // namespace

DirectoryReader::DirectoryReader(Dots dots, size_t bufferBytes)
    : dots_(dots), size_(bufferBytes), buffer_(new char[bufferBytes])
{
}

void DirectoryReader::start(int fd)
{
    fd_ = fd;
    pos_ = len_ = 0;
    ended_ = false;
    error_ = 0;
}

bool DirectoryReader::next(DirEntry &entry)
{
    for (;;) {
        while (pos_ < len_) {
            const auto *d = reinterpret_cast<const LinuxDirent64 *>(buffer_.get() + pos_);
            pos_ += d->d_reclen;
            if (dots_ == Dots::Skip && IsDotName(d->d_name))
                continue;
            entry.name = d->d_name;
            entry.type = d->d_type;
            return true;
        }
        if (ended_)
            return false;
        const long n = ::syscall(SYS_getdents64, fd_, buffer_.get(), size_);
        if (n < 0) {
            error_ = errno;
            return false;
        }
        error_ = 0;
        if (n == 0) {
            ended_ = true;
            return false;
        }
        pos_ = 0;
        len_ = size_t(n);
    }
}

} // namespace vs
