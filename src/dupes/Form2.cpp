#include "Form2.h"

#include "widgets/DirListBox.h"
#include "widgets/DriveListBox.h"
#include "widgets/DriveNavigator.h"
#include "dupes/engine/DuplicateGroups.h"
#include "dupes/Hourglass.h"
#include "dupes/engine/OneFileSearch.h"
#include "dupes/SizeRange.h"
#include "dupes/StatusPanel.h"
#include "dupes/StatusTexts.h"
#include "dupes/WindowIcon.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "util/Services.h"
#include "widgets/Twips.h"
#include "fs/Paths.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

namespace vs {

namespace {

// The window's outer size exceeds its client area by the frame and the
// caption; the resize rules are written for the outer size.
constexpr double kFrameWidthTw = 175;
constexpr double kFrameHeightTw = 465;
constexpr double kClientWidthTw = 11325;
constexpr double kClientHeightTw = 5940;
constexpr double kStatusHeightTw = 345;

constexpr int kPathRole = Qt::UserRole;
const QColor kGrey(128, 128, 128);

QString appTitle()
{
    return QGuiApplication::applicationDisplayName();
}

// Leading and trailing spaces (only the space character) removed.
QString trimSpaces(const QString &s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

QString defaultOpenFileDialog(QWidget *parent, const QString &current)
{
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Открыть"), current,
                                        QStringLiteral("*.* (*)"));
}

double steadySeconds()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

QByteArray FolderOfPath(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash + 1);
}

Form2::Form2(const WindowServices &services, Form2Extras extras, QWidget *parent)
    : Form2(Form2Services{services.fs, services.mounts, services.shell, services.boxes, services.yield,
                          std::move(extras.openFileDialog), std::move(extras.clock)},
            parent)
{
}

Form2::Form2(const Form2Services &services, QWidget *parent)
    : QWidget(parent, Qt::Window), services_(services)
{
    if (!services_.openFileDialog)
        services_.openFileDialog = defaultOpenFileDialog;
    if (!services_.clock)
        services_.clock = steadySeconds;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Дубликтор файлов"));
    setWindowIcon(DupesWindowIcon());
    setMinimumSize(Px(7500 - kFrameWidthTw), Px(4405 - kFrameHeightTw));
    buildControls();
    buildSettingsPanel();
    setTabOrderOfControls();
    // Keys reach the window before the focused control.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
    installEventFilter(this);
    resetControls();
    resize(Px(kClientWidthTw), Px(kClientHeightTw));
}

Form2::~Form2() = default;

void Form2::showWindow()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void Form2::closeForApp()
{
    close();
}

// ---------------------------------------------------------------- controls

void Form2::buildControls()
{
    auto label = [this](const char *name, const QString &text, double left, double top) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->move(Px(left), Px(top));
        l->adjustSize();
        return l;
    };
    auto button = [this](const char *name, const QString &text, double l, double t, double w, double h) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(TwRect(l, t, w, h));
        b->setAutoDefault(false);
        return b;
    };

    Label1 = label("Label1", QStringLiteral("Файл для проверки"), 105, 30);
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(TwRect(75, 255, 10785, 300));
    Command1 = button("Command1", QStringLiteral("..."), 10905, 255, 345, 300);
    Label2 = label("Label2", QStringLiteral("Выбор места поиска:"), 90, 555);
    Label4 = label("Label4", QStringLiteral("Контрольная сумма:"), 2730, 555);
    Label5 = label("Label5", QStringLiteral("0"), 4350, 570);

    Drive1 = new DriveListBox(services_.mounts, this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(TwRect(90, 795, 2475, 315));

    Label6 = label("Label6", QStringLiteral("Список дубликатов:"), 2715, 795);
    Command3 = button("Command3", QStringLiteral("..."), 7020, 630, 360, 360);
    Command4 = button("Command4", QStringLiteral("Сканировать"), 7440, 630, 1860, 360);
    Command2 = button("Command2", QStringLiteral("Искать"), 9390, 630, 1860, 360);

    Dir1 = new DirListBox(services_.fs, services_.boxes, this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(TwRect(75, 1230, 2475, 4365));
    {
        QPalette p = Dir1->palette();
        p.setColor(QPalette::Base, kGrey);
        Dir1->setPalette(p);
    }
    navigator_ = new DriveNavigator(*Drive1, *Dir1, services_.mounts, services_.boxes, this);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(TwRect(2625, 1050, 8625, 4545));
    ListView1->setColumnCount(3);
    ListView1->setHeaderLabels({QStringLiteral("Файл"), QStringLiteral("Размер"), QStringLiteral("CRC")});
    ListView1->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    // Rows stay in the order the searches add them: groups are consecutive rows.
    ListView1->setSortingEnabled(false);
    ListView1->header()->setSectionsClickable(false);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setTextElideMode(Qt::ElideMiddle);
    {
        QPalette p = ListView1->palette();
        p.setColor(QPalette::Base, kGrey);
        ListView1->setPalette(p);
    }

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    panels_[0] = new StatusPanel(QStringLiteral("Panel1"), Px(2500), StatusBar1);
    panels_[1] = new StatusPanel(QStringLiteral("Panel2"), Px(1440), StatusBar1);
    panels_[2] = new StatusPanel(QStringLiteral("Panel3"), Px(1440), StatusBar1);
    panels_[1]->setMinimumWidth(Px(1710));
    StatusBar1->addWidget(panels_[0], 1);
    StatusBar1->addWidget(panels_[1]);
    StatusBar1->addWidget(panels_[2]);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(70);
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);

    m_mnu = new QMenu(QStringLiteral("Файл"), this);
    m_mnu->setObjectName(QStringLiteral("m_mnu"));
    const QString captions[3] = {QStringLiteral("Открыть файл\tF3"), QStringLiteral("Открыть каталог...\tF4"),
                                 QStringLiteral("Копировать ссылку\tF5")};
    for (int i = 0; i < 3; ++i) {
        m_open[i] = m_mnu->addAction(captions[i]);
        m_open[i]->setObjectName(QStringLiteral("m_open_%1").arg(i));
    }
    connect(m_open[0], &QAction::triggered, this, &Form2::OpenSelectedFile);
    connect(m_open[1], &QAction::triggered, this, &Form2::OpenSelectedFolder);
    connect(m_open[2], &QAction::triggered, this, &Form2::CopySelectedPath);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, [this] {
        Frame1->show();
        Frame1->raise();
    });
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { CopySelectedPath(); });
    ListView1->viewport()->installEventFilter(this);

    connect(Drive1, &QComboBox::activated, this,
            [this] { setPanel(1, DisplayPath(Dir1->highlightedFolder())); });
    connect(Dir1, &DirListBox::changed, this, [this] { setPanel(1, DisplayPath(Dir1->highlightedFolder())); });
    connect(Dir1, &DirListBox::highlighted, this,
            [this](const QByteArray &path) { setPanel(1, DisplayPath(path)); });
}

