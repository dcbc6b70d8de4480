// Folder totals on trees that break careless walkers: every kind of special
// file, names in any encoding, sparse files, one huge folder, a deep chain
// with side folders. The totals are exact and the same on any thread count.
#include "support/HostileTree.h"
#include "fs/LinuxFileSystem.h"

#include <gtest/gtest.h>

using namespace vs;
using namespace vs::test;

namespace
{

int64_t Total(const QByteArray &folder, unsigned threads)
{
    LinuxFileSystem fs(threads);
    return fs.folderSize(folder).bytes();
}

} // namespace

TEST(HostileTree, SpecialFilesOddNamesAndSparseFilesGiveExactTotals)
{
    TempTree t;
    MakeSpecialFiles(t, "mix/special");
    const int64_t odd = MakeOddNames(t, "mix/odd");
    const int64_t sparse = MakeSparseFile(t, "mix/sparse/img", int64_t(1) << 40, 4096);
    const int64_t wide = MakeWideFolder(t, "mix/wide", 3000, 7);
    for (unsigned threads : {1u, 2u, 8u}) {
        EXPECT_EQ(Total(t.path("mix/special"), threads), 0) << threads;
        EXPECT_EQ(Total(t.path("mix/odd"), threads), odd) << threads;
        EXPECT_EQ(Total(t.path("mix"), threads), odd + sparse + wide) << threads;
    }
}

TEST(HostileTree, DeepChainWithSideFoldersIsCountedWhole)
{
    TempTree t;
    // Deeper than PATH_MAX allows in one path: 1,500 levels of "level-...".
    const int64_t expected = MakeDeepChain(t, "chain", {1500, 2, 3, "level-folder"});
    EXPECT_EQ(expected, 1500 * 3 * 3);
    for (unsigned threads : {1u, 2u, 8u})
        EXPECT_EQ(Total(t.path("chain"), threads), expected) << threads;
}
