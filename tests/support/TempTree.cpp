#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace vs::test
{

TempTree::TempTree()
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    root_ = QFile::encodeName(dir_.path());
}

TempTree::~TempTree()
{
    // Unlock folders a test locked, and remove the tree with rm: Qt's own
    // removal stops at names that are not valid in the locale's encoding.
    const std::string root = root_.toStdString();
    const std::string cmd = "chmod -R u+rwx '" + root + "' 2>/dev/null; rm -rf '" + root + "'";
    if (std::system(cmd.c_str()) != 0) {
        // Nothing more to do: a leftover in the temporary folder harms no test.
    }
}

void TempTree::mkdir(const QByteArray &rel) const
{
    QByteArray p = root_;
    for (const QByteArray &part : rel.split('/')) {
        if (part.isEmpty())
            continue;
        p += '/' + part;
        ::mkdir(p.constData(), 0755);
    }
}

void TempTree::file(const QByteArray &rel, int64_t size, char fill) const
{
    file(rel, QByteArray(size, fill));
}

void TempTree::file(const QByteArray &rel, const QByteArray &content) const
{
    const int k = rel.lastIndexOf('/');
    if (k > 0)
        mkdir(rel.left(k));
    FILE *f = std::fopen(path(rel).constData(), "wb");
    if (!f)
        throw std::runtime_error("cannot create test file");
    if (!content.isEmpty())
        std::fwrite(content.constData(), 1, size_t(content.size()), f);
    std::fclose(f);
}

void TempTree::symlink(const QByteArray &target, const QByteArray &rel) const
{
    if (::symlink(target.constData(), path(rel).constData()) != 0)
        throw std::runtime_error("cannot create symbolic link");
}

void TempTree::hardlink(const QByteArray &existingRel, const QByteArray &rel) const
{
    if (::link(path(existingRel).constData(), path(rel).constData()) != 0)
        throw std::runtime_error("cannot create hard link");
}

std::vector<QByteArray> ListingWithDots(const QByteArray &folder)
{
    std::vector<QByteArray> names;
    if (DIR *d = ::opendir(folder.constData())) {
        while (const dirent *e = ::readdir(d))
            names.emplace_back(e->d_name);
        ::closedir(d);
    }
    return names;
}

} // namespace vs::test
