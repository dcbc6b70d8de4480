// Joins the main window to the program's other windows: the print command,
// the duplicate finder, the About window and the drive overview. Kept apart
// from Form1 so the window itself builds and tests without them.
#pragma once

#include "report/PrintCommand.h"

#include <QObject>
#include <memory>

namespace vs {

class Form1;
class Form2;
class FileSystem;
class MountTable;
class Shell;
class MessageBoxes;
class EventYield;

class ProgramWindows : public QObject {
    Q_OBJECT
public:
    struct Services {
        FileSystem &fs;
        MountTable &mounts;
        Shell &shell;
        MessageBoxes &boxes;
        EventYield &yield;
        PrintServices print; // report dialog, preview and folder; defaults are the real ones
    };
    ProgramWindows(Form1 &form1, Services services);
    ~ProgramWindows() override;

    void print();
    void showDuplicates();
    void showAbout();
    void showDriveOverview();
    // The main window is going away: the duplicate finder goes with it.
    void closeOthers();
    // The duplicate finder once it has been shown, else null.
    Form2 *duplicateFinder() const { return form2_.get(); }

private:
    Form1 &form1_;
    Services services_;
    std::unique_ptr<Form2> form2_;
};

} // namespace vs