void Form2::buildSettingsPanel()
{
    Frame1 = new QGroupBox(QStringLiteral("Настройка сканирования"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(TwRect(3840, 1455, 4185, 2475));
    Frame1->setAutoFillBackground(true);

    auto label = [this](const char *name, const QString &text, double left, double top) {
        auto *l = new QLabel(text, Frame1);
        l->setObjectName(QLatin1String(name));
        l->move(Px(left), Px(top));
        l->adjustSize();
        return l;
    };
    Label3 = label("Label3", QStringLiteral("Размер файлов"), 120, 300);
    Label3->setGeometry(TwRect(120, 300, 2295, 210));
    Label8 = label("Label8", QStringLiteral("ОТ:"), 165, 570);
    Text2 = new QLineEdit(QStringLiteral("0"), Frame1);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(TwRect(135, 795, 2625, 315));
    Label9 = label("Label9", QStringLiteral("0"), 2370, 1125);
    Label9->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label11 = label("Label11", QStringLiteral("байт"), 2505, 1125);
    Label7 = label("Label7", QStringLiteral("ДО:"), 165, 1320);
    Check1 = new QCheckBox(Frame1);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setGeometry(TwRect(2880, 1350, 255, 315));
    Text3 = new QLineEdit(QStringLiteral("0"), Frame1);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setGeometry(TwRect(135, 1545, 2625, 315));
    Label10 = label("Label10", QStringLiteral("0"), 2370, 1890);
    Label10->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label12 = label("Label12", QStringLiteral("байт"), 2505, 1890);
    const QString units[4] = {QStringLiteral("байт"), QStringLiteral("Кбайт"), QStringLiteral("Мбайт"),
                              QStringLiteral("Гбайт")};
    const double tops[4] = {150, 405, 660, 900};
    for (int i = 0; i < 4; ++i) {
        Option1[i] = new QRadioButton(units[i], Frame1);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        Option1[i]->setGeometry(TwRect(3015, tops[i], 855, 285));
        connect(Option1[i], &QRadioButton::clicked, this, [this] {
            ShowFieldBytes(2);
            ShowFieldBytes(3);
        });
    }
    Command5 = new QPushButton(QStringLiteral("Закрыть"), Frame1);
    Command5->setObjectName(QStringLiteral("Command5"));
    Command5->setGeometry(TwRect(2790, 2040, 1320, 345));
    Command5->setAutoDefault(false);
    Command5->setToolTip(QStringLiteral("Настройки сохраняться только после закрытия окна настроек!"));

    connect(Text2, &QLineEdit::textChanged, this, [this] { ShowFieldBytes(2); });
    connect(Text3, &QLineEdit::textChanged, this, [this] { ShowFieldBytes(3); });
    connect(Check1, &QCheckBox::clicked, this, [this](bool on) { setCheck1(on); });
    connect(Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
}

void Form2::setTabOrderOfControls()
{
    QWidget *order[] = {Text1,      Dir1,       Command2,   Command1, ListView1,
                        Command4,   Command3,   Option1[0], Option1[1], Option1[2],
                        Text2,      Text3,      Command5,   Check1,     Option1[3]};
    setTabOrder(Text1, Drive1);
    setTabOrder(Drive1, Dir1);
    for (size_t i = 1; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void Form2::setCheck1(bool on)
{
    Check1->setChecked(on);
    Label7->setEnabled(on);
    Text3->setEnabled(on);
    // Off, the field takes the colour of the window's bars; on, that of an
    // ordinary field.
    QPalette p = Text3->palette();
    const QColor bg = on ? QApplication::palette().color(QPalette::Base)
                         : QApplication::palette().color(QPalette::Window);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, bg);
    Text3->setPalette(p);
}

// The controls as they are at every opening of the window.
void Form2::resetControls()
{
    Text1->clear();
    label5Text_ = QStringLiteral("0");
    placeLabel5();
    for (QLabel *l : {Label4, Label5})
        l->setPalette(QPalette());
    ListView1->clear();
    setPanel(1, QStringLiteral("Каталог"));
    setPanel(2, QStringLiteral("Время сканирования"));
    setPanel(3, QStringLiteral("Дубликатов"));
    panels_[1]->setPicture(QPixmap());

    Frame1->hide();
    Option1[0]->setChecked(true);
    Text2->setText(QStringLiteral("0"));
    Text3->setText(QStringLiteral("0"));
    setCheck1(false);
    ShowFieldBytes(2);
    ShowFieldBytes(3);
    applyIdleStates();

    // The chosen file goes with the texts that showed it.
    chosen_ = ChosenFile();
    processedText_.clear();
}

void Form2::applyIdleStates()
{
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    Command2->setText(QStringLiteral("Искать"));
    Command3->setEnabled(true);
    Command4->setEnabled(true);
    Command4->setText(QStringLiteral("Сканировать"));
    Timer1->stop();
}

void Form2::openAfresh()
{
    opened_ = true;
    closeRequested_ = false;
    if (!firstOpening_)
        resetControls();
    firstOpening_ = false;

    const QByteArray cwd = QFile::encodeName(QDir::currentPath());
    Drive1->refresh();
    Drive1->chooseDriveFor(cwd);
    try {
        Dir1->openAt(cwd);
    } catch (const VsError &) {
        try {
            Dir1->openAt(Drive1->currentMountPoint());
        } catch (const VsError &) {
        }
    }
    navigator_->resetLastDriveIndex();
    setPanel(1, DisplayPath(Dir1->highlightedFolder()));

    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    resize(Px(kClientWidthTw), Px(kClientHeightTw));
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

int Form2::lastDriveIndex() const
{
    return navigator_->lastDriveIndex();
}

// ---------------------------------------------------------------- events

void Form2::showEvent(QShowEvent *event)
{
    if (!opened_)
        openAfresh();
    QWidget::showEvent(event);
}

void Form2::closeEvent(QCloseEvent *event)
{
    if (busy_ != Busy::None) {
        // Ask the search to stop; it closes the window once it has wound down.
        scanRunning_ = false;
        closeRequested_ = true;
        event->ignore();
        return;
    }
    m_mnu->hide();
    opened_ = false;
    event->accept();
}

void Form2::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!isMinimized())
        layoutControls();
}

void Form2::layoutControls()
{
    const double W = std::max(7500.0, Tw(width()) + kFrameWidthTw);
    const double H = std::max(4405.0, Tw(height()) + kFrameHeightTw);

    Dir1->setGeometry(Dir1->x(), Dir1->y(), Dir1->width(), Px(H - 1230 - 810));
    Text1->setGeometry(Text1->x(), Text1->y(), Px(W - 640 - 75), Text1->height());
    const double listWidth = W - 250 - 2625;
    ListView1->setGeometry(ListView1->x(), ListView1->y(), Px(listWidth), Px(H - 1050 - 810));
    const float lw = static_cast<float>(listWidth);
    ListView1->setColumnWidth(0, Px(lw * 0.67f));
    ListView1->setColumnWidth(1, Px(lw * 0.16f));
    ListView1->setColumnWidth(2, Px(lw * 0.16f));

    Command1->move(Px(W - 250 - 345), Command1->y());
    const double c2 = W - 250 - 1860;
    Command2->move(Px(c2), Command2->y());
    const double c4 = c2 - 1860 - 90;
    Command4->move(Px(c4), Command4->y());
    Command3->move(Px(c4 - 360 - 90), Command3->y());
    placeLabel5();

    StatusBar1->setGeometry(0, height() - Px(kStatusHeightTw), width(), Px(kStatusHeightTw));
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat()) {
            // Taken by the first filter that sees it, so it acts once.
            switch (key->key()) {
            case Qt::Key_F3: OpenSelectedFile(); return true;
            case Qt::Key_F4: OpenSelectedFolder(); return true;
            case Qt::Key_F5: CopySelectedPath(); return true;
            default: break;
            }
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched == ListView1->viewport()) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton)
            showContextMenu(mouse->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

void Form2::showContextMenu(const QPoint &globalPos)
{
    m_mnu->popup(globalPos);
}

void Form2::setPanel(int panel, const QString &text)
{
    panels_[panel - 1]->setText(text);
}

// ---------------------------------------------------------------- result list

QTreeWidgetItem *Form2::selectedRow() const
{
    if (ListView1->topLevelItemCount() == 0)
        return nullptr;
    const QList<QTreeWidgetItem *> rows = ListView1->selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
}

QByteArray Form2::selectedPath() const
{
    QTreeWidgetItem *row = selectedRow();
    return row ? row->data(0, kPathRole).toByteArray() : QByteArray();
}

void Form2::OpenSelectedFile()
{
    const QByteArray path = selectedPath();
    if (!path.isEmpty())
        services_.shell.open(path, this);
}

void Form2::OpenSelectedFolder()
{
    const QByteArray folder = FolderOfPath(selectedPath());
    if (!folder.isEmpty())
        services_.shell.open(folder, this);
}

void Form2::CopySelectedPath()
{
    const QByteArray path = selectedPath();
    if (path.isEmpty())
        return;
    // The path keeps its bytes even when the shown text cannot spell them.
    Text1->setText(DisplayPath(path));
    copiedText_ = Text1->text();
    copiedPath_ = path;
}

void Form2::addRow(const DupeRow &row)
{
    ListView1->addTopLevelItem(makeRow(row));
}

QTreeWidgetItem *Form2::makeRow(const DupeRow &row)
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, DisplayPath(row.path));
    item->setData(0, kPathRole, row.path);
    item->setToolTip(0, row.toolTip);
    item->setText(1, SizeText(row.size));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(2, QString::number(row.checksum));
    const QColor colour = BgrColor(row.colour);
    for (int c = 0; c < 3; ++c)
        item->setForeground(c, colour);
    return item;
}

// ---------------------------------------------------------------- size range

int Form2::selectedUnit() const
{
    for (int i = 0; i < 4; ++i)
        if (Option1[i]->isChecked())
            return i;
    return 0;
}

void Form2::placeLabel5()
{
    // With a wider font than the layout was drawn for, the heading would run
    // into the value: keep a small gap after it.
    const int left = std::max(Px(4350), Label4->geometry().right() + 5);
    const QString &text = label5Text_;
    // Up to the settings button; the whole line stays in the tool tip.
    const int room = std::max(20, Command3->x() - 4 - left);
    const QString shown = Label5->fontMetrics().elidedText(text, Qt::ElideRight, room);
    Label5->setText(shown);
    Label5->setToolTip(shown == text ? QString() : text);
    Label5->adjustSize();
    Label5->move(left, Px(570));
}

void Form2::placeByteLabel(QLabel *label)
{
    // Right-aligned labels grow to the left from a fixed right edge.
    label->adjustSize();
    label->move(Px(2460) - label->width(), label->y());
}

void Form2::ShowFieldBytes(int field)
{
    QLineEdit *text = field == 2 ? Text2 : Text3;
    QLabel *label = field == 2 ? Label9 : Label10;
    const QString trimmed = text->text().trimmed();
    if (trimmed != text->text())
        text->setText(trimmed); // raises this handler again with the tidy text
    const double v = LeadingNumber(text->text());
    if (text->text().isEmpty())
        text->setText(QStringLiteral("0"));
    label->setText(DefaultNumberText(UnitMultiplier(selectedUnit()) * v, UserDecimalSeparator()));
    placeByteLabel(label);
}

void Form2::ApplySizeRange()
{
    for (QLineEdit *t : {Text2, Text3}) {
        const QString tidy = TidyFieldText(t->text());
        if (tidy != t->text())
            t->setText(tidy);
    }
    if (Check1->isChecked()) {
        const double a = LeadingNumber(Text2->text());
        const double b = LeadingNumber(Text3->text());
        if (a > b) {
            services_.boxes.show(this, SwapMessageText(), QStringLiteral("Внимание"),
                                 MessageBoxes::Icon::Information);
            const QString from = Text2->text();
            Text2->setText(Text3->text());
            Text3->setText(from);
        }
    }
}

void Form2::Command5_Click()
{
    ApplySizeRange();
    const QString sep = UserDecimalSeparator();
    const bool useMax = Check1->isChecked();
    const std::optional<double> low = ReadByteLabel(Label9->text(), sep);
    const std::optional<double> high = ReadByteLabel(Label10->text(), sep);
    // A bound that cannot be held would set a wrong range without a word:
    // refuse it and keep the range of the last close.
    if (!low || (useMax && !high)) {
        services_.boxes.show(this, RangeTooLargeText(low.has_value()), QStringLiteral("Внимание"),
                             MessageBoxes::Icon::Exclamation);
        return;
    }
    useMaxSize_ = useMax ? 1 : 0;
    minSizeValue_ = *low;
    if (high)
        maxSizeValue_ = *high; // an unusable upper bound while it is off changes nothing
    Frame1->hide();
}

int Form2::useMaxSize() const
{
    return WholeByteBounds(minSizeValue_, maxSizeValue_, useMaxSize_ == 1).useMax ? 1 : 0;
}

ByteCount Form2::minSizeBytes() const
{
    return ByteCount::fromBytes(
        static_cast<uint64_t>(WholeByteBounds(minSizeValue_, maxSizeValue_, useMaxSize_ == 1).minBytes));
}

ByteCount Form2::maxSizeBytes() const
{
    const long long m = WholeByteBounds(minSizeValue_, maxSizeValue_, useMaxSize_ == 1).maxBytes;
    return ByteCount::fromBytes(static_cast<uint64_t>(std::max(0LL, m)));
}

// ---------------------------------------------------------------- searches

void Form2::yield()
{
    services_.yield.yield();
}

double Form2::now() const
{
    return services_.clock();
}

void Form2::showError(int number, const QString &text, const QString &title)
{
    (void)number;
    services_.boxes.show(this, text, title, MessageBoxes::Icon::Exclamation);
}

void Form2::showScanError(const VsError &e)
{
    showError(e.number, QString::number(e.number) + e.description, QString::number(e.number));
}

void Form2::stepPicture(int image)
{
    panels_[1]->setPicture(HourglassPicture(image));
}

bool Form2::contentProgress(int64_t, int64_t)
{
    services_.yield.yield();
    return scanRunning_;
}

void Form2::Timer1_Timer()
{
    animFrame_ = NextHourglassFrame(animFrame_);
    panels_[1]->setPicture(HourglassPicture(animFrame_));
}

void Form2::Command4_Click()
{
    const QByteArray folder = Dir1->highlightedFolder();
    if (busy_ != Busy::None) {
        // A second press only asks the running search to stop.
        scanRunning_ = false;
        return;
    }
    if (folder.isEmpty())
        return;
    scanRunning_ = true;
    busy_ = Busy::TreeScan;
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    Command3->setEnabled(false);
    Command4->setText(QStringLiteral("Отмена"));
    ListView1->clear();
    setPanel(2, QStringLiteral("Сканирование каталогов..."));
    setPanel(3, QStringLiteral("Поиск..."));

    const double start = now();
    Timer1->start();
    try {
        files_.reset();
        QByteArray path = folder;
        int32_t entryCount = 0, folderCount = 0;
        FindFilesAPI_all(*this, files_, path, QByteArrayLiteral("*.*"), entryCount, folderCount);
        if (files_.fileCount() > 0) {
            files_.trim();
            setPanel(2, QStringLiteral("Сортировка данных..."));
            setPanel(3, QStringLiteral("Проверка..."));
            StatusBar1->repaint();
            SortBySize(files_);
            setPanel(2, QStringLiteral("Сравнение файлов..."));
            StatusBar1->repaint();
            // All rows in one insertion: a big result list fills in one go.
            QList<QTreeWidgetItem *> items;
            for (const DupeRow &row : ListDuplicateGroups(files_, this))
                items.append(makeRow(row));
            ListView1->addTopLevelItems(items);
            panels_[1]->setPicture(HourglassPicture(kHourglassDoneFrame));
        }
    } catch (const VsError &e) {
        showScanError(e);
    } catch (const std::bad_alloc &) {
        showScanError(MakeError(kErrOutOfMemory));
    }
    setPanel(2, ElapsedText(now() - start, UserDecimalSeparator()));
    setPanel(3, CountText(ListView1->topLevelItemCount()));
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    Command3->setEnabled(true);
    Command4->setText(QStringLiteral("Сканировать"));
    scanRunning_ = false;
    Timer1->stop();
    finishSearch();
}

void Form2::finishSearch()
{
    busy_ = Busy::None;
    if (closeRequested_)
        close();
}

void Form2::PickChosenFile()
{
    const QString name = services_.openFileDialog(this, DisplayPath(chosen_.path));
    if (name.isEmpty())
        return; // cancelled: the chosen file stays as it was
    const QByteArray path = QFile::encodeName(name);
    if (!IsFileFound(path)) {
        chosen_.path.clear();
        return;
    }
    chosen_.path = path;
}

void Form2::Command1_Click()
{
    PickChosenFile();
    QString path = DisplayPath(chosen_.path);
    pendingPath_ = chosen_.path;
    ProcessChosenFile(path);
}

bool Form2::ProcessChosenFile(QString &path)
{
    path = trimSpaces(path);
    QByteArray bytes = pendingPath_;
    pendingPath_.clear();
    if (path.isEmpty())
        return false;
    if (bytes.isEmpty() || DisplayPath(bytes) != path)
        bytes = QFile::encodeName(path);

    setPanel(2, QStringLiteral("Обработка выбранного файла..."));
    repaint();
    services_.yield.yield();
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    bool taken = false;
    try {
        ChosenFile file = TakeChosenFile(bytes);
        chosen_ = file;
        QPalette p;
        p.setColor(QPalette::WindowText, BgrColor(chosen_.size.bytes() == 0 ? 0x0000FF : 0x000000));
        Label4->setPalette(p);
        Label5->setPalette(p);
        Text1->setText(DisplayPath(chosen_.path));
        processedText_ = Text1->text();
        label5Text_ = QString::number(chosen_.checksum) + QStringLiteral("  Размер: ") + SizeText(chosen_.size);
        placeLabel5();
        taken = true;
    } catch (const VsError &e) {
        if (e.number == kErrFileNotFound)
            services_.boxes.show(this, QStringLiteral("Файл не найден:\n") + path,
                                 e.description.isEmpty() ? ErrorDescription(e.number) : e.description,
                                 MessageBoxes::Icon::Exclamation);
    } catch (const std::bad_alloc &) {
    }
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    return taken;
}

void Form2::Command2_Click()
{
    const QByteArray folder = Dir1->highlightedFolder();
    if (Text1->text() != processedText_) {
        QString typed = Text1->text();
        if (typed == copiedText_)
            pendingPath_ = copiedPath_;
        if (!ProcessChosenFile(typed))
            return;
    }
    if (chosen_.path.isEmpty()) {
        services_.boxes.show(this, QStringLiteral("Необходимо выбрать файл для поиска!"), appTitle(),
                             MessageBoxes::Icon::Information);
        return;
    }
    if (busy_ != Busy::None) {
        scanRunning_ = false;
        return;
    }
    if (folder.isEmpty())
        return;
    scanRunning_ = true;
    busy_ = Busy::OneFile;
    Command1->setEnabled(false);
    Command2->setText(QStringLiteral("Отмена"));
    Command4->setEnabled(false);
    ListView1->clear();
    setPanel(2, QStringLiteral("Сканирование каталогов..."));
    setPanel(3, QStringLiteral("Поиск..."));

    const double start = now();
    QByteArray path = folder;
    int32_t entryCount = 0, folderCount = 0;
    FindFilesAPI(*this, path, QByteArrayLiteral("*.*"), entryCount, folderCount);

    panels_[1]->setPicture(HourglassPicture(kHourglassDoneFrame));
    setPanel(2, ElapsedText(now() - start, UserDecimalSeparator()));
    setPanel(3, CountText(ListView1->topLevelItemCount()));
    Command1->setEnabled(true);
    Command2->setText(QStringLiteral("Искать"));
    Command4->setEnabled(true);
    scanRunning_ = false;
    finishSearch();
}

} // namespace vs
