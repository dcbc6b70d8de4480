#include "Form2.h"

#include "dupes/DupeListItems.h"
#include "dupes/Hourglass.h"
#include "dupes/SizeRange.h"
#include "dupes/StatusPanel.h"
#include "dupes/StatusTexts.h"
#include "dupes/WindowIcon.h"
#include "dupes/engine/DupeListCsv.h"
#include "dupes/engine/OneFileSearch.h"
#include "fs/Paths.h"
#include "fs/WorkerPool.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "util/Services.h"
#include "widgets/DirListBox.h"
#include "widgets/DriveListBox.h"
#include "widgets/DriveNavigator.h"
#include "widgets/ScreenPlacement.h"
#include "widgets/Twips.h"

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
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScreen>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <map>

namespace vs
{

namespace
{

// The window's outer size exceeds its client area by the frame and the
// caption; the resize rules are written for the outer size.
constexpr double kFrameWidthTw = 175;
constexpr double kFrameHeightTw = 465;
constexpr double kClientWidthTw = 11325;
constexpr double kClientHeightTw = 5940;
constexpr double kStatusHeightTw = 345;

const QColor kGrey(128, 128, 128);

// Helpers that make the items of a long result list, one per core.
WorkerPool &ItemPool()
{
    static WorkerPool *pool = new WorkerPool(WorkerPool::HelpersPerCore());
    return *pool;
}

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

QString defaultSaveFileDialog(QWidget *parent)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Сохранить список"),
                                        QStringLiteral("дубликаты.csv"), QStringLiteral("CSV (*.csv)"));
}

QString defaultFolderDialog(QWidget *parent)
{
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Оставить копии в папке"));
}

bool defaultAsk(QWidget *parent, const QString &text, const QString &title)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

const QString kTrashTitle = QStringLiteral("Переместить в корзину");

} // namespace

QByteArray FolderOfPath(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash + 1);
}

