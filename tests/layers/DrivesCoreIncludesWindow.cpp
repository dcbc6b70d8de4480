// Must not compile: the mount table may not use the drive overview window.
#include "drives/MountInfo.h"
#include "drives/frmSplash.h"

int main()
{
    return 0;
}
