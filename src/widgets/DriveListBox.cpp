#include "widgets/DriveListBox.h"

#include <QDir>
#include <QFile>

namespace vs
{

namespace
{

QStyle::StandardPixmap driveIcon(int platformType)
{
    switch (platformType) {
    case 2:
        return QStyle::SP_DriveFDIcon;
    case 4:
        return QStyle::SP_DriveNetIcon;
    case 5:
        return QStyle::SP_DriveCDIcon;
    default:
        return QStyle::SP_DriveHDIcon;
    }
}

} // namespace

int MountIndexForPath(const std::vector<QByteArray> &mountPoints, const QByteArray &path)
{
    int best = -1;
    qsizetype bestLength = -1;
    for (size_t i = 0; i < mountPoints.size(); ++i) {
        const QByteArray &m = mountPoints[i];
        const bool holds =
            m == "/" ? path.startsWith('/') : (path == m || (path.startsWith(m) && path.at(m.size()) == '/'));
        if (holds && m.size() > bestLength) {
            best = int(i);
            bestLength = m.size();
        }
    }
    return best;
}

DriveListBox::DriveListBox(MountTable &mounts, QWidget *parent) : QComboBox(parent), mounts_(mounts)
{
    setObjectName(QStringLiteral("Drive1"));
    setAccessibleName(QStringLiteral("Диск"));
    setAccessibleDescription(QStringLiteral("Накопитель, папки которого показаны в списке папок"));
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    QPalette pal = palette();
    const QColor tip = pal.color(QPalette::ToolTipBase);
    pal.setColor(QPalette::Base, tip);
    pal.setColor(QPalette::Button, tip);
    pal.setColor(QPalette::Text, pal.color(QPalette::ToolTipText));
    pal.setColor(QPalette::ButtonText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
    refresh();
    chooseDriveFor(QFile::encodeName(QDir::currentPath()));
}

void DriveListBox::chooseDriveFor(const QByteArray &path)
{
    const int index = indexForPath(path);
    const QSignalBlocker block(this);
    setCurrentIndex(index >= 0 ? index : 0);
}

void DriveListBox::refresh()
{
    const QByteArray chosen = currentMountPoint();
    drives_ = mounts_.drives();
    {
        const QSignalBlocker block(this);
        clear();
        for (const DriveEntry &d : drives_)
            addItem(style()->standardIcon(driveIcon(d.platformType)), DriveText(d));
        for (size_t i = 0; i < drives_.size(); ++i) {
            if (drives_[i].mountPoint == chosen)
                setCurrentIndex(int(i));
        }
    }
    emit listRefreshed();
}

void DriveListBox::showPopup()
{
    refresh();
    QComboBox::showPopup();
}

QByteArray DriveListBox::mountPoint(int index) const
{
    if (index < 0 || size_t(index) >= drives_.size())
        return {};
    return drives_[size_t(index)].mountPoint;
}

int DriveListBox::indexForPath(const QByteArray &path) const
{
    std::vector<QByteArray> points;
    points.reserve(drives_.size());
    for (const DriveEntry &d : drives_)
        points.push_back(d.mountPoint);
    return MountIndexForPath(points, path);
}

} // namespace vs
