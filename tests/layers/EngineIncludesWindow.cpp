// Must not compile: the duplicate engine may not use the window above it.
#include "dupes/Form2.h"
#include "dupes/engine/DuplicateGroups.h"

int main()
{
    return 0;
}
