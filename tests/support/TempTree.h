// A temporary folder for real-tree tests, removed with everything in it.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <cstdint>
#include <vector>

namespace vs::test
{

class TempTree
{
  public:
    TempTree();
    ~TempTree();
    const QByteArray &root() const { return root_; }
    QByteArray path(const QByteArray &rel) const { return root_ + '/' + rel; }
    // Creates folders (with parents) and files of `size` bytes of `fill`.
    void mkdir(const QByteArray &rel) const;
    void file(const QByteArray &rel, int64_t size, char fill = 'x') const;
    void file(const QByteArray &rel, const QByteArray &content) const;
    void symlink(const QByteArray &target, const QByteArray &rel) const;
    void hardlink(const QByteArray &existingRel, const QByteArray &rel) const;

  private:
    QTemporaryDir dir_;
    QByteArray root_;
};

// A folder's names in the order the file system delivers them, "." and ".."
// included: the duplicate walk yields at those too.
std::vector<QByteArray> ListingWithDots(const QByteArray &folder);

} // namespace vs::test
