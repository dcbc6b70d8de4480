// Writes the program's icon as PNG files for the desktop's icon theme:
//   volumescope-icons <output folder>  ->  <folder>/<n>x<n>/apps/volumescope.png
#include "about/ProgramIcon.h"

#include <QDir>
#include <QImage>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    // Painting into an image needs neither a screen nor an application object.
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
        const QString file = folder + QStringLiteral("/volumescope.png");
        if (!QDir().mkpath(folder) || !vs::DrawProgramIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
