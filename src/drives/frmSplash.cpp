#include "drives/frmSplash.h"

#include "drives/DrivePictures.h"
#include "drives/DriveTexts.h"
#include "drives/MountInfo.h"
#include "drives/UsageChart.h"
#include "util/ByteCount.h"
#include "widgets/ScreenPlacement.h"
#include "widgets/Twips.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTreeWidget>
#include <QWindow>
#include <qdrawutil.h>

namespace vs
{

namespace
{

constexpr int kBorder = 2;            // pixels of the raised dialog border
constexpr double kClientWidth = 6330; // twips
constexpr double kClientHeight = 6885;
constexpr double kExactRight = 4605; // right edge of the exact counts (4500 + 105)
constexpr double kTitleFontPt = 27.75;
const QColor kGrey(128, 128, 128);
constexpr int kMaxFirstColumn = 150; // pixels

QFont PanelFont()
{
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    return f;
}

QFont TitleFont(double pt = kTitleFontPt)
{
    QFont f;
    f.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                   QStringLiteral("DejaVu Serif")});
    f.setStyleHint(QFont::Serif);
    f.setPointSizeF(pt);
    return f;
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, double left, double top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(Px(left), Px(top));
    label->adjustSize();
    return label;
}

QPixmap Swatch(const QColor &colour, int size)
{
    QPixmap pm(size, size);
    pm.fill(colour);
    QPainter p(&pm);
    qDrawShadePanel(&p, pm.rect(), QPalette(Qt::lightGray), true, 1);
    return pm;
}

// An engraved line: a dark line and a light one a pixel apart.
void EngravedLine(QWidget *parent, double x1, double y1, double x2, double y2)
{
    const bool horizontal = y1 == y2;
    for (int i = 0; i < 2; ++i) {
        auto *line = new QFrame(parent);
        line->setObjectName(i == 0 ? QStringLiteral("Line1") : QStringLiteral("Line2"));
        line->setAutoFillBackground(true);
        QPalette pal = line->palette();
        pal.setColor(QPalette::Window, i == 0 ? QColor(128, 128, 128) : QColor(255, 255, 255));
        line->setPalette(pal);
        if (horizontal)
            line->setGeometry(Px(x1), Px(y1 + 15 * i), Px(x2) - Px(x1), 1);
        else
            line->setGeometry(Px(x1 + 15 * i), Px(y1), 1, Px(y2) - Px(y1));
    }
}

QString MountPointText(const DriveEntry &drive)
{
    return QFile::decodeName(drive.mountPoint);
}

} // namespace

