// The overview's own pictures, drawn in code: seven 16 x 16 drive pictures
// (1 plain drive, 2 removable medium, 3 hard disk, 4 network drive, 5 CD
// drive, 6 plain drive, 7 unknown drive), the two people before the user's
// row and the window icon, a blue pie chart.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace vs
{

constexpr int kDrivePictureCount = 7;
// Picture 1..7 (anything else gives picture 7).
QPixmap DrivePicture(int code);
QPixmap UsersPicture();
QIcon OverviewIcon();

} // namespace vs
