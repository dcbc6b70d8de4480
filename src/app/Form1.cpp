#include "Form1.h"

#include "Divider.h"
#include "fs/Paths.h"
#include "scan/FolderScan.h"
#include "scan/ResultList.h"
#include "util/Errors.h"
#include "util/Services.h"
#include "widgets/DirListBox.h"
#include "widgets/DriveListBox.h"
#include "widgets/DriveNavigator.h"
#include "widgets/ImageList.h"
#include "widgets/Twips.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidgetItem>

namespace vs
{

namespace
{

constexpr double kToolbarHeight = 405;

QPushButton *pictureButton(QWidget *parent)
{
    auto *b = new QPushButton(parent);
    b->setIcon(parent->style()->standardIcon(QStyle::SP_DriveHDIcon));
    b->setIconSize(QSize(16, 16));
    return b;
}

} // namespace

Form1::Form1(const WindowServices &services, const QByteArray &startFolder, QWidget *parent)
    : QWidget(parent), shell_(services.shell), layout_(DesignLayout())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Volumescope"));

    appFolder_ = WithTrailingSlash(QFile::encodeName(QCoreApplication::applicationDirPath()));

    toolbar_ = new QToolBar(this);
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    toolbar_->setAccessibleName(QStringLiteral("Панель инструментов"));
    buildToolbar();

    driveList_ = new DriveListBox(services.mounts, this);

    driveInfoButton_ = pictureButton(this);
    driveInfoButton_->setObjectName(QStringLiteral("Command2"));
    driveInfoButton_->setToolTip(QStringLiteral("Информация о накопителях"));
    driveInfoButton_->setAccessibleName(QStringLiteral("Информация о накопителях"));
    driveInfoButton_->setAccessibleDescription(
        QStringLiteral("Открывает обзор накопителей: объём, свободное и занятое место"));

    folderList_ = new DirListBox(services.fs, services.boxes, this);
    divider_ = new Divider(this);
    divider_->setAccessibleName(QStringLiteral("Граница между панелями"));

    resultList_ = new ResultList(this);
    resultList_->setObjectName(QStringLiteral("ListView1"));

    countLabel_ = new QLabel(QStringLiteral("Кол-во: "), this);
    countLabel_->setObjectName(QStringLiteral("Label1"));

    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setAccessibleName(QStringLiteral("Ход измерения"));
    progressBar_->setAccessibleDescription(QStringLiteral("Доля измеренных вложенных папок"));
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);

    scanButton_ = new QPushButton(QStringLiteral("Показать"), this);
    scanButton_->setObjectName(QStringLiteral("Command1"));
    scanButton_->setAccessibleDescription(QStringLiteral("Измеряет вложенные папки выбранной папки"));

    autoViewCheck_ = new QCheckBox(QStringLiteral("Авто просмотр"), this);
    autoViewCheck_->setObjectName(QStringLiteral("Check1"));
    autoViewCheck_->setAccessibleDescription(QStringLiteral("Измерять папку сразу, как только она выбрана"));
    autoViewCheck_->setChecked(false);

    buildMenu();

    // The folder list opens where the program was started; a folder that
    // cannot be listed falls back to its drive's root, then to "/".
    const QByteArray start = startFolder.isEmpty() ? QFile::encodeName(QDir::currentPath()) : startFolder;
    driveList_->chooseDriveFor(start);
    for (const QByteArray &candidate : {start, driveList_->currentMountPoint(), QByteArray("/")}) {
        if (candidate.isEmpty())
            continue;
        try {
            folderList_->openAt(candidate);
            break;
        } catch (const VsError &) {
        }
    }
    folderList_->setToolTipText(DisplayPath(folderList_->openFolder()));

    scan_ = new FolderScan({scanButton_, progressBar_, countLabel_, resultList_, autoViewCheck_},
                           *folderList_, services, this);
    navigator_ = new DriveNavigator(*driveList_, *folderList_, services.mounts, services.boxes, this);

    connect(scanButton_, &QPushButton::clicked, this, &Form1::startOrStopScan);
    connect(driveInfoButton_, &QPushButton::clicked, this, &Form1::driveOverviewRequested);
    connect(resultList_, &ResultList::drillDownRequested, scan_, &FolderScan::drillDown);
    connect(resultList_, &ResultList::contextMenuRequested, this,
            [this](const QPoint &pos) { contextMenu_->popup(pos); });
    connect(folderList_, &DirListBox::changed, this, [this] {
        if (autoViewCheck_->isChecked())
            startOrStopScan();
    });
    // A close that waited for the scan goes ahead once the scan's handler has
    // returned.
    connect(scan_, &FolderScan::closeDue, this, [this] { QTimer::singleShot(0, this, &QWidget::close); });
    connect(divider_, &Divider::pressed, this, &Form1::grabDivider);
    connect(divider_, &Divider::moved, this, &Form1::dragDivider);

    // The outer height never goes below the layout's minimum.
    setMinimumHeight(Px(kMinWindowHeight - kFrameHeight));
    resize(Px(kDesignClientWidth), Px(kMinWindowHeight - kFrameHeight));
    placeControls();
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());

    qApp->installEventFilter(this);
}

