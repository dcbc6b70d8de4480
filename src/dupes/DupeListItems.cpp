#include "DupeListItems.h"

#include "fs/Paths.h"
#include "widgets/Twips.h"

namespace vs
{

namespace
{

enum Role {
    kFileRole = Qt::UserRole + 1, // the ListedFile, in one value
    kOwnTipRole,                  // the row's own tool tip, when it has one
};

} // namespace

QTreeWidgetItem *MakeDupeItem(const DupeRow &row, const ListedFile &file)
{
    auto *item = new QTreeWidgetItem;
    item->setText(0, DisplayPath(row.path));
    item->setData(0, kPathRole, row.path);
    if (!row.toolTip.isEmpty()) {
        item->setToolTip(0, row.toolTip);
        item->setData(0, kOwnTipRole, row.toolTip);
    }
    item->setText(1, SizeText(row.size));
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setText(2, QString::number(row.checksum));
    const QBrush colour(BgrColor(row.colour)); // one brush shared by the three columns
    for (int c = 0; c < 3; ++c)
        item->setForeground(c, colour);
    ListedFile listed = file;
    listed.path = row.path;
    listed.size = row.size;
    listed.checksum = row.checksum;
    item->setData(0, kFileRole, QVariant::fromValue(listed));
    return item;
}

ListedFile ListedFileOf(const QTreeWidgetItem *item)
{
    return item->data(0, kFileRole).value<ListedFile>();
}

void MarkHardLinks(const std::vector<QTreeWidgetItem *> &items)
{
    std::vector<ListedFile> files;
    files.reserve(items.size());
    for (const QTreeWidgetItem *item : items)
        files.push_back(ListedFileOf(item));
    MarkHardLinks(items, files);
}

void MarkHardLinks(const std::vector<QTreeWidgetItem *> &items, const std::vector<ListedFile> &files)
{
    const std::vector<std::vector<int>> partners = HardLinkPartners(files);
    for (size_t i = 0; i < items.size(); ++i) {
        QTreeWidgetItem *item = items[i];
        // Most rows are no links and never were: nothing to look at.
        if (partners[i].empty() && !item->data(1, Qt::FontRole).isValid() &&
            !item->data(0, kOwnTipRole).isValid() && !item->data(0, Qt::ToolTipRole).isValid())
            continue;
        QString tip = item->data(0, kOwnTipRole).toString();
        if (!partners[i].empty()) {
            QStringList others;
            for (int j : partners[i])
                others << DisplayPath(files[size_t(j)].path);
            const QString mark = QStringLiteral("жёсткая ссылка: ") + others.join(QStringLiteral(", "));
            tip = tip.isEmpty() ? mark : tip + QLatin1Char('\n') + mark;
        }
        if (item->toolTip(0) != tip)
            item->setToolTip(0, tip);
        QFont font = item->font(1);
        if (font.italic() != !partners[i].empty()) {
            font.setItalic(!partners[i].empty());
            item->setFont(1, font);
        }
    }
}

void RecolourGroups(const std::vector<QTreeWidgetItem *> &items)
{
    bool cyan = false;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i == 0 || ListedFileOf(items[i]).group != ListedFileOf(items[i - 1]).group)
            cyan = !cyan;
        const QColor colour = BgrColor(cyan ? kDupeCyan : kDupeYellow);
        for (int c = 0; c < 3; ++c)
            items[i]->setForeground(c, colour);
    }
}

} // namespace vs
