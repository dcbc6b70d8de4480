// The outside services every window is handed, in one struct: the real ones
// in the program, fakes in the tests. A window that needs more (a file
// dialog, a clock, the print dialogs) takes them beside this struct.
#pragma once

namespace vs
{

class EventYield;
class FileSystem;
class MessageBoxes;
class MountTable;
class Shell;

struct WindowServices {
    FileSystem &fs;
    MountTable &mounts;
    Shell &shell;
    MessageBoxes &boxes;
    EventYield &yield;
};

// The real services of the program.
WindowServices DefaultWindowServices();

} // namespace vs
