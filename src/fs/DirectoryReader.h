// The one directory reader of the walkers: getdents64 into a buffer that is
// kept from folder to folder, entries handed out in the order the kernel
// delivers them, each with its name and its type as the directory records it
// (DT_UNKNOWN where the file system does not say).
#pragma once

#include <cstddef>
#include <memory>

namespace vs
{

// True for "." and "..".
inline bool IsDotName(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

struct DirEntry {
    const char *name = nullptr; // valid until the next call of next()
    unsigned char type = 0;     // DT_REG, DT_DIR, ..., DT_UNKNOWN
};

class DirectoryReader
{
  public:
    enum class Dots { Skip, Deliver };
    static constexpr size_t kDefaultBuffer = 32 * 1024;

    explicit DirectoryReader(Dots dots = Dots::Skip, size_t bufferBytes = kDefaultBuffer);

    // Starts on the folder open as `fd` (read from its current position; the
    // descriptor stays the caller's and is not closed here).
    void start(int fd);

    // The next entry; false at the end of the folder or when a read fails
    // (then error() is the errno; a further call tries to read again).
    bool next(DirEntry &entry);
    int error() const { return error_; }

  private:
    Dots dots_;
    size_t size_;
    std::unique_ptr<char[]> buffer_;
    int fd_ = -1;
    size_t pos_ = 0;
    size_t len_ = 0;
    bool ended_ = false;
    int error_ = 0;
};

} // namespace vs
