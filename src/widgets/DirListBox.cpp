#include "widgets/DirListBox.h"

#include "fs/Paths.h"
#include "util/Errors.h"
#include "util/FileSystem.h"
#include "util/Services.h"
#include "widgets/Twips.h"

#include <QCollator>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <algorithm>

namespace vs
{

namespace
{

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;

// Shifts each entry right by its depth, so the list reads like a tree.
class IndentDelegate : public QStyledItemDelegate
{
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o = option;
        o.rect.adjust(indent(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, o, index);
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.rwidth() += indent(index);
        return s;
    }

  private:
    static int indent(const QModelIndex &index)
    {
        return index.data(kDepthRole).toInt() * DirListBox::kIndentPixels;
    }
};

QByteArray normalised(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QString entryName(const QByteArray &path)
{
    if (path == "/")
        return QStringLiteral("/");
    return DisplayPath(path.mid(path.lastIndexOf('/') + 1));
}

// "/", "/home", "/home/u" for "/home/u".
std::vector<QByteArray> pathChain(const QByteArray &path)
{
    std::vector<QByteArray> chain{QByteArray("/")};
    for (int i = 1; i < path.size(); ++i) {
        if (path[i] == '/')
            chain.push_back(path.left(i));
    }
    if (path != "/")
        chain.push_back(path);
    return chain;
}

} // namespace

DirListBox::DirListBox(FileSystem &fs, MessageBoxes &boxes, QWidget *parent)
    : QListWidget(parent), fs_(fs), boxes_(boxes)
{
    setObjectName(QStringLiteral("Dir1"));
    setAccessibleName(QStringLiteral("Папки"));
    setAccessibleDescription(QStringLiteral("Путь к выбранной папке и её вложенные папки"));
    setItemDelegate(new IndentDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, BgrColor(0x808080));
    setPalette(pal);
    setAutoFillBackground(true);
    connect(this, &QListWidget::currentRowChanged, this, &DirListBox::showHighlightedFolder);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { openEntry(row(item)); });
}

QByteArray DirListBox::highlightedFolder() const
{
    const QByteArray p = entryPath(currentRow());
    return p.isEmpty() ? openFolder_ : p;
}

QByteArray DirListBox::entryPath(int row) const
{
    const QListWidgetItem *it = item(row);
    return it ? it->data(kPathRole).toByteArray() : QByteArray();
}

int DirListBox::entryDepth(int row) const
{
    const QListWidgetItem *it = item(row);
    return it ? it->data(kDepthRole).toInt() : -1;
}

void DirListBox::openAt(const QByteArray &requested)
{
    const QByteArray path = normalised(requested);
    std::vector<QByteArray> names;
    try {
        auto listing = fs_.subFolders(path);
        QByteArray name;
        while (listing->next(name))
            names.push_back(name);
    } catch (const VsError &e) {
        if (e.number == kErrPermission)
            throw MakeError(kErrAccessDenied, QStringLiteral("Dir1"));
        throw;
    }

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QString, QByteArray>> sorted;
    sorted.reserve(names.size());
    for (const QByteArray &n : names)
        sorted.emplace_back(DisplayPath(n), n);
    std::sort(sorted.begin(), sorted.end(), [&](const auto &a, const auto &b) {
        const int c = collator.compare(a.first, b.first);
        return c != 0 ? c < 0 : a.second < b.second;
    });

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const std::vector<QByteArray> chain = pathChain(path);
    {
        const QSignalBlocker block(this);
        clear();
        int depth = 0;
        for (const QByteArray &p : chain) {
            auto *it = new QListWidgetItem(openIcon, entryName(p), this);
            it->setData(kPathRole, p);
            it->setData(kDepthRole, depth++);
        }
        for (const auto &[text, name] : sorted) {
            auto *it = new QListWidgetItem(closedIcon, text, this);
            it->setData(kPathRole, JoinPath(path, name));
            it->setData(kDepthRole, depth);
        }
        openFolder_ = path;
        openFolderRow_ = int(chain.size()) - 1;
        setCurrentRow(openFolderRow_);
    }
    scrollToItem(item(openFolderRow_), QAbstractItemView::PositionAtTop);
    setToolTipText(DisplayPath(openFolder_));
    emit changed();
}

void DirListBox::setToolTipText(const QString &text)
{
    setToolTip(text);
}

void DirListBox::showHighlightedFolder(int row)
{
    if (row < 0)
        return;
    const QByteArray path = entryPath(row);
    setToolTipText(DisplayPath(path));
    emit highlighted(path);
}

void DirListBox::openEntry(int row)
{
    const QByteArray path = entryPath(row);
    if (path.isEmpty())
        return;
    try {
        openAt(path);
    } catch (const VsError &e) {
        if (e.number == kErrAccessDenied) {
            boxes_.show(window(), QStringLiteral("Нет доступа к выбранной папке!"),
                        QStringLiteral("Доступ запрещен"), MessageBoxes::Icon::Exclamation);
        } else {
            boxes_.show(window(), QString::number(e.number) + u'\n' + e.description + u'\n' + e.source,
                        QStringLiteral("Ошибка") + QString::number(e.number),
                        MessageBoxes::Icon::Exclamation);
        }
    }
}

void DirListBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openEntry(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace vs
