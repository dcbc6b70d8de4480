// volumescope-bench sizes [--disk-usage] DIR: the total of each immediate
// subfolder of DIR, listed and measured exactly as the main window does it;
// with --disk-usage in the space on disk, as with "Размер на диске" ticked.
#include "Commands.h"

#include "fs/LinuxFileSystem.h"
#include "fs/Paths.h"
#include "util/Errors.h"

#include <cstdio>
#include <cstring>
#include <vector>

int RunSizes(int argc, char **argv)
{
    vs::SizeMeasure measure = vs::SizeMeasure::Apparent;
    if (argc >= 1 && std::strcmp(argv[0], "--disk-usage") == 0) {
        measure = vs::SizeMeasure::OnDisk;
        --argc;
        ++argv;
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: volumescope-bench sizes [--disk-usage] DIR\n");
        return 2;
    }
    const QByteArray dir(argv[0]);
    vs::FileSystem &fs = vs::DefaultFileSystem();
    int status = 0;
    try {
        std::vector<QByteArray> names;
        auto listing = fs.subFolders(dir);
        QByteArray name;
        while (listing->next(name))
            names.push_back(name);
        for (const QByteArray &n : names) {
            const QByteArray path = vs::JoinPath(dir, n);
            try {
                const vs::ByteCount size = fs.folderTotal(path, measure);
                std::printf("%lld\t%s\n", static_cast<long long>(size.bytes()), path.constData());
            } catch (const vs::VsError &e) {
                // The window lists such a folder with 0 bytes; say why here.
                std::printf("0\t%s\n", path.constData());
                std::fprintf(stderr, "%s: %d %s\n", path.constData(), e.number,
                             e.description.toLocal8Bit().constData());
                status = 1;
            }
        }
    } catch (const vs::VsError &e) {
        std::fprintf(stderr, "%s: %d %s\n", dir.constData(), e.number,
                     e.description.toLocal8Bit().constData());
        return 1;
    }
    return status;
}