frmSplash::frmSplash(MountTable &mounts, VolumeQuery &volumes, QWidget *anchor)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), mounts_(mounts), volumes_(volumes),
      anchor_(anchor)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(OverviewIcon());
    setWindowTitle(QString());
    setFont(PanelFont());
    const QSize client(Px(kClientWidth), Px(kClientHeight));
    setFixedSize(client + QSize(2 * kBorder, 2 * kBorder));

    client_ = new QWidget(this);
    client_->setGeometry(QRect(QPoint(kBorder, kBorder), client));

    detailPanel_ = new QFrame(client_);
    detailPanel_->setObjectName(QStringLiteral("Frame1"));
    detailPanel_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    detailPanel_->setGeometry(TwRect(60, -15, 6210, 4665));

    driveList_ = new QTreeWidget(client_);
    driveList_->setObjectName(QStringLiteral("ListView1"));
    driveList_->setAccessibleName(QStringLiteral("Накопители"));
    driveList_->setAccessibleDescription(
        QStringLiteral("Каждый накопитель: объём, свободное и занятое место, файловая система"));
    driveList_->setGeometry(TwRect(15, 4695, 6300, 2130));
    driveList_->setRootIsDecorated(false);
    driveList_->setUniformRowHeights(true);
    driveList_->setAllColumnsShowFocus(true);
    driveList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    driveList_->setIconSize(QSize(16, 16));
    driveList_->setHeaderLabels({QStringLiteral("Диск"), QStringLiteral("Объем"), QStringLiteral("Свободно"),
                                 QStringLiteral("Занято"), QStringLiteral("Файловая система")});
    const double widths[] = {750, 1150, 1150, 1150, 1750};
    for (int c = 0; c < 5; ++c)
        driveList_->setColumnWidth(c, Px(widths[c]));
    driveList_->setTextElideMode(Qt::ElideMiddle);

    QWidget *f = detailPanel_;
    auto *label5 = MakeLabel(f, "Label5", QStringLiteral("Диск:"), 270, 165);
    label5->setFont(TitleFont());
    QPalette grey = label5->palette();
    grey.setColor(QPalette::WindowText, kGrey);
    label5->setPalette(grey);
    label5->adjustSize();
    driveTitle_ = MakeLabel(f, "Label8", QStringLiteral("#"), 1620, 210);
    driveTitle_->setFont(TitleFont());
    driveTitle_->setPalette(grey);
    driveTitle_->adjustSize();
    // Fonts that stand in for the designed ones can be wider: values keep clear
    // of their captions.
    driveTitle_->move(std::max(driveTitle_->x(), label5->geometry().right() + 8), driveTitle_->y());

    usageChart_ = new QLabel(f);
    usageChart_->setObjectName(QStringLiteral("Picture1"));
    usageChart_->setAccessibleName(QStringLiteral("Диаграмма занятого места"));
    usageChart_->setGeometry(TwRect(1058, 885, kChartWidth, kChartHeight));
    usageChart_->hide();

    auto *picture3 = new QLabel(f);
    picture3->setObjectName(QStringLiteral("Picture3"));
    picture3->setAccessibleName(QStringLiteral("Цвет занятого места"));
    picture3->setGeometry(TwRect(300, 2580, 255, 255));
    picture3->setPixmap(Swatch(QColor(0, 0, 255), Px(255)));
    auto *picture2 = new QLabel(f);
    picture2->setObjectName(QStringLiteral("Picture2"));
    picture2->setAccessibleName(QStringLiteral("Цвет свободного места"));
    picture2->setGeometry(TwRect(300, 2880, 255, 255));
    picture2->setPixmap(Swatch(QColor(255, 0, 255), Px(255)));

    MakeLabel(f, "Label2", QStringLiteral("Занято     :"), 615, 2580);
    MakeLabel(f, "Label1", QStringLiteral("Свободно :"), 615, 2910);
    auto *image1 = new QLabel(f);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setAccessibleName(QStringLiteral("Доступно пользователю"));
    image1->setGeometry(TwRect(315, 3210, 240, 240));
    image1->setPixmap(UsersPicture());
    MakeLabel(f, "Label9", QStringLiteral("Пользователь :"), 615, 3240);
    MakeLabel(f, "Label6", QStringLiteral("Ёмкость :"), 870, 3660);
    MakeLabel(f, "Label15", QStringLiteral("Файловая система :"), 45, 3885);
    MakeLabel(f, "Label18", QStringLiteral("Имя диска :"), 705, 4110);
    MakeLabel(f, "Label20", QStringLiteral("Серийник :"), 795, 4335);

    const QString hash = QStringLiteral("#");
    usedExact_ = MakeLabel(f, "Label4", hash, 4500, 2595);
    freeExact_ = MakeLabel(f, "Label3", hash, 4500, 2925);
    availableExact_ = MakeLabel(f, "Label10", hash, 4500, 3270);
    capacityExact_ = MakeLabel(f, "Label7", hash, 4500, 3675);
    for (QLabel *l : {usedExact_, freeExact_, availableExact_, capacityExact_}) {
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setRightAligned(l, hash);
    }
    usedShort_ = MakeLabel(f, "Label13", hash, 4770, 2595);
    freeShort_ = MakeLabel(f, "Label12", hash, 4770, 2925);
    availableShort_ = MakeLabel(f, "Label11", hash, 4770, 3270);
    capacityShort_ = MakeLabel(f, "Label14", hash, 4770, 3675);
    fileSystemName_ = MakeLabel(f, "Label16", hash, 1665, 3885);
    volumeName_ = MakeLabel(f, "Label17", hash, 1665, 4110);
    serialNumber_ = MakeLabel(f, "Label19", hash, 1665, 4335);
    int captionsRight = 0;
    for (const char *name : {"Label15", "Label18", "Label20"})
        captionsRight =
            std::max(captionsRight, f->findChild<QLabel *>(QLatin1String(name))->geometry().right());
    for (QLabel *l : {fileSystemName_, volumeName_, serialNumber_})
        l->move(std::max(l->x(), captionsRight + 4), l->y());

    EngravedLine(f, 195, 3560, 5670, 3560);
    EngravedLine(f, 4700, 2565, 4700, 3500);
    EngravedLine(f, 4700, 3600, 4700, 4545);

    bannerBackdrop_ = new QWidget(f);
    bannerBackdrop_->setObjectName(QStringLiteral("Shape1"));
    bannerBackdrop_->setGeometry(TwRect(990, 2925, 4050, 330));
    bannerBackdrop_->setAutoFillBackground(true);
    QPalette dark = bannerBackdrop_->palette();
    dark.setColor(QPalette::Window, QColor(0, 0, 0));
    bannerBackdrop_->setPalette(dark);
    waitBanner_ =
        MakeLabel(f, "Label21", QStringLiteral("                Ждем...               "), 900, 2730);
    QFont banner = PanelFont();
    banner.setPointSize(18);
    waitBanner_->setFont(banner);
    waitBanner_->setAutoFillBackground(true);
    QPalette bannerColours = waitBanner_->palette();
    bannerColours.setColor(QPalette::Window, QColor(0, 0, 255));
    bannerColours.setColor(QPalette::WindowText, QColor(192, 192, 192));
    waitBanner_->setPalette(bannerColours);
    waitBanner_->adjustSize();
    bannerBackdrop_->raise();
    waitBanner_->raise();

    connect(driveList_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { showRow(item); });
    connect(driveList_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        // A click shows its row when it is released; keys show the row they move to.
        if (!opening_ && !mouseDown_)
            showRow(item);
    });

    // Keys reach the window before the focused control.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
    driveList_->setFocus();
}

