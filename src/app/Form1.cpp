#include "Form1.h"

#include "widgets/DirListBox.h"
#include "Divider.h"
#include "widgets/DriveListBox.h"
#include "widgets/DriveNavigator.h"
#include "scan/FolderScan.h"
#include "scan/ResultList.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "widgets/ImageList.h"
#include "util/Services.h"
#include "widgets/Twips.h"
#include "fs/Paths.h"

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

namespace vs {

namespace {

constexpr double kToolbarHeight = 405;

QPushButton *pictureButton(QWidget *parent)
{
    auto *b = new QPushButton(parent);
    b->setIcon(parent->style()->standardIcon(QStyle::SP_DriveHDIcon));
    b->setIconSize(QSize(16, 16));
    return b;
}

} // namespace

Form1::Form1(FileSystem &fs, MountTable &mounts, Shell &shell, MessageBoxes &boxes, EventYield &yield,
             const QByteArray &startFolder, QWidget *parent)
    : QWidget(parent), shell_(shell), layout_(DesignLayout())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Volumescope"));

    appFolder_ = WithTrailingSlash(QFile::encodeName(QCoreApplication::applicationDirPath()));

    toolbar1_ = new QToolBar(this);
    toolbar1_->setObjectName(QStringLiteral("Toolbar1"));
    buildToolbar();

    drive1_ = new DriveListBox(mounts, this);

    command2_ = pictureButton(this);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setToolTip(QStringLiteral("Информация о накопителях"));

    dir1_ = new DirListBox(fs, boxes, this);
    image1_ = new Divider(this);

    listView1_ = new ResultList(this);
    listView1_->setObjectName(QStringLiteral("ListView1"));

    label1_ = new QLabel(QStringLiteral("Кол-во: "), this);
    label1_->setObjectName(QStringLiteral("Label1"));

    progressBar1_ = new QProgressBar(this);
    progressBar1_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1_->setRange(0, 100);
    progressBar1_->setValue(0);
    progressBar1_->setTextVisible(false);

    command1_ = new QPushButton(QStringLiteral("Показать"), this);
    command1_->setObjectName(QStringLiteral("Command1"));

    check1_ = new QCheckBox(QStringLiteral("Авто просмотр"), this);
    check1_->setObjectName(QStringLiteral("Check1"));
    check1_->setChecked(false);

    buildMenu();

    // The folder list opens where the program was started; a folder that
    // cannot be listed falls back to its drive's root, then to "/".
    const QByteArray start =
        startFolder.isEmpty() ? QFile::encodeName(QDir::currentPath()) : startFolder;
    drive1_->chooseDriveFor(start);
    for (const QByteArray &candidate : {start, drive1_->currentMountPoint(), QByteArray("/")}) {
        if (candidate.isEmpty())
            continue;
        try {
            dir1_->openAt(candidate);
            break;
        } catch (const VsError &) {
        }
    }
    dir1_->setToolTipText(DisplayPath(dir1_->openFolder()));

    scan_ = new FolderScan({command1_, progressBar1_, label1_, listView1_, check1_}, *dir1_, fs, yield,
                           boxes, this);
    navigator_ = new DriveNavigator(*drive1_, *dir1_, mounts, boxes, this);

    connect(command1_, &QPushButton::clicked, this, &Form1::StartOrStopScan);
    connect(command2_, &QPushButton::clicked, this, &Form1::driveOverviewRequested);
    connect(listView1_, &ResultList::drillDownRequested, scan_, &FolderScan::DrillDown);
    connect(listView1_, &ResultList::contextMenuRequested, this,
            [this](const QPoint &pos) { m_mnu_->popup(pos); });
    connect(dir1_, &DirListBox::changed, this, [this] {
        if (check1_->isChecked())
            StartOrStopScan();
    });
    connect(scan_, &FolderScan::scanFinished, this, [this] {
        if (closePending_)
            QTimer::singleShot(0, this, &QWidget::close);
    });
    connect(image1_, &Divider::pressed, this, &Form1::onDividerPressed);
    connect(image1_, &Divider::moved, this, &Form1::onDividerMoved);

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
    toolbar1_->setMovable(false);
    toolbar1_->setFloatable(false);
    toolbar1_->setIconSize(QSize(16, 16));
    toolbar1_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    struct Button {
        const char16_t *caption;
        const char16_t *tip;
        int picture;
    };
    const Button buttons[] = {
        {u"Обновить", u"Обновить - <F5>", 11},
        {u"Открыть...", u"Открыть... - <F3>", 12},
        {u"Печать...", u"Печать/Документ - <F2>", 13},
        {nullptr, nullptr, 0},
        {u"Дубликатор", u"Дубликатор - <F4>", 14},
        {nullptr, nullptr, 0},
        {u"Помощь", u"Помощь - <Shift + F5>", 15},
    };
    int number = 0;
    for (const Button &b : buttons) {
        ++number;
        QAction *a = nullptr;
        if (!b.caption) {
            a = toolbar1_->addSeparator();
        } else {
            a = toolbar1_->addAction(ImageList1Icon(b.picture), QString::fromUtf16(b.caption));
            // The button shows the caption as it is, "..." included.
            a->setIconText(a->text());
            a->setToolTip(QString::fromUtf16(b.tip));
        }
        a->setObjectName(QStringLiteral("Button%1").arg(number));
        a->setData(number);
    }
    connect(toolbar1_, &QToolBar::actionTriggered, this, [this](QAction *a) {
        switch (a->data().toInt()) {
        case 1: StartOrStopScan(); break;
        case 2: OpenInShell(); break;
        case 3: emit printRequested(); break;
        case 5: emit duplicatesRequested(); break;
        case 7: OpenHelp(); break;
        default: break; // separators
        }
    });
}