Form1::~Form1()
{
    qApp->removeEventFilter(this);
}

void Form1::buildToolbar()
{
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    // Seven buttons, Button1 to Button7, the fourth and the sixth separators.
    int number = 0;
    auto button = [this, &number](int picture, const QString &caption, const QString &tip, auto command) {
        QAction *a = toolbar_->addAction(ImageList1Icon(picture), caption);
        // The button shows the caption as it is, "..." included.
        a->setIconText(a->text());
        a->setToolTip(tip);
        a->setObjectName(QStringLiteral("Button%1").arg(++number));
        connect(a, &QAction::triggered, this, command);
    };
    auto separator = [this, &number] {
        toolbar_->addSeparator()->setObjectName(QStringLiteral("Button%1").arg(++number));
    };
    button(11, QStringLiteral("Обновить"), QStringLiteral("Обновить - <F5>"), &Form1::startOrStopScan);
    button(12, QStringLiteral("Открыть..."), QStringLiteral("Открыть... - <F3>"), &Form1::openSelectedFolder);
    button(13, QStringLiteral("Печать..."), QStringLiteral("Печать/Документ - <F2>"), &Form1::printRequested);
    separator();
    button(14, QStringLiteral("Дубликатор"), QStringLiteral("Дубликатор - <F4>"),
           &Form1::duplicatesRequested);
    separator();
    button(15, QStringLiteral("Помощь"), QStringLiteral("Помощь - <Shift + F5>"), &Form1::openHelp);
}

void Form1::buildMenu()
{
    contextMenu_ = new QMenu(QStringLiteral("Файл"), this);
    contextMenu_->setObjectName(QStringLiteral("m_mnu"));
    // The key names are shown beside the items; the keys themselves are
    // handled by the window, so they are not shortcuts of the actions.
    int number = 0;
    auto item = [this, &number](const QString &text, auto command) {
        QAction *a = contextMenu_->addAction(text);
        a->setObjectName(QStringLiteral("m_open_%1").arg(number++));
        connect(a, &QAction::triggered, this, command);
    };
    item(QStringLiteral("Открыть\tF3"), &Form1::openSelectedFolder);
    item(QStringLiteral("Обновить/Остановить\tF5"), &Form1::startOrStopScan);
    item(QStringLiteral("Печать...\tF2"), &Form1::printRequested);
    item(QStringLiteral("Дубликатор\tF4"), &Form1::duplicatesRequested);
    item(QStringLiteral("Помощь\tShift+F1"), &Form1::openHelp);
    item(QStringLiteral("О программе..."), &Form1::aboutRequested);

    // Off: the files' lengths, the sizes users know. The list changes at the
    // next scan, so it never shows the two measures at once.
    contextMenu_->addSeparator();
    diskUsageAction_ = contextMenu_->addAction(QStringLiteral("Размер на диске"));
    diskUsageAction_->setObjectName(QStringLiteral("m_disk_usage"));
    diskUsageAction_->setCheckable(true);
    diskUsageAction_->setChecked(false);
    connect(diskUsageAction_, &QAction::toggled, this,
            [this](bool on) { scan_->setMeasure(on ? SizeMeasure::OnDisk : SizeMeasure::Apparent); });
}

SizeMeasure Form1::measure() const
{
    return diskUsageAction_->isChecked() ? SizeMeasure::OnDisk : SizeMeasure::Apparent;
}

void Form1::setMeasure(SizeMeasure measure)
{
    diskUsageAction_->setChecked(measure == SizeMeasure::OnDisk);
}

QString Form1::chosenDriveText() const
{
    return driveList_->driveText();
}

int16_t Form1::lastDriveIndex() const
{
    return navigator_->lastDriveIndex();
}

double Form1::outerWidthTwips() const
{
    return Tw(width()) + kFrameWidth;
}

double Form1::outerHeightTwips() const
{
    return Tw(height()) + kFrameHeight;
}

void Form1::startOrStopScan()
{
    scan_->startOrStopScan();
}

void Form1::openSelectedFolder()
{
    if (!resultList_->hasRows())
        return;
    const int row = resultList_->selectedRowIndex();
    if (row == 0)
        shell_.open(scan_->currentFolder(), this);
    else if (row > 0)
        shell_.open(resultList_->rowPath(row), this);
}

void Form1::openHelp()
{
    shell_.open(appFolder_ + "help.chm", nullptr);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this)
            return handleKey(static_cast<QKeyEvent *>(event));
    }
    return QWidget::eventFilter(watched, event);
}

