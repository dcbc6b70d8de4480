// The owner of the program's secondary windows: the duplicate finder, the
// About window and the drive overview, and the print command. It is the one
// place that decides how many windows of a kind there may be:
//  - one duplicate finder object for the whole run, created at the first F4;
//    closing only hides it, so its size range and animation counter survive
//    until it is opened again; it closes with the main window;
//  - at most one About window; it deletes itself when closed, and one closed
//    but not yet deleted counts as gone (F1 right after OK shows a new one);
//    it stays open, and keeps the program running, after the main window
//    closes;
//  - at most one drive overview; a new opening closes the one still open.
// With settings it also brings back what the last run kept (the main window's
// place, divider, sort and measure; the duplicate finder's size range) and keeps them
// for the next one.
// Kept apart from Form1 so the main window builds and tests without them.
#pragma once

#include "report/PrintCommand.h"
#include "widgets/WindowServices.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace vs
{

class Form1;
class Form2;
class ProgramSettings;
class VolumeQuery;
class frmAbout;
class frmSplash;

class ProgramWindows : public QObject
{
    Q_OBJECT
  public:
    // `print` defaults to the real dialogs (its message boxes to services.boxes);
    // `volumes` is what the drive overview asks, by default the real drives.
    // `settings` (none: nothing is read or kept) is applied to the main window
    // at once, so construct this before showing it.
    ProgramWindows(Form1 &form1, const WindowServices &services, PrintServices print = {},
                   VolumeQuery *volumes = nullptr, ProgramSettings *settings = nullptr);
    ~ProgramWindows() override;

    void print();
    void showDuplicates();
    void showAbout();
    void showDriveOverview();
    // The main window is going away: its state is kept, and the duplicate
    // finder goes with it.
    void closeOthers();

    // The windows as they are now: null before the first opening, and for
    // About and the overview once they have been closed and deleted.
    Form2 *duplicateFinder() const;
    frmAbout *about() const;
    frmSplash *driveOverview() const;

  private:
    void keepSizeRange(Form2 &finder);

    Form1 &form1_;
    const WindowServices services_;
    PrintServices print_;
    VolumeQuery &volumes_;
    ProgramSettings *settings_;
    std::unique_ptr<Form2> duplicates_;
    QPointer<frmAbout> about_;
    QPointer<frmSplash> overview_;
};

} // namespace vs
