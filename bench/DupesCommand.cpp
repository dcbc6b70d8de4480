// volumescope-bench dupes DIR: the tree scan of the duplicate finder with the
// initial size range (every file of one byte or more), rows in list order as
// "checksum<TAB>size<TAB>path", an empty line between groups.
// volumescope-bench checksum FILE...: "checksum<TAB>path" per file.
#include "Commands.h"

#include "dupes/engine/DuplicateGroups.h"
#include "dupes/engine/FileChecksum.h"

#include <QElapsedTimer>
#include <cstdio>
#include <sys/resource.h>
#include <string>

namespace {

class BenchHost final : public vs::DupeHost {
public:
    void yield() override {}
    bool scanRunning() const override { return true; }
    void showError(int, const QString &text, const QString &) override
    {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
};

} // namespace

int RunDupes(int argc, char **argv)
{
    if (argc != 1) {
        std::fprintf(stderr, "usage: volumescope-bench dupes DIR\n");
        return 2;
    }
    BenchHost host;
    vs::FileCollection files;
    // The scan's steps one by one, so VS_BENCH_TIMES=1 can show where the time goes.
    const bool times = qEnvironmentVariableIsSet("VS_BENCH_TIMES");
    QElapsedTimer clock;
    clock.start();
    double cpuBefore = 0;
    auto cpu = [] {
        rusage u {};
        getrusage(RUSAGE_SELF, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    };
    auto lap = [&](const char *step) {
        const double now = cpu();
        if (times)
            std::fprintf(stderr, "%-6s %8.3f s  cpu %8.3f s\n", step, double(clock.nsecsElapsed()) / 1e9,
                         now - cpuBefore);
        cpuBefore = now;
        clock.restart();
    };
    cpuBefore = cpu();
    files.reset();
    QByteArray path(argv[0]);
    int32_t entryCount = 0, folderCount = 0;
    vs::FindFilesAPI_all(host, files, path, QByteArrayLiteral("*.*"), entryCount, folderCount);
    lap("walk");
    std::vector<vs::DupeRow> rows;
    if (files.fileCount() > 0) {
        files.trim();
        vs::SortBySize(files);
        lap("sort");
        rows = vs::ListDuplicateGroups(files, &host);
        lap("group");
    }
    std::string out;
    out.reserve(rows.size() * 96);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i].colour != rows[i - 1].colour)
            out += '\n';
        out += std::to_string(rows[i].checksum);
        out += '\t';
        out += std::to_string(rows[i].size.bytes());
        out += '\t';
        out.append(rows[i].path.constData(), size_t(rows[i].path.size()));
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

int RunChecksum(int argc, char **argv)
{
    if (argc < 1) {
        std::fprintf(stderr, "usage: volumescope-bench checksum FILE...\n");
        return 2;
    }
    for (int i = 0; i < argc; ++i)
        std::printf("%d\t%s\n", vs::FileChecksum(QByteArray(argv[i])), argv[i]);
    return 0;
}