Form2::Form2(const WindowServices &services, Form2Extras extras, QWidget *parent)
    : QWidget(parent, Qt::Window), services_(services), extras_(std::move(extras)),
      search_(services.yield, *this, extras_.clock)
{
    if (!extras_.openFileDialog)
        extras_.openFileDialog = defaultOpenFileDialog;
    if (!extras_.saveFileDialog)
        extras_.saveFileDialog = defaultSaveFileDialog;
    if (!extras_.folderDialog)
        extras_.folderDialog = defaultFolderDialog;
    if (!extras_.ask)
        extras_.ask = defaultAsk;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Дубликтор файлов"));
    setWindowIcon(DupesWindowIcon());
    setMinimumSize(Px(7500 - kFrameWidthTw), Px(4405 - kFrameHeightTw));
    buildControls();
    buildListActions();
    buildSettingsPanel();
    setTabOrderOfControls();
    // Keys reach the window before the focused control.
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
    installEventFilter(this);
    resetControls();
    passSizeRangeToSearch();
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

    label("Label1", QStringLiteral("Файл для проверки"), 105, 30);
    chosenFileField_ = new QLineEdit(this);
    chosenFileField_->setObjectName(QStringLiteral("Text1"));
    chosenFileField_->setAccessibleName(QStringLiteral("Файл для проверки"));
    chosenFileField_->setGeometry(TwRect(75, 255, 10785, 300));
    browseButton_ = button("Command1", QStringLiteral("..."), 10905, 255, 345, 300);
    browseButton_->setAccessibleName(QStringLiteral("Выбрать файл для проверки"));
    browseButton_->setAccessibleDescription(QStringLiteral("Открывает окно выбора файла"));
    label("Label2", QStringLiteral("Выбор места поиска:"), 90, 555);
    checksumHeading_ = label("Label4", QStringLiteral("Контрольная сумма:"), 2730, 555);
    checksumValue_ = label("Label5", QStringLiteral("0"), 4350, 570);

    driveList_ = new DriveListBox(services_.mounts, this);
    driveList_->setObjectName(QStringLiteral("Drive1"));
    driveList_->setGeometry(TwRect(90, 795, 2475, 315));

    label("Label6", QStringLiteral("Список дубликатов:"), 2715, 795);
    settingsButton_ = button("Command3", QStringLiteral("..."), 7020, 630, 360, 360);
    settingsButton_->setAccessibleName(QStringLiteral("Настройка сканирования"));
    settingsButton_->setAccessibleDescription(QStringLiteral("Открывает выбор размера проверяемых файлов"));
    scanButton_ = button("Command4", QStringLiteral("Сканировать"), 7440, 630, 1860, 360);
    scanButton_->setAccessibleDescription(QStringLiteral("Ищет одинаковые файлы в выбранной папке"));
    findCopiesButton_ = button("Command2", QStringLiteral("Искать"), 9390, 630, 1860, 360);
    findCopiesButton_->setAccessibleDescription(
        QStringLiteral("Ищет копии файла для проверки в выбранной папке"));

    folderList_ = new DirListBox(services_.fs, services_.boxes, this);
    folderList_->setObjectName(QStringLiteral("Dir1"));
    folderList_->setGeometry(TwRect(75, 1230, 2475, 4365));
    {
        QPalette p = folderList_->palette();
        p.setColor(QPalette::Base, kGrey);
        folderList_->setPalette(p);
    }
    navigator_ = new DriveNavigator(*driveList_, *folderList_, services_.mounts, services_.boxes, this);

    resultList_ = new QTreeWidget(this);
    resultList_->setObjectName(QStringLiteral("ListView1"));
    resultList_->setAccessibleName(QStringLiteral("Список дубликатов"));
    resultList_->setAccessibleDescription(
        QStringLiteral("Группы одинаковых файлов: путь, размер и контрольная сумма"));
    resultList_->setGeometry(TwRect(2625, 1050, 8625, 4545));
    resultList_->setColumnCount(3);
    resultList_->setHeaderLabels({QStringLiteral("Файл"), QStringLiteral("Размер"), QStringLiteral("CRC")});
    resultList_->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    resultList_->setRootIsDecorated(false);
    resultList_->setItemsExpandable(false);
    resultList_->setUniformRowHeights(true);
    // Rows stay in the order the searches add them: groups are consecutive rows.
    resultList_->setSortingEnabled(false);
    resultList_->header()->setSectionsClickable(false);
    resultList_->header()->setStretchLastSection(false);
    resultList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    resultList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    resultList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    resultList_->setTextElideMode(Qt::ElideMiddle);
    {
        QPalette p = resultList_->palette();
        p.setColor(QPalette::Base, kGrey);
        resultList_->setPalette(p);
    }

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setAccessibleName(QStringLiteral("Строка состояния"));
    if (auto *grip = statusBar_->findChild<QSizeGrip *>())
        grip->setAccessibleName(QStringLiteral("Размер окна"));
    folderPanel_ = new StatusPanel(QStringLiteral("Panel1"), Px(2500), statusBar_);
    timePanel_ = new StatusPanel(QStringLiteral("Panel2"), Px(1440), statusBar_);
    countPanel_ = new StatusPanel(QStringLiteral("Panel3"), Px(1440), statusBar_);
    timePanel_->setMinimumWidth(Px(1710));
    timePanel_->keepTextWhole();
    countPanel_->keepTextWhole();
    statusBar_->addWidget(folderPanel_, 1);
    statusBar_->addWidget(timePanel_);
    statusBar_->addWidget(countPanel_);
    // Shares the room left with the folder panel: with the three panels of
    // the design at their widths, a wider minimum would push it past the
    // window's edge. A text too long for it is shortened, whole in its tool tip.
    spacePanel_ = new StatusPanel(QStringLiteral("Panel4"), Px(2500), statusBar_);
    statusBar_->addWidget(spacePanel_, 1);

    hourglassTimer_ = new QTimer(this);
    hourglassTimer_->setObjectName(QStringLiteral("Timer1"));
    hourglassTimer_->setInterval(70);
    connect(hourglassTimer_, &QTimer::timeout, this, &Form2::advanceHourglass);

    rowMenu_ = new QMenu(QStringLiteral("Файл"), this);
    rowMenu_->setObjectName(QStringLiteral("m_mnu"));
    openFileAction_ = rowMenu_->addAction(QStringLiteral("Открыть файл\tF3"), this, &Form2::openSelectedFile);
    openFileAction_->setObjectName(QStringLiteral("m_open_0"));
    openFolderAction_ =
        rowMenu_->addAction(QStringLiteral("Открыть каталог...\tF4"), this, &Form2::openSelectedFolder);
    openFolderAction_->setObjectName(QStringLiteral("m_open_1"));
    copyPathAction_ =
        rowMenu_->addAction(QStringLiteral("Копировать ссылку\tF5"), this, &Form2::copySelectedPath);
    copyPathAction_->setObjectName(QStringLiteral("m_open_2"));

    connect(browseButton_, &QPushButton::clicked, this, &Form2::chooseFileByDialog);
    connect(findCopiesButton_, &QPushButton::clicked, this, &Form2::findCopiesOfChosenFile);
    connect(settingsButton_, &QPushButton::clicked, this, &Form2::showSettingsPanel);
    connect(scanButton_, &QPushButton::clicked, this, &Form2::startTreeScan);
    connect(resultList_, &QTreeWidget::itemDoubleClicked, copyPathAction_, &QAction::trigger);
    resultList_->viewport()->installEventFilter(this);

    connect(driveList_, &QComboBox::activated, this,
            [this] { showFolderInPanel(folderList_->highlightedFolder()); });
    connect(folderList_, &DirListBox::changed, this,
            [this] { showFolderInPanel(folderList_->highlightedFolder()); });
    connect(folderList_, &DirListBox::highlighted, this, &Form2::showFolderInPanel);
}

