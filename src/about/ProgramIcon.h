// The program's own icon: a disk seen slightly from above, split like a pie
// into a used (blue) and a free (magenta) share. Drawn with QPainter so the
// window icon, the About window and the installed theme icons are one picture.
#pragma once

#include <QIcon>
#include <QImage>

namespace vs
{

// The icon as a square picture of size x size pixels on a transparent ground.
QImage DrawProgramIcon(int size);
// Every size a desktop asks for (16 to 256 pixels).
QIcon ProgramIcon();

} // namespace vs
