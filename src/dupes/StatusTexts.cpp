#include "StatusTexts.h"

#include <charconv>

namespace vs
{

QString ElapsedText(double seconds, const QString &sep)
{
    const float v = static_cast<float>(seconds);
    QString text;
    if (v == 0.0f) {
        text = QStringLiteral("0");
    } else {
        char buf[48];
        const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 7);
        text = QString::fromLatin1(buf, res.ptr - buf);
        const qsizetype e = text.indexOf(QLatin1Char('e'));
        if (e >= 0)
            text[e] = QLatin1Char('E');
        text.replace(QLatin1Char('.'), sep);
    }
    return text + QStringLiteral("сек.");
}

QString CountText(int rows)
{
    return QStringLiteral("Кол-во: ") + QString::number(rows);
}

QString SpaceText(ByteCount all, bool anySelected, ByteCount selected)
{
    QString text = QStringLiteral("Можно освободить: ") + SizeText(all);
    if (anySelected)
        text += QStringLiteral(", выделено: ") + SizeText(selected);
    return text;
}

QString GroupsWithoutKeptText(int groups)
{
    return QStringLiteral("; групп без копии в папке: ") + QString::number(groups);
}

namespace
{

QString SkippedGroupsText(int groups, int files)
{
    return QStringLiteral("Группы, выделенные целиком, пропускаются (групп: %1, файлов: %2): "
                          "последняя копия файла остаётся на месте.")
        .arg(groups)
        .arg(files);
}

} // namespace

QString ConfirmMoveText(int files, ByteCount space, int skippedGroups, int skippedFiles)
{
    QString text = QStringLiteral("Переместить в корзину файлов: %1?\nОсвободится: %2")
                       .arg(QString::number(files), SizeText(space));
    if (skippedGroups > 0)
        text += QStringLiteral("\n\n") + SkippedGroupsText(skippedGroups, skippedFiles);
    return text;
}

QString NothingToMoveText(int skippedGroups, int skippedFiles)
{
    return SkippedGroupsText(skippedGroups, skippedFiles) + QStringLiteral("\nПеремещать нечего.");
}

QString MoveSummaryText(int moved, ByteCount freed, int skippedGroups,
                        const std::vector<std::pair<QString, QString>> &leftAlone, bool stopped)
{
    QString text = QStringLiteral("Перемещено в корзину файлов: %1\nОсвобождено: %2")
                       .arg(QString::number(moved), SizeText(freed));
    if (stopped)
        text += QStringLiteral("\nПеремещение прервано.");
    if (skippedGroups > 0)
        text += QStringLiteral("\nПропущено групп, выделенных целиком: ") + QString::number(skippedGroups);
    if (!leftAlone.empty()) {
        text += QStringLiteral("\n\nОставлены на месте (%1):").arg(leftAlone.size());
        // A long list would make the box taller than the screen.
        constexpr size_t kShown = 15;
        for (size_t i = 0; i < leftAlone.size() && i < kShown; ++i)
            text += QStringLiteral("\n") + leftAlone[i].first + QStringLiteral(" — ") + leftAlone[i].second;
        if (leftAlone.size() > kShown)
            text += QStringLiteral("\n… и ещё %1").arg(leftAlone.size() - kShown);
    }
    return text;
}

} // namespace vs