void Form2::buildSettingsPanel()
{
    settingsPanel_ = new QGroupBox(QStringLiteral("Настройка сканирования"), this);
    settingsPanel_->setObjectName(QStringLiteral("Frame1"));
    settingsPanel_->setGeometry(TwRect(3840, 1455, 4185, 2475));
    settingsPanel_->setAutoFillBackground(true);

    auto label = [this](const char *name, const QString &text, double left, double top) {
        auto *l = new QLabel(text, settingsPanel_);
        l->setObjectName(QLatin1String(name));
        l->move(Px(left), Px(top));
        l->adjustSize();
        return l;
    };
    QLabel *sizeHeading = label("Label3", QStringLiteral("Размер файлов"), 120, 300);
    sizeHeading->setGeometry(TwRect(120, 300, 2295, 210));
    label("Label8", QStringLiteral("ОТ:"), 165, 570);
    minField_ = new QLineEdit(QStringLiteral("0"), settingsPanel_);
    minField_->setObjectName(QStringLiteral("Text2"));
    minField_->setAccessibleName(QStringLiteral("Размер файлов от"));
    minField_->setGeometry(TwRect(135, 795, 2625, 315));
    minBytesLabel_ = label("Label9", QStringLiteral("0"), 2370, 1125);
    minBytesLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label("Label11", QStringLiteral("байт"), 2505, 1125);
    maxHeading_ = label("Label7", QStringLiteral("ДО:"), 165, 1320);
    useMaxCheck_ = new QCheckBox(settingsPanel_);
    useMaxCheck_->setObjectName(QStringLiteral("Check1"));
    useMaxCheck_->setAccessibleName(QStringLiteral("Ограничить размер сверху"));
    useMaxCheck_->setGeometry(TwRect(2880, 1350, 255, 315));
    maxField_ = new QLineEdit(QStringLiteral("0"), settingsPanel_);
    maxField_->setObjectName(QStringLiteral("Text3"));
    maxField_->setAccessibleName(QStringLiteral("Размер файлов до"));
    maxField_->setGeometry(TwRect(135, 1545, 2625, 315));
    maxBytesLabel_ = label("Label10", QStringLiteral("0"), 2370, 1890);
    maxBytesLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label("Label12", QStringLiteral("байт"), 2505, 1890);
    const QString units[4] = {QStringLiteral("байт"), QStringLiteral("Кбайт"), QStringLiteral("Мбайт"),
                              QStringLiteral("Гбайт")};
    const double tops[4] = {150, 405, 660, 900};
    for (int i = 0; i < 4; ++i) {
        unitButtons_[i] = new QRadioButton(units[i], settingsPanel_);
        unitButtons_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        unitButtons_[i]->setAccessibleDescription(QStringLiteral("Единица размера файлов"));
        unitButtons_[i]->setGeometry(TwRect(3015, tops[i], 855, 285));
        connect(unitButtons_[i], &QRadioButton::clicked, this, [this] {
            showFieldBytes(minField_, minBytesLabel_);
            showFieldBytes(maxField_, maxBytesLabel_);
        });
    }
    closeSettingsButton_ = new QPushButton(QStringLiteral("Закрыть"), settingsPanel_);
    closeSettingsButton_->setObjectName(QStringLiteral("Command5"));
    closeSettingsButton_->setGeometry(TwRect(2790, 2040, 1320, 345));
    closeSettingsButton_->setAutoDefault(false);
    closeSettingsButton_->setToolTip(
        QStringLiteral("Настройки сохраняться только после закрытия окна настроек!"));

    connect(minField_, &QLineEdit::textChanged, this, [this] { showFieldBytes(minField_, minBytesLabel_); });
    connect(maxField_, &QLineEdit::textChanged, this, [this] { showFieldBytes(maxField_, maxBytesLabel_); });
    connect(useMaxCheck_, &QCheckBox::clicked, this, &Form2::setUpperBoundOn);
    connect(closeSettingsButton_, &QPushButton::clicked, this, &Form2::applySettingsAndClose);
}

