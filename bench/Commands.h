// Commands of volumescope-bench; each returns the process exit code.
#pragma once

int RunSizes(int argc, char **argv);    // sizes [--disk-usage] DIR
int RunDupes(int argc, char **argv);    // dupes DIR
int RunChecksum(int argc, char **argv); // checksum FILE...
