#include "Commands.h"

#include "fs/FileOpen.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    vs::RaiseOpenLimit();
    QCoreApplication app(argc, argv);
    const char *cmd = argc > 1 ? argv[1] : "";
    if (std::strcmp(cmd, "sizes") == 0)
        return RunSizes(argc - 2, argv + 2);
    if (std::strcmp(cmd, "dupes") == 0)
        return RunDupes(argc - 2, argv + 2);
    if (std::strcmp(cmd, "checksum") == 0)
        return RunChecksum(argc - 2, argv + 2);
    std::fprintf(stderr,
                 "usage: volumescope-bench sizes [--disk-usage] DIR | dupes DIR | checksum FILE...\n");
    return 2;
}