void Form2::setTabOrderOfControls()
{
    QWidget *order[] = {chosenFileField_,     folderList_,     findCopiesButton_, browseButton_,
                        resultList_,          scanButton_,     settingsButton_,   unitButtons_[0],
                        unitButtons_[1],      unitButtons_[2], minField_,         maxField_,
                        closeSettingsButton_, useMaxCheck_,    unitButtons_[3]};
    setTabOrder(chosenFileField_, driveList_);
    setTabOrder(driveList_, folderList_);
    for (size_t i = 1; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void Form2::setUpperBoundOn(bool on)
{
    useMaxCheck_->setChecked(on);
    maxHeading_->setEnabled(on);
    maxField_->setEnabled(on);
    // Off, the field takes the colour of the window's bars; on, that of an
    // ordinary field.
    QPalette p = maxField_->palette();
    const QColor bg =
        on ? QApplication::palette().color(QPalette::Base) : QApplication::palette().color(QPalette::Window);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, bg);
    maxField_->setPalette(p);
}

// The controls as they are at every opening of the window.
void Form2::resetControls()
{
    chosenFileField_->clear();
    checksumText_ = QStringLiteral("0");
    placeChecksumValue();
    for (QLabel *l : {checksumHeading_, checksumValue_})
        l->setPalette(QPalette());
    resultList_->clear();
    folderPanel_->setText(QStringLiteral("Каталог"));
    timePanel_->setText(QStringLiteral("Время сканирования"));
    countPanel_->setText(QStringLiteral("Дубликатов"));
    timePanel_->setPicture(QPixmap());
    spaceNote_.clear();
    listChanged();

    settingsPanel_->hide();
    unitButtons_[0]->setChecked(true);
    minField_->setText(QStringLiteral("0"));
    maxField_->setText(QStringLiteral("0"));
    setUpperBoundOn(false);
    showFieldBytes(minField_, minBytesLabel_);
    showFieldBytes(maxField_, maxBytesLabel_);
    applyIdleStates();

    // The chosen file goes with the texts that showed it.
    search_.setChosenFile(ChosenFile());
    processedText_.clear();
}

void Form2::applyIdleStates()
{
    browseButton_->setEnabled(true);
    findCopiesButton_->setEnabled(true);
    findCopiesButton_->setText(QStringLiteral("Искать"));
    settingsButton_->setEnabled(true);
    scanButton_->setEnabled(true);
    scanButton_->setText(QStringLiteral("Сканировать"));
    hourglassTimer_->stop();
}

void Form2::openAfresh()
{
    opened_ = true;
    if (!firstOpening_)
        resetControls();
    firstOpening_ = false;

    const QByteArray cwd = QFile::encodeName(QDir::currentPath());
    driveList_->refresh();
    driveList_->chooseDriveFor(cwd);
    try {
        folderList_->openAt(cwd);
    } catch (const VsError &) {
        try {
            folderList_->openAt(driveList_->currentMountPoint());
        } catch (const VsError &) {
        }
    }
    navigator_->resetLastDriveIndex();
    showFolderInPanel(folderList_->highlightedFolder());

    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    resize(Px(kClientWidthTw), Px(kClientHeightTw));
    PlaceOnScreen(this, MainWindowScreen());
}

int Form2::lastDriveIndex() const
{
    return navigator_->lastDriveIndex();
}

void Form2::showFolderInPanel(const QByteArray &folder)
{
    folderPanel_->setText(DisplayPath(folder));
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
    if (!search_.requestClose()) {
        // The search stops and closes the window once it has wound down.
        event->ignore();
        return;
    }
    rowMenu_->hide();
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

    folderList_->setGeometry(folderList_->x(), folderList_->y(), folderList_->width(), Px(H - 1230 - 810));
    chosenFileField_->setGeometry(chosenFileField_->x(), chosenFileField_->y(), Px(W - 640 - 75),
                                  chosenFileField_->height());
    const double listWidth = W - 250 - 2625;
    resultList_->setGeometry(resultList_->x(), resultList_->y(), Px(listWidth), Px(H - 1050 - 810));
    const float lw = static_cast<float>(listWidth);
    resultList_->setColumnWidth(0, Px(lw * 0.67f));
    resultList_->setColumnWidth(1, Px(lw * 0.16f));
    resultList_->setColumnWidth(2, Px(lw * 0.16f));

    browseButton_->move(Px(W - 250 - 345), browseButton_->y());
    const double c2 = W - 250 - 1860;
    findCopiesButton_->move(Px(c2), findCopiesButton_->y());
    const double c4 = c2 - 1860 - 90;
    scanButton_->move(Px(c4), scanButton_->y());
    settingsButton_->move(Px(c4 - 360 - 90), settingsButton_->y());
    placeChecksumValue();

    statusBar_->setGeometry(0, height() - Px(kStatusHeightTw), width(), Px(kStatusHeightTw));
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat()) {
            // Taken by the first filter that sees it, so it acts once.
            QAction *action = key->key() == Qt::Key_F3   ? openFileAction_
                              : key->key() == Qt::Key_F4 ? openFolderAction_
                              : key->key() == Qt::Key_F5 ? copyPathAction_
                                                         : nullptr;
            if (action) {
                action->trigger();
                return true;
            }
        }
    } else if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const auto mods = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_S && mods == Qt::ControlModifier) {
            saveListAction_->trigger();
            return true;
        }
        // Delete and the menu keys belong to the list: elsewhere Delete edits text.
        if (watched == resultList_ && key->key() == Qt::Key_Delete && mods == Qt::NoModifier) {
            trashAction_->trigger();
            return true;
        }
        if (watched == resultList_ &&
            (key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && mods == Qt::ShiftModifier))) {
            const QRect at = resultList_->visualItemRect(resultList_->currentItem());
            const QPoint pos = at.isValid() ? at.bottomLeft() : QPoint(0, 0);
            rowMenu_->popup(resultList_->viewport()->mapToGlobal(pos));
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease && watched == resultList_->viewport()) {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton)
            rowMenu_->popup(mouse->globalPosition().toPoint());
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- result list

QTreeWidgetItem *Form2::selectedRow() const
{
    // With several rows selected, the row commands act on the current one.
    QTreeWidgetItem *row = resultList_->currentItem();
    return row && row->isSelected() ? row : nullptr;
}

QByteArray Form2::selectedPath() const
{
    QTreeWidgetItem *row = selectedRow();
    return row ? row->data(0, kPathRole).toByteArray() : QByteArray();
}

void Form2::openSelectedFile()
{
    const QByteArray path = selectedPath();
    if (!path.isEmpty())
        services_.shell.open(path, this);
}

void Form2::openSelectedFolder()
{
    const QByteArray folder = FolderOfPath(selectedPath());
    if (!folder.isEmpty())
        services_.shell.open(folder, this);
}

void Form2::copySelectedPath()
{
    const QByteArray path = selectedPath();
    if (path.isEmpty())
        return;
    // The path keeps its bytes even when the shown text cannot spell them.
    chosenFileField_->setText(DisplayPath(path));
    copiedText_ = chosenFileField_->text();
    copiedPath_ = path;
}