bool frmSplash::IsClosingKey(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Backspace:
        return true;
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    default:
        break;
    }
    const QString text = event.text();
    return !text.isEmpty() && text != QLatin1String("\t") && text.at(0).unicode() != 0x7F;
}

bool frmSplash::event(QEvent *e)
{
    if (e->type() == QEvent::WindowDeactivate) {
        requestClose();
    }
    return QWidget::event(e);
}

bool frmSplash::eventFilter(QObject *watched, QEvent *e)
{
    switch (e->type()) {
    case QEvent::KeyPress:
        if (IsClosingKey(*static_cast<QKeyEvent *>(e))) {
            requestClose();
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        mouseDown_ = true;
        break;
    case QEvent::MouseButtonRelease:
        mouseDown_ = false;
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, e);
}

void frmSplash::keyPressEvent(QKeyEvent *e)
{
    if (IsClosingKey(*e)) {
        requestClose();
        return;
    }
    QWidget::keyPressEvent(e);
}

void frmSplash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    qDrawWinPanel(&p, rect(), palette(), false);
}

void frmSplash::requestClose()
{
    if (driveQueries_.requestClose())
        close();
}

void frmSplash::endDriveQuery()
{
    if (driveQueries_.end())
        close();
}

void frmSplash::open(const QString &drive1Text)
{
    opening_ = true;
    driveQueries_.enter();
    PlaceOnScreen(this, anchor_ ? anchor_->screen() : MainWindowScreen());
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        raise();
    activateWindow();
    // Shown at once, with the banner, before any drive is asked.
    QElapsedTimer appearing;
    appearing.start();
    while (windowHandle() && !windowHandle()->isExposed() && appearing.elapsed() < 300)
        LetPaintsThrough(20);
    repaint();
    LetPaintsThrough();

    fillDriveList();
    showDriveDetails(drive1Text);
    if (const DriveEntry *shown = findDrive(drive1Text)) {
        const int row = int(shown - drives_.data());
        driveList_->setCurrentItem(driveList_->topLevelItem(row));
    }
    waitBanner_->hide();
    bannerBackdrop_->hide();
    opening_ = false;
    endDriveQuery();
}

void frmSplash::fillDriveList()
{
    driveList_->clear();
    drives_ = mounts_.drives();
    if (drives_.size() > size_t(kMaxDrives))
        drives_.resize(kMaxDrives);
    const std::vector<VolumeInfo> infos = volumes_.queryAll(drives_);
    for (size_t i = 0; i < drives_.size(); ++i) {
        const DriveEntry &d = drives_[i];
        const VolumeInfo &v = infos[i];
        int code = 0;
        const QString typeName = DriveTypeName(d.platformType, code);
        const uint64_t used = v.totalBytes >= v.freeBytes ? v.totalBytes - v.freeBytes : 0;
        auto *item = new QTreeWidgetItem(driveList_);
        item->setText(0, MountPointText(d));
        item->setIcon(0, DrivePicture(code));
        item->setText(1, ShortCountText(v.totalBytes));
        item->setText(2, ShortCountText(v.freeBytes));
        item->setText(3, ShortCountText(used));
        item->setText(4, v.fileSystemName);
        item->setData(0, Qt::UserRole, int(i));
        item->setData(0, Qt::UserRole + 1, code);
        for (int c = 0; c < 5; ++c)
            item->setToolTip(c, typeName);
    }
    // A mount point is longer than a drive letter and this font may be wider
    // than the designed one: columns widen to show their texts whole, the
    // first one up to a limit (the middle of a longer mount point is elided).
    const QFontMetrics metrics = driveList_->fontMetrics();
    const double widths[] = {750, 1150, 1150, 1150, 1750};
    for (int c = 0; c < 5; ++c) {
        int wanted = metrics.horizontalAdvance(driveList_->headerItem()->text(c));
        for (int r = 0; r < driveList_->topLevelItemCount(); ++r)
            wanted = std::max(wanted, metrics.horizontalAdvance(driveList_->topLevelItem(r)->text(c)));
        wanted += c == 0 ? driveList_->iconSize().width() + 16 : 12;
        if (c == 0)
            wanted = std::min(wanted, kMaxFirstColumn);
        driveList_->setColumnWidth(c, std::max(wanted, Px(widths[c])));
    }
}