void Form1::buildMenu()
{
    m_mnu_ = new QMenu(QStringLiteral("Файл"), this);
    m_mnu_->setObjectName(QStringLiteral("m_mnu"));
    // The key names are shown beside the items; the keys themselves are
    // handled by the window, so they are not shortcuts of the actions.
    const char16_t *items[] = {u"Открыть\tF3",  u"Обновить/Остановить\tF5", u"Печать...\tF2",
                               u"Дубликатор\tF4", u"Помощь\tShift+F1",       u"О программе..."};
    for (int i = 0; i < 6; ++i) {
        QAction *a = m_mnu_->addAction(QString::fromUtf16(items[i]));
        a->setObjectName(QStringLiteral("m_open_%1").arg(i));
        a->setData(i);
    }
    connect(m_mnu_, &QMenu::triggered, this, [this](QAction *a) {
        switch (a->data().toInt()) {
        case 0: OpenInShell(); break;
        case 1: StartOrStopScan(); break;
        case 2: emit printRequested(); break;
        case 3: emit duplicatesRequested(); break;
        case 4: OpenHelp(); break;
        case 5: emit aboutRequested(); break;
        default: break;
        }
    });
}

QString Form1::drive1Text() const
{
    return drive1_->driveText();
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

void Form1::StartOrStopScan()
{
    scan_->StartOrStopScan();
}

void Form1::OpenInShell()
{
    if (!listView1_->hasRows())
        return;
    const int row = listView1_->selectedRowIndex();
    if (row == 0)
        shell_.open(scan_->currentFolder(), this);
    else if (row > 0)
        shell_.open(listView1_->rowPath(row), this);
}

void Form1::OpenHelp()
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
            OpenHelp();
        else
            emit aboutRequested();
        break;
    case Qt::Key_F2: emit printRequested(); break;
    case Qt::Key_F3: OpenInShell(); break;
    case Qt::Key_F5: StartOrStopScan(); break;
    default: break;
    }
    return true;
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
    const ResizeOutcome out = LayOutOnResize(layout_, lastAcceptedWidth_, outerWidthTwips(),
                                             outerHeightTwips(), isMinimized());
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
    toolbar1_->setGeometry(0, 0, width(), Px(kToolbarHeight));
    auto place = [](QWidget *w, const TwipsRect &r) {
        w->setGeometry(TwRect(r.left, r.top, r.width, r.height));
    };
    place(drive1_, layout_.drive1);
    place(command2_, layout_.command2);
    place(dir1_, layout_.dir1);
    place(progressBar1_, layout_.progressBar1);
    place(command1_, layout_.command1);
    place(check1_, layout_.check1);
    place(image1_, layout_.image1);
    place(listView1_, layout_.listView1);
    // The count label grows to the list's right edge so long selection texts
    // stay readable.
    TwipsRect label = layout_.label1;
    label.width = std::max(label.width, layout_.listView1.right() - label.left);
    place(label1_, label);
    for (int c = 1; c <= 3; ++c)
        listView1_->setColumnWidthTwips(c, layout_.columnWidths[size_t(c - 1)]);
    update();
}

void Form1::onDividerPressed(Qt::MouseButton, Qt::KeyboardModifiers, double x)
{
    grabOffset_ = RoundHalfEven(x);
}

void Form1::onDividerMoved(Qt::MouseButtons buttons, Qt::KeyboardModifiers, double x)
{
    if (buttons != Qt::LeftButton)
        return;
    if (MoveDivider(layout_, outerWidthTwips(), grabOffset_, RoundHalfEven(x)))
        placeControls();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (scan_->scanRunning()) {
        // The scan runs inside an event handler further down the stack: ask
        // it to stop and close once it has returned.
        closePending_ = true;
        if (!scan_->stopRequested())
            scan_->StartOrStopScan();
        event->ignore();
        return;
    }
    closePending_ = false;
    emit closing();
    event->accept();
}

} // namespace vs
