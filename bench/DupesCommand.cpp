// volumescope-bench dupes DIR: the tree scan of the duplicate finder with the
// initial size range (every file of one byte or more), rows in list order as
// "checksum<TAB>size<TAB>path", an empty line between groups.
// volumescope-bench checksum FILE...: "checksum<TAB>path" per file.
#include "Commands.h"

#include "dupes/engine/DupeSearch.h"
#include "dupes/engine/FileChecksum.h"
#include "util/Services.h"

#include <QElapsedTimer>
#include <cstdio>
#include <string>
#include <sys/resource.h>

namespace
{

// Nothing to let through: the benchmark has no window.
class NoYield final : public vs::EventYield
{
  public:
    void yield() override {}
};

// Keeps the rows, prints error texts, and with VS_BENCH_TIMES=1 shows where
// the time goes and the peak resident size so far, one line per stage.
class BenchListener final : public vs::DupeSearchListener
{
  public:
    BenchListener() : times_(qEnvironmentVariableIsSet("VS_BENCH_TIMES"))
    {
        clock_.start();
        cpuBefore_ = cpu();
    }

    void searchStarted(vs::DupeSearchKind) override {}
    void stageChanged(Stage stage) override
    {
        if (stage == Stage::Sorting)
            lap("walk");
        else if (stage == Stage::Comparing)
            lap("sort");
    }
    void rowsAdded(const std::vector<vs::DupeRow> &rows) override
    {
        lap("group");
        rows_ = rows;
    }
    void rowAdded(const vs::DupeRow &row) override { rows_.push_back(row); }
    void errorBox(int, const QString &text, const QString &) override
    {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
    void searchFinished(vs::DupeSearchKind, double, int) override
    {
        if (!walked_)
            lap("walk");
    }

    const std::vector<vs::DupeRow> &rows() const { return rows_; }

  private:
    static double cpu()
    {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
               double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
    }
    void lap(const char *step)
    {
        walked_ = true;
        const double now = cpu();
        if (times_) {
            rusage u{};
            getrusage(RUSAGE_SELF, &u);
            std::fprintf(stderr, "%-6s %8.3f s  cpu %8.3f s  peak %7.1f MB\n", step,
                         double(clock_.nsecsElapsed()) / 1e9, now - cpuBefore_, double(u.ru_maxrss) / 1024);
        }
        cpuBefore_ = now;
        clock_.restart();
    }

    bool times_;
    bool walked_ = false;
    QElapsedTimer clock_;
    double cpuBefore_ = 0;
    std::vector<vs::DupeRow> rows_;
};

} // namespace

int RunDupes(int argc, char **argv)
{
    if (argc != 1) {
        std::fprintf(stderr, "usage: volumescope-bench dupes DIR\n");
        return 2;
    }
    NoYield yield;
    BenchListener listener;
    vs::DupeSearch search(yield, listener);
    search.scanTree(QByteArray(argv[0]));
    const std::vector<vs::DupeRow> &rows = listener.rows();
    // Row by row through stdio's buffer: a copy of the whole list would
    // count in the peak resident size this command is measured by.
    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i].colour != rows[i - 1].colour)
            std::fputc('\n', stdout);
        std::fprintf(stdout, "%d\t%lld\t", int(rows[i].checksum),
                     static_cast<long long>(rows[i].size.bytes()));
        std::fwrite(rows[i].path.constData(), 1, size_t(rows[i].path.size()), stdout);
        std::fputc('\n', stdout);
    }
    std::fflush(stdout);
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