const DriveEntry *frmSplash::findDrive(const QString &text) const
{
    for (const DriveEntry &d : drives_)
        if (DriveText(d) == text)
            return &d;
    for (const DriveEntry &d : drives_)
        if (MountPointText(d) == text)
            return &d;
    // The label may have changed since the main window read it.
    const qsizetype bracket = text.lastIndexOf(QLatin1String(" ["));
    if (bracket > 0 && text.endsWith(QLatin1Char(']'))) {
        const QString mountPoint = text.left(bracket);
        for (const DriveEntry &d : drives_)
            if (MountPointText(d) == mountPoint)
                return &d;
    }
    return nullptr;
}

VolumeInfo frmSplash::queryDrive(const QString &driveText)
{
    return queryDrive(driveText, findDrive(driveText));
}

VolumeInfo frmSplash::queryDrive(const QString &driveText, const DriveEntry *drive)
{
    usageChart_->setToolTip(QStringLiteral("Диск - ") + driveText);
    QString title = driveText;
    if (drive) {
        title = MountPointText(*drive);
    } else {
        const qsizetype bracket = driveText.lastIndexOf(QLatin1String(" ["));
        if (bracket > 0 && driveText.endsWith(QLatin1Char(']')))
            title = driveText.left(bracket);
    }
    fitTitle(title);

    // Not a drive of the table (unmounted since): nothing to ask.
    const VolumeInfo info = drive ? volumes_.query(*drive) : VolumeInfo{};
    fileSystemName_->setText(info.fileSystemName);
    fileSystemName_->adjustSize();
    volumeName_->setText(info.volumeName);
    volumeName_->adjustSize();
    serialNumber_->setText(SerialText(info.serial));
    serialNumber_->adjustSize();
    return info;
}

void frmSplash::showDriveDetails(const QString &driveText)
{
    showDriveDetails(driveText, findDrive(driveText));
}

void frmSplash::showDriveDetails(const QString &driveText, const DriveEntry *drive)
{
    driveQueries_.enter();
    const VolumeInfo info = queryDrive(driveText, drive);
    drawUsageChart(info.totalBytes, info.freeBytes);
    const uint64_t used = info.totalBytes >= info.freeBytes ? info.totalBytes - info.freeBytes : 0;

    struct Row {
        QLabel *exact;
        QLabel *shortText;
        uint64_t count;
    };
    const Row rows[] = {{usedExact_, usedShort_, used},
                        {freeExact_, freeShort_, info.freeBytes},
                        {availableExact_, availableShort_, info.availableBytes},
                        {capacityExact_, capacityShort_, info.totalBytes}};
    for (const Row &r : rows) {
        setRightAligned(r.exact, ExactCountText(r.count));
        r.shortText->setText(ShortCountText(r.count));
        r.shortText->setToolTip(IsTooLargeCount(r.count) ? TooLargeToolTip() : QString());
        r.shortText->adjustSize();
    }
    endDriveQuery();
}

void frmSplash::showRow(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const int index = item->data(0, Qt::UserRole).toInt();
    if (index < 0 || size_t(index) >= drives_.size())
        return;
    showDriveDetails(item->text(0), &drives_[size_t(index)]);
}

void frmSplash::setRightAligned(QLabel *label, const QString &text)
{
    label->setText(text);
    label->adjustSize();
    label->move(Px(kExactRight) - label->width(), label->y());
}

// A mount point can be far longer than a drive letter: the title keeps the
// whole text and gets smaller until it fits in the panel.
void frmSplash::fitTitle(const QString &text)
{
    const int room = detailPanel_->width() - driveTitle_->x() - 4;
    double pt = kTitleFontPt;
    QFont font = TitleFont(pt);
    while (pt > 8 && QFontMetrics(font).horizontalAdvance(text) > room) {
        pt -= 1;
        font = TitleFont(pt);
    }
    driveTitle_->setFont(font);
    driveTitle_->setText(text);
    driveTitle_->setToolTip(text);
    driveTitle_->adjustSize();
    // Keep the baseline of the smaller text on the title's baseline.
    const int baseline = Px(210) + QFontMetrics(TitleFont()).ascent();
    driveTitle_->move(driveTitle_->x(), baseline - QFontMetrics(font).ascent());
}

void frmSplash::drawUsageChart(uint64_t totalBytes, uint64_t freeBytes)
{
    chartImage_ =
        DrawUsageChart(totalBytes, freeBytes, palette().color(QPalette::Window), devicePixelRatioF());
    usageChart_->setPixmap(QPixmap::fromImage(chartImage_));
    usageChart_->show();
}

} // namespace vs