// ---------------------------------------------------------------- acting on the list

void Form2::buildListActions()
{
    rowMenu_->addSeparator();
    selectMenu_ = rowMenu_->addMenu(QStringLiteral("Выделить лишние копии"));
    selectMenu_->setObjectName(QStringLiteral("m_select"));
    const std::pair<KeepRule, QString> rules[] = {
        {KeepRule::FirstInGroup, QStringLiteral("оставить первую в группе")},
        {KeepRule::Oldest, QStringLiteral("оставить самую старую")},
        {KeepRule::Newest, QStringLiteral("оставить самую новую")},
        {KeepRule::InFolder, QStringLiteral("оставить копии в папке...")},
    };
    int n = 0;
    for (const auto &[rule, text] : rules) {
        QAction *a = selectMenu_->addAction(text, this, [this, rule = rule] { selectExtraCopies(rule); });
        a->setObjectName(QStringLiteral("m_keep_%1").arg(n++));
    }
    clearSelectionAction_ =
        rowMenu_->addAction(QStringLiteral("Снять выделение"), this, &Form2::clearSelection);
    clearSelectionAction_->setObjectName(QStringLiteral("m_clear"));
    trashAction_ = rowMenu_->addAction(QStringLiteral("Переместить в корзину...\tDelete"), this,
                                       &Form2::moveSelectedToTrash);
    trashAction_->setObjectName(QStringLiteral("m_trash"));
    saveListAction_ =
        rowMenu_->addAction(QStringLiteral("Сохранить список...\tCtrl+S"), this, &Form2::saveList);
    saveListAction_->setObjectName(QStringLiteral("m_save"));
    connect(resultList_, &QTreeWidget::itemSelectionChanged, this, &Form2::showSpace);
}

std::vector<QTreeWidgetItem *> Form2::listItems() const
{
    std::vector<QTreeWidgetItem *> items;
    items.reserve(size_t(resultList_->topLevelItemCount()));
    for (int i = 0; i < resultList_->topLevelItemCount(); ++i)
        items.push_back(resultList_->topLevelItem(i));
    return items;
}

std::vector<ListedFile> Form2::listedFiles(const std::vector<QTreeWidgetItem *> &items) const
{
    std::vector<ListedFile> files;
    files.reserve(items.size());
    for (const QTreeWidgetItem *item : items)
        files.push_back(ListedFileOf(item));
    return files;
}

std::vector<bool> Form2::selectedMask(const std::vector<QTreeWidgetItem *> &items) const
{
    std::vector<bool> mask(items.size());
    for (size_t i = 0; i < items.size(); ++i)
        mask[i] = items[i]->isSelected();
    return mask;
}

// The list got or lost rows: hard-link marks and the space anew.
void Form2::listChanged()
{
    const std::vector<QTreeWidgetItem *> items = listItems();
    LetPaintsThrough();
    const std::vector<ListedFile> files = listedFiles(items);
    MarkHardLinks(items, files);
    reclaimable_ = ReclaimableSpace(files);
    showSpace();
}

void Form2::showSpace()
{
    const std::vector<QTreeWidgetItem *> items = listItems();
    const std::vector<bool> mask = selectedMask(items);
    const bool any = std::find(mask.begin(), mask.end(), true) != mask.end();
    const ByteCount share = any ? SelectionSpace(listedFiles(items), mask) : ByteCount();
    spacePanel_->setText(SpaceText(reclaimable_, any, share) + spaceNote_);
}