bool Form1::handleKey(QKeyEvent *event)
{
    const int key = event->key();
    if (handleDesktopKey(event))
        return true;
    if (key < Qt::Key_F1 || key > Qt::Key_F5)
        return false;
    const bool release = event->type() == QEvent::KeyRelease;
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    // A held key repeats press and release; the command runs once.
    const bool repeat = event->isAutoRepeat();

    if (key == Qt::Key_F4) {
        if (mods != Qt::NoModifier)
            return false;
        if (!release && !repeat)
            emit duplicatesRequested();
        return true;
    }
    // F1, F2, F3 and F5 act on release; their presses are kept from the
    // focused control too (F2 would start editing, for one).
    if (!release || repeat)
        return true;
    switch (key) {
    case Qt::Key_F1:
        if (mods == Qt::ShiftModifier)
            openHelp();
        else
            emit aboutRequested();
        break;
    case Qt::Key_F2:
        emit printRequested();
        break;
    case Qt::Key_F3:
        openSelectedFolder();
        break;
    case Qt::Key_F5:
        startOrStopScan();
        break;
    default:
        break;
    }
    return true;
}

// The desktop's usual keys, beside the window's own function keys: Ctrl+Q
// closes the window as its close box does, Shift+F10 and the Menu key open
// the "Файл" menu. Each acts once on press; its release is kept too.
bool Form1::handleDesktopKey(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool quit = key == Qt::Key_Q && mods == Qt::ControlModifier;
    const bool menu =
        (key == Qt::Key_F10 && mods == Qt::ShiftModifier) || (key == Qt::Key_Menu && mods == Qt::NoModifier);
    if (!quit && !menu)
        return false;
    if (event->type() == QEvent::KeyPress && !event->isAutoRepeat()) {
        if (quit)
            close();
        else
            popUpMenuFromKeyboard();
    }
    return true;
}

// Under the selected row of the result list, or at the list's top left
// corner when none is selected.
void Form1::popUpMenuFromKeyboard()
{
    QPoint at = resultList_->viewport()->mapToGlobal(QPoint(0, 0));
    if (QTreeWidgetItem *row = resultList_->currentItem(); row && row->isSelected()) {
        const QRect r = resultList_->visualItemRect(row);
        if (r.isValid())
            at = resultList_->viewport()->mapToGlobal(r.bottomLeft());
    }
    contextMenu_->popup(at);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized())
        layOut();
}

void Form1::layOut()
{
    const ResizeOutcome out =
        LayOutOnResize(layout_, lastAcceptedWidth_, outerWidthTwips(), outerHeightTwips(), isMinimized());
    if (out.laidOut)
        placeControls();
    if (out.newHeight > 0 || out.newWidth > 0) {
        const int w = out.newWidth > 0 ? Px(out.newWidth - kFrameWidth) : width();
        const int h = out.newHeight > 0 ? Px(out.newHeight - kFrameHeight) : height();
        if (w != width() || h != height())
            resize(w, h);
    }
}

void Form1::placeControls()
{
    toolbar_->setGeometry(0, 0, width(), Px(kToolbarHeight));
    auto place = [](QWidget *w, const TwipsRect &r) {
        w->setGeometry(TwRect(r.left, r.top, r.width, r.height));
    };
    place(driveList_, layout_.driveList);
    place(driveInfoButton_, layout_.driveInfoButton);
    place(folderList_, layout_.folderList);
    place(progressBar_, layout_.progressBar);
    place(scanButton_, layout_.scanButton);
    place(autoViewCheck_, layout_.autoViewCheck);
    place(divider_, layout_.divider);
    place(resultList_, layout_.resultList);
    // The count label grows to the list's right edge so long selection texts
    // stay readable.
    TwipsRect label = layout_.countLabel;
    label.width = std::max(label.width, layout_.resultList.right() - label.left);
    place(countLabel_, label);
    for (int c = 1; c <= 3; ++c)
        resultList_->setColumnWidthTwips(c, layout_.columnWidths[size_t(c - 1)]);
    update();
}

void Form1::grabDivider(Qt::MouseButton, Qt::KeyboardModifiers, double x)
{
    grabOffset_ = RoundHalfEven(x);
}

void Form1::dragDivider(Qt::MouseButtons buttons, Qt::KeyboardModifiers, double x)
{
    if (buttons != Qt::LeftButton)
        return;
    if (MoveDivider(layout_, outerWidthTwips(), grabOffset_, RoundHalfEven(x)))
        placeControls();
}

bool Form1::placeDivider(int leftTwips)
{
    const int shift = RoundHalfEven(layout_.divider.left) - leftTwips;
    if (shift == 0)
        return true;
    if (!MoveDivider(layout_, outerWidthTwips(), shift, 0))
        return false;
    placeControls();
    return true;
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (!scan_->requestClose()) {
        // The scan runs inside an event handler further down the stack: it
        // is asked to stop, and the window closes once it has returned.
        event->ignore();
        return;
    }
    emit closing();
    event->accept();
}

} // namespace vs
