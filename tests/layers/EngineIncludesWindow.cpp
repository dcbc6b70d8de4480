// Must not compile: the duplicate engine may not use the window above it.
#include "dupes/engine/DuplicateGroups.h"
#include "dupes/Form2.h"

int main() { return 0; }