void Form2::selectExtraCopies(KeepRule rule)
{
    if (search_.running())
        return;
    QByteArray folder;
    if (rule == KeepRule::InFolder) {
        const QString chosen = extras_.folderDialog(this);
        if (chosen.isEmpty())
            return;
        folder = QFile::encodeName(chosen);
    }
    const std::vector<QTreeWidgetItem *> items = listItems();
    const ExtraCopies pick = SelectExtraCopies(listedFiles(items), rule, folder);
    spaceNote_ = rule == KeepRule::InFolder ? GroupsWithoutKeptText(pick.groupsWithoutKept) : QString();
    // One selection change for the whole list: runs of rows become ranges.
    QItemSelection selection;
    QAbstractItemModel *model = resultList_->model();
    for (size_t i = 0; i < items.size(); ++i) {
        if (!pick.selected[i])
            continue;
        size_t end = i;
        while (end + 1 < items.size() && pick.selected[end + 1])
            ++end;
        selection.select(model->index(int(i), 0), model->index(int(end), 0));
        i = end;
    }
    resultList_->selectionModel()->select(selection,
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    showSpace();
}

void Form2::clearSelection()
{
    spaceNote_.clear();
    resultList_->clearSelection();
    showSpace();
}

void Form2::moveSelectedToTrash()
{
    if (search_.running())
        return; // a search fills the list, or files move already
    const std::vector<QTreeWidgetItem *> items = listItems();
    const std::vector<ListedFile> files = listedFiles(items);
    const std::vector<bool> mask = selectedMask(items);
    const MovePlan plan = PlanMove(files, mask);
    if (plan.toMove.empty()) {
        if (plan.skippedGroups > 0)
            services_.boxes.show(this, NothingToMoveText(plan.skippedGroups, plan.skippedFiles), kTrashTitle,
                                 MessageBoxes::Icon::Information);
        return;
    }
    if (!extras_.ask(
            this, ConfirmMoveText(int(plan.toMove.size()), plan.space, plan.skippedGroups, plan.skippedFiles),
            kTrashTitle))
        return;
    if (!search_.beginMove())
        return;
    for (QPushButton *b : {browseButton_, findCopiesButton_, scanButton_, settingsButton_})
        b->setEnabled(false);
    const MoveReport report = MoveToTrash(files, plan, [this] {
        services_.yield.yield();
        return !search_.stopRequested();
    });
    const bool closeNow = search_.endMove();
    for (QPushButton *b : {browseButton_, findCopiesButton_, scanButton_, settingsButton_})
        b->setEnabled(true);

    std::vector<std::pair<QString, QString>> leftAlone;
    for (const LeftAlone &l : report.leftAlone)
        leftAlone.emplace_back(DisplayPath(files[size_t(l.row)].path), l.reason);
    dropMovedRows(items, report.moved);
    services_.boxes.show(this,
                         MoveSummaryText(int(report.moved.size()), report.freed, plan.skippedGroups,
                                         leftAlone, report.stopped),
                         kTrashTitle, MessageBoxes::Icon::Information);
    if (closeNow)
        close();
}

void Form2::dropMovedRows(const std::vector<QTreeWidgetItem *> &items, const std::vector<int> &moved)
{
    std::vector<bool> gone(items.size());
    for (int r : moved)
        gone[size_t(r)] = true;
    // A group left with one file is no group any more.
    std::map<int, int> left;
    for (size_t i = 0; i < items.size(); ++i)
        if (!gone[i])
            ++left[ListedFileOf(items[i]).group];
    for (size_t i = 0; i < items.size(); ++i)
        if (gone[i] || left[ListedFileOf(items[i]).group] < 2)
            delete items[i];
    if (listKind_ == DupeSearchKind::TreeScan)
        RecolourGroups(listItems());
    countPanel_->setText(CountText(resultList_->topLevelItemCount()));
    spaceNote_.clear();
    listChanged();
}

void Form2::saveList()
{
    if (search_.running())
        return;
    const QString name = extras_.saveFileDialog(this);
    if (name.isEmpty())
        return;
    QSaveFile file(name);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(DupeListCsv(listedFiles(listItems())));
        if (file.commit())
            return;
    }
    services_.boxes.show(this,
                         QStringLiteral("Не удалось сохранить список:\n") + name + QLatin1Char('\n') +
                             file.errorString(),
                         QStringLiteral("Сохранить список"), MessageBoxes::Icon::Exclamation);
}

// ---------------------------------------------------------------- size range

int Form2::selectedUnit() const
{
    for (int i = 0; i < 4; ++i)
        if (unitButtons_[i]->isChecked())
            return i;
    return 0;
}

void Form2::placeChecksumValue()
{
    // With a wider font than the layout was drawn for, the heading would run
    // into the value: keep a small gap after it.
    const int left = std::max(Px(4350), checksumHeading_->geometry().right() + 5);
    const QString &text = checksumText_;
    // Up to the settings button. A line too long for that goes on two lines,
    // the size under the checksum, in the free space above the list; only
    // what does not fit even so is shortened, and the tool tip has it whole.
    const int room = std::max(20, settingsButton_->x() - 4 - left);
    const QFontMetrics metrics = checksumValue_->fontMetrics();
    QString shown = text;
    const QString separator = QStringLiteral("  ");
    const qsizetype split = text.indexOf(separator);
    if (metrics.horizontalAdvance(text) > room && split > 0 &&
        checksumValue_->y() + 2 * metrics.height() <= resultList_->y()) {
        shown = metrics.elidedText(text.left(split), Qt::ElideRight, room) + QLatin1Char('\n') +
                metrics.elidedText(text.mid(split + separator.size()), Qt::ElideRight, room);
    } else {
        shown = metrics.elidedText(text, Qt::ElideRight, room);
    }
    checksumValue_->setText(shown);
    checksumValue_->setAccessibleName(text);
    checksumValue_->setToolTip(shown == text ? QString() : text);
    checksumValue_->adjustSize();
    checksumValue_->move(left, Px(570));
}

void Form2::placeByteLabel(QLabel *label)
{
    // Right-aligned labels grow to the left from a fixed right edge.
    label->adjustSize();
    label->move(Px(2460) - label->width(), label->y());
}

void Form2::showFieldBytes(QLineEdit *field, QLabel *bytesLabel)
{
    const QString trimmed = field->text().trimmed();
    if (trimmed != field->text())
        field->setText(trimmed); // raises this handler again with the tidy text
    const double v = LeadingNumber(field->text());
    if (field->text().isEmpty())
        field->setText(QStringLiteral("0"));
    bytesLabel->setText(DefaultNumberText(UnitMultiplier(selectedUnit()) * v, UserDecimalSeparator()));
    placeByteLabel(bytesLabel);
}

