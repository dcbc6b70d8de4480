#include "ProgramWindows.h"

#include "Form1.h"
#include "about/frmAbout.h"
#include "drives/frmSplash.h"
#include "dupes/Form2.h"
#include "scan/FolderScan.h"
#include "scan/ResultList.h"

#include <QPointer>

namespace vs {

ProgramWindows::~ProgramWindows() = default;

ProgramWindows::ProgramWindows(Form1 &form1, Services services)
    : form1_(form1), services_(std::move(services))
{
    if (!services_.print.boxes)
        services_.print.boxes = &services_.boxes;
    connect(&form1, &Form1::printRequested, this, &ProgramWindows::print);
    connect(&form1, &Form1::duplicatesRequested, this, &ProgramWindows::showDuplicates);
    connect(&form1, &Form1::aboutRequested, this, &ProgramWindows::showAbout);
    connect(&form1, &Form1::driveOverviewRequested, this, &ProgramWindows::showDriveOverview);
    connect(&form1, &Form1::closing, this, &ProgramWindows::closeOthers);
}

void ProgramWindows::print()
{
    ResultList *list = form1_.listView1();
    PrintCommand(form1_.scan().scanRunning(), *list,
                 [list](int column) { return list->columnWidthTwips(column); }, form1_.printFields,
                 &form1_, services_.print);
}

void ProgramWindows::showDuplicates()
{
    if (!form2_)
        form2_ = std::make_unique<Form2>(
            WindowServices{services_.fs, services_.mounts, services_.shell, services_.boxes, services_.yield});
    form2_->showWindow();
}

void ProgramWindows::showAbout()
{
    frmAbout::showSingle();
}

void ProgramWindows::showDriveOverview()
{
    // One overview at a time: a new opening closes the one still open.
    static QPointer<frmSplash> current;
    if (current) {
        current->close();
        delete current.data();
    }
    auto *window = new frmSplash(services_.mounts, DefaultVolumeQuery(), &form1_);
    current = window;
    window->open(form1_.drive1Text());
}

void ProgramWindows::closeOthers()
{
    if (form2_)
        form2_->closeForApp();
}

} // namespace vs
