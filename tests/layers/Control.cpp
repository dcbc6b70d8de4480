// The probes' own headers alone build.
#include "drives/MountInfo.h"
#include "dupes/engine/DuplicateGroups.h"
#include "fs/LinuxFileSystem.h"
#include "report/HtmlReport.h"

int main()
{
    return 0;
}
