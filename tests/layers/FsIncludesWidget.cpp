// Must not compile: the file-system layer may not use a shared control.
#include "fs/LinuxFileSystem.h"
#include "widgets/DirListBox.h"

int main()
{
    return 0;
}
