#include "ProgramWindows.h"

#include "Form1.h"
#include "ProgramSettings.h"
#include "about/frmAbout.h"
#include "drives/VolumeQuery.h"
#include "drives/frmSplash.h"
#include "dupes/Form2.h"
#include "scan/FolderScan.h"
#include "scan/ResultList.h"

#include <QGroupBox>
#include <QPushButton>

namespace vs
{

ProgramWindows::ProgramWindows(Form1 &form1, const WindowServices &services, PrintServices print,
                               VolumeQuery *volumes, ProgramSettings *settings)
    : form1_(form1), services_(services), print_(std::move(print)),
      volumes_(volumes ? *volumes : DefaultVolumeQuery()), settings_(settings)
{
    if (settings_)
        settings_->restoreMainWindow(form1);
    if (!print_.boxes)
        print_.boxes = &services_.boxes;
    connect(&form1, &Form1::printRequested, this, &ProgramWindows::print);
    connect(&form1, &Form1::duplicatesRequested, this, &ProgramWindows::showDuplicates);
    connect(&form1, &Form1::aboutRequested, this, &ProgramWindows::showAbout);
    connect(&form1, &Form1::driveOverviewRequested, this, &ProgramWindows::showDriveOverview);
    connect(&form1, &Form1::closing, this, &ProgramWindows::closeOthers);
}

// Windows go before the application object does.
ProgramWindows::~ProgramWindows()
{
    delete overview_.data();
    delete about_.data();
}

Form2 *ProgramWindows::duplicateFinder() const
{
    return duplicates_.get();
}

frmAbout *ProgramWindows::about() const
{
    return about_;
}

frmSplash *ProgramWindows::driveOverview() const
{
    return overview_;
}

void ProgramWindows::print()
{
    ResultList *list = form1_.resultList();
    PrintCommand(
        form1_.scan().scanRunning(), *list, [list](int column) { return list->columnWidthTwips(column); },
        form1_.printFields, &form1_, print_);
}

void ProgramWindows::showDuplicates()
{
    if (!duplicates_) {
        duplicates_ = std::make_unique<Form2>(services_);
        if (settings_)
            keepSizeRange(*duplicates_);
    }
    duplicates_->showWindow();
}

void ProgramWindows::showAbout()
{
    // A window closed a moment ago is only waiting to be deleted: make a new one.
    if (!about_ || !about_->isVisible()) {
        about_ = new frmAbout;
        about_->show();
        return;
    }
    // Already open: only bring it forward.
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void ProgramWindows::showDriveOverview()
{
    if (overview_) {
        overview_->close();
        delete overview_.data();
    }
    auto *window = new frmSplash(services_.mounts, volumes_, &form1_);
    overview_ = window;
    // Returns once the list is filled.
    window->open(form1_.chosenDriveText());
}

// The range goes in before the first opening, which shows it; it is kept
// after every "Закрыть" that the panel accepted (a refused one leaves the
// panel open).
void ProgramWindows::keepSizeRange(Form2 &finder)
{
    settings_->restoreSizeRange(finder);
    auto *panel = finder.findChild<QGroupBox *>(QStringLiteral("Frame1"));
    auto *close = finder.findChild<QPushButton *>(QStringLiteral("Command5"));
    if (!panel || !close)
        return;
    connect(close, &QPushButton::clicked, this, [this, panel, &finder] {
        if (panel->isHidden())
            settings_->saveSizeRange(finder);
    });
}

void ProgramWindows::closeOthers()
{
    if (settings_)
        settings_->saveMainWindow(form1_);
    if (duplicates_)
        duplicates_->closeForApp();
}

} // namespace vs
