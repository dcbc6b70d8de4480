#include "DupeListItems.h"

#include "fs/Paths.h"
#include "widgets/Twips.h"

namespace vs
{

namespace
{

enum Role {
    kGroupRole = Qt::UserRole + 1,
    kSizeRole,
    kChecksumRole,
    kDevRole,
    kInoRole,
    kMtimeRole,
    kIdentifiedRole,
    kOwnTipRole,
};

} // namespace

QTreeWidgetItem *MakeDupeItem(const DupeRow &row, const ListedFile &file)
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
    item->setData(0, kGroupRole, file.group);
    item->setData(0, kSizeRole, qint64(row.size.bytes()));
    item->setData(0, kChecksumRole, row.checksum);
    item->setData(0, kDevRole, qulonglong(file.dev));
    item->setData(0, kInoRole, qulonglong(file.ino));
    item->setData(0, kMtimeRole, qint64(file.mtimeNs));
    item->setData(0, kIdentifiedRole, file.identified);
    item->setData(0, kOwnTipRole, row.toolTip);
    return item;
}

ListedFile ListedFileOf(const QTreeWidgetItem *item)
{
    ListedFile f;
    f.path = item->data(0, kPathRole).toByteArray();
    f.size = ByteCount::fromBytes(uint64_t(item->data(0, kSizeRole).toLongLong()));
    f.checksum = item->data(0, kChecksumRole).toInt();
    f.group = item->data(0, kGroupRole).toInt();
    f.dev = item->data(0, kDevRole).toULongLong();
    f.ino = item->data(0, kInoRole).toULongLong();
    f.mtimeNs = item->data(0, kMtimeRole).toLongLong();
    f.identified = item->data(0, kIdentifiedRole).toBool();
    return f;
}

void MarkHardLinks(const std::vector<QTreeWidgetItem *> &items)
{
    std::vector<ListedFile> files;
    files.reserve(items.size());
    for (const QTreeWidgetItem *item : items)
        files.push_back(ListedFileOf(item));
    const std::vector<std::vector<int>> partners = HardLinkPartners(files);
    for (size_t i = 0; i < items.size(); ++i) {
        QTreeWidgetItem *item = items[i];
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
        if (i == 0 || items[i]->data(0, kGroupRole) != items[i - 1]->data(0, kGroupRole))
            cyan = !cyan;
        const QColor colour = BgrColor(cyan ? kDupeCyan : kDupeYellow);
        for (int c = 0; c < 3; ++c)
            items[i]->setForeground(c, colour);
    }
}

} // namespace vs