void Form2::tidySizeFields()
{
    for (QLineEdit *t : {minField_, maxField_}) {
        const QString tidy = TidyFieldText(t->text());
        if (tidy != t->text())
            t->setText(tidy);
    }
    if (useMaxCheck_->isChecked()) {
        const double a = LeadingNumber(minField_->text());
        const double b = LeadingNumber(maxField_->text());
        if (a > b) {
            services_.boxes.show(this, SwapMessageText(), QStringLiteral("Внимание"),
                                 MessageBoxes::Icon::Information);
            const QString from = minField_->text();
            minField_->setText(maxField_->text());
            maxField_->setText(from);
        }
    }
}

void Form2::showSettingsPanel()
{
    settingsPanel_->show();
    settingsPanel_->raise();
}

void Form2::applySettingsAndClose()
{
    tidySizeFields();
    const QString sep = UserDecimalSeparator();
    const bool useMax = useMaxCheck_->isChecked();
    const std::optional<double> low = ReadByteLabel(minBytesLabel_->text(), sep);
    const std::optional<double> high = ReadByteLabel(maxBytesLabel_->text(), sep);
    // A bound that cannot be held would set a wrong range without a word:
    // refuse it and keep the range of the last close.
    if (!low || (useMax && !high)) {
        services_.boxes.show(this, RangeTooLargeText(low.has_value()), QStringLiteral("Внимание"),
                             MessageBoxes::Icon::Exclamation);
        return;
    }
    useMaxSize_ = useMax;
    minSizeValue_ = *low;
    if (high)
        maxSizeValue_ = *high; // an unusable upper bound while it is off changes nothing
    passSizeRangeToSearch();
    settingsPanel_->hide();
}

void Form2::passSizeRangeToSearch()
{
    const ByteBounds b = WholeByteBounds(minSizeValue_, maxSizeValue_, useMaxSize_);
    search_.setSizeRange(b.useMax, ByteCount::fromBytes(static_cast<uint64_t>(b.minBytes)),
                         ByteCount::fromBytes(static_cast<uint64_t>(std::max(0LL, b.maxBytes))));
}

// ---------------------------------------------------------------- searches

void Form2::advanceHourglass()
{
    animFrame_ = NextHourglassFrame(animFrame_);
    timePanel_->setPicture(HourglassPicture(animFrame_));
}

void Form2::startTreeScan()
{
    if (search_.moving())
        return;
    const QByteArray folder = folderList_->highlightedFolder();
    if (search_.running()) {
        search_.requestStop();
        return;
    }
    if (folder.isEmpty())
        return;
    if (search_.scanTree(folder))
        close();
}

void Form2::findCopiesOfChosenFile()
{
    if (search_.moving())
        return;
    const QByteArray folder = folderList_->highlightedFolder();
    if (chosenFileField_->text() != processedText_) {
        QString typed = chosenFileField_->text();
        if (typed == copiedText_)
            pendingPath_ = copiedPath_;
        if (!takeChosenFile(typed))
            return;
    }
    if (search_.chosenFile().path.isEmpty()) {
        services_.boxes.show(this, QStringLiteral("Необходимо выбрать файл для поиска!"), appTitle(),
                             MessageBoxes::Icon::Information);
        return;
    }
    if (search_.running()) {
        search_.requestStop();
        return;
    }
    if (folder.isEmpty())
        return;
    if (search_.findCopies(folder))
        close();
}

void Form2::searchStarted(DupeSearchKind kind)
{
    browseButton_->setEnabled(false);
    if (kind == DupeSearchKind::TreeScan) {
        findCopiesButton_->setEnabled(false);
        settingsButton_->setEnabled(false);
        scanButton_->setText(QStringLiteral("Отмена"));
        hourglassTimer_->start();
    } else {
        findCopiesButton_->setText(QStringLiteral("Отмена"));
        scanButton_->setEnabled(false);
    }
    listKind_ = kind;
    resultList_->clear();
    spaceNote_.clear();
    listChanged();
}

void Form2::stageChanged(Stage stage)
{
    switch (stage) {
    case Stage::Walking:
        timePanel_->setText(QStringLiteral("Сканирование каталогов..."));
        countPanel_->setText(QStringLiteral("Поиск..."));
        break;
    case Stage::Sorting:
        timePanel_->setText(QStringLiteral("Сортировка данных..."));
        countPanel_->setText(QStringLiteral("Проверка..."));
        statusBar_->repaint();
        break;
    case Stage::Comparing:
        timePanel_->setText(QStringLiteral("Сравнение файлов..."));
        statusBar_->repaint();
        break;
    case Stage::Listed:
        timePanel_->setPicture(HourglassPicture(kHourglassDoneFrame));
        break;
    }
}

