#include "widgets/WindowServices.h"

#include "drives/MountTable.h"
#include "fs/LinuxFileSystem.h"
#include "widgets/DesktopServices.h"

namespace vs
{

WindowServices DefaultWindowServices()
{
    return {DefaultFileSystem(), DefaultMountTable(), DefaultShell(), DefaultMessageBoxes(), DefaultYield()};
}

} // namespace vs
