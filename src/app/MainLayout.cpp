#include "MainLayout.h"

#include <cmath>

namespace vs {

MainLayout DesignLayout()
{
    MainLayout l;
    l.drive1 = {30, 420, 1680, 315};
    l.command2 = {1725, 420, 375, 315};
    l.dir1 = {30, 780, 2070, 4815};
    l.progressBar1 = {30, 5790, 2070, 255};
    l.command1 = {30, 6105, 2070, 360};
    l.check1 = {30, 6480, 2070, 285};
    l.image1 = {2130, 420, 90, 6060};
    l.listView1 = {2220, 405, 8220, 6100};
    l.label1 = {2265, 6540, 600, 195};
    return l;
}

int RoundHalfEven(double v)
{
    // The default rounding mode rounds halves to even.
    return static_cast<int>(std::nearbyint(v));
}

void FitColumns(MainLayout &layout)
{
    const double w = layout.listView1.width;
    layout.columnWidths[0] = static_cast<float>(w / 2.2);
    layout.columnWidths[1] = static_cast<float>(w / 3.0);
    layout.columnWidths[2] = static_cast<float>(w / 6.1);
}

ResizeOutcome LayOutOnResize(MainLayout &l, int &lastAcceptedWidth, double windowWidth,
                             double windowHeight, bool minimised)
{
    ResizeOutcome out;
    const int w = RoundHalfEven(windowWidth - l.listView1.left - 165);
    if (minimised)
        return out;
    if (windowHeight < kMinWindowHeight) {
        // The window is made taller; the layout goes on with that height.
        out.newHeight = kMinWindowHeight;
        windowHeight = kMinWindowHeight;
    }
    if (w <= 0) {
        // Before any layout was accepted there is nothing to go back to but
        // the designed width.
        out.newWidth = lastAcceptedWidth > 0 ? lastAcceptedWidth : kDesignClientWidth + kFrameWidth;
        return out;
    }
    l.listView1.width = w;
    l.listView1.height = windowHeight - 1010;
    FitColumns(l);
    l.image1.height = l.listView1.height - 40;
    l.label1.top = l.listView1.top + l.listView1.height + 20;
    l.command1.top = l.listView1.top + l.listView1.height - 410;
    l.progressBar1.top = l.command1.top - 300;
    l.dir1.height = l.progressBar1.top - l.dir1.top - 50;
    l.check1.top = l.command1.top + l.command1.height + 30;
    lastAcceptedWidth = RoundHalfEven(windowWidth);
    out.laidOut = true;
    return out;
}

bool MoveDivider(MainLayout &l, double windowWidth, int grabOffset, int x)
{
    const int s = grabOffset - x;
    if (!(static_cast<float>(windowWidth - kDividerMargin) >= static_cast<float>(l.image1.left - s)))
        return false;
    if (!(l.listView1.left - s >= kDividerMargin))
        return false;
    l.image1.left -= s;
    l.listView1.left -= s;
    l.listView1.width += s;
    FitColumns(l);
    l.dir1.width -= s;
    l.progressBar1.width -= s;
    l.drive1.width -= s;
    l.command2.left = l.drive1.left + l.drive1.width + 10;
    l.command1.width -= s;
    l.check1.width = l.command1.width;
    l.label1.left -= s;
    return true;
}

} // namespace vs