void Form2::rowsAdded(const std::vector<DupeRow> &rows)
{
    // A long list takes a while to make: the window repaints meanwhile (and
    // only repaints), and the list shows the rows when all are made, with
    // their hard-link marks, in one insertion.
    paintBetweenYields();
    const std::vector<ListedFile> files =
        IdentifyRows(rows, false, &search_.files(), [this] { paintBetweenYields(); });
    QElapsedTimer sincePaints;
    sincePaints.start();
    const auto paintNow = [this, &sincePaints] {
        if (sincePaints.elapsed() >= 20) {
            paintBetweenYields();
            sincePaints.restart();
        }
    };
    // Items outside any list are plain data: helper threads make them.
    std::vector<QTreeWidgetItem *> made(rows.size());
    constexpr size_t kSlice = 512;
    ItemPool().runWhileWaiting((rows.size() + kSlice - 1) / kSlice,
                               [&](size_t s) {
                                   for (size_t i = s * kSlice; i < std::min(rows.size(), (s + 1) * kSlice);
                                        ++i)
                                       made[i] = MakeDupeItem(rows[i], files[i]);
                               },
                               std::chrono::milliseconds(20),
                               [this] {
                                   paintBetweenYields();
                                   return true;
                               });
    const QList<QTreeWidgetItem *> items(made.begin(), made.end());
    MarkHardLinks(made, files);
    paintNow();
    reclaimable_ = ReclaimableSpace(files);
    paintNow();
    resultList_->addTopLevelItems(items);
    listMarked_ = true;
}

void Form2::paintBetweenYields()
{
    LetPaintsThrough();
    // Qt hands a widget's repaint to its window by a timer, which that wait
    // holds back, as it holds back the hourglass's timer: the hourglass
    // steps here when its time has come, as it would at a yield, and the
    // status bar, where the search shows its state, is drawn at once.
    if (hourglassTimer_->isActive() && hourglassTimer_->remainingTime() == 0) {
        hourglassTimer_->start();
        advanceHourglass();
    }
    if (!statusPainted_.isValid() || statusPainted_.elapsed() >= 20) {
        statusBar_->repaint();
        statusPainted_.start();
    }
}

void Form2::rowAdded(const DupeRow &row)
{
    // Every copy of the chosen file belongs to its one group.
    resultList_->addTopLevelItem(MakeDupeItem(row, IdentifyRow(row, 1)));
}

void Form2::errorBox(int, const QString &text, const QString &title)
{
    services_.boxes.show(this, text, title, MessageBoxes::Icon::Exclamation);
}

void Form2::pictureStep(int image)
{
    timePanel_->setPicture(HourglassPicture(image));
}

void Form2::searchFinished(DupeSearchKind kind, double seconds, int rows)
{
    timePanel_->setText(ElapsedText(seconds, UserDecimalSeparator()));
    countPanel_->setText(CountText(rows));
    browseButton_->setEnabled(true);
    if (kind == DupeSearchKind::TreeScan) {
        findCopiesButton_->setEnabled(true);
        settingsButton_->setEnabled(true);
        scanButton_->setText(QStringLiteral("Сканировать"));
        hourglassTimer_->stop();
    } else {
        findCopiesButton_->setText(QStringLiteral("Искать"));
        scanButton_->setEnabled(true);
    }
    // The tree scan's rows came marked, with their space (rowsAdded).
    if (listMarked_)
        showSpace();
    else
        listChanged();
    listMarked_ = false;
}

// ---------------------------------------------------------------- chosen file

void Form2::chooseFileByDialog()
{
    ChosenFile chosen = search_.chosenFile();
    const QString name = extras_.openFileDialog(this, DisplayPath(chosen.path));
    if (!name.isEmpty()) { // cancelled: the chosen file stays as it was
        const QByteArray path = QFile::encodeName(name);
        if (IsFileFound(path))
            chosen.path = path;
        else
            chosen.path.clear();
        search_.setChosenFile(chosen);
    }
    QString shown = DisplayPath(search_.chosenFile().path);
    pendingPath_ = search_.chosenFile().path;
    takeChosenFile(shown);
}

bool Form2::takeChosenFile(QString &path)
{
    path = trimSpaces(path);
    QByteArray bytes = pendingPath_;
    pendingPath_.clear();
    if (path.isEmpty())
        return false;
    if (bytes.isEmpty() || DisplayPath(bytes) != path)
        bytes = QFile::encodeName(path);

    timePanel_->setText(QStringLiteral("Обработка выбранного файла..."));
    repaint();
    services_.yield.yield();
    browseButton_->setEnabled(false);
    findCopiesButton_->setEnabled(false);
    bool taken = false;
    try {
        search_.setChosenFile(TakeChosenFile(bytes));
        const ChosenFile &chosen = search_.chosenFile();
        QPalette p;
        p.setColor(QPalette::WindowText, BgrColor(chosen.size.bytes() == 0 ? 0x0000FF : 0x000000));
        checksumHeading_->setPalette(p);
        checksumValue_->setPalette(p);
        chosenFileField_->setText(DisplayPath(chosen.path));
        processedText_ = chosenFileField_->text();
        checksumText_ =
            QString::number(chosen.checksum) + QStringLiteral("  Размер: ") + SizeText(chosen.size);
        placeChecksumValue();
        taken = true;
    } catch (const VsError &e) {
        if (e.number == kErrFileNotFound)
            services_.boxes.show(this, QStringLiteral("Файл не найден:\n") + path,
                                 e.description.isEmpty() ? ErrorDescription(e.number) : e.description,
                                 MessageBoxes::Icon::Exclamation);
    } catch (const std::bad_alloc &) {
    }
    browseButton_->setEnabled(true);
    findCopiesButton_->setEnabled(true);
    return taken;
}

} // namespace vs
