#include "MainLayout.h"

#include <cmath>

namespace vs
{

MainLayout DesignLayout()
{
    MainLayout l;
    l.driveList = {30, 420, 1680, 315};
    l.driveInfoButton = {1725, 420, 375, 315};
    l.folderList = {30, 780, 2070, 4815};
    l.progressBar = {30, 5790, 2070, 255};
    l.scanButton = {30, 6105, 2070, 360};
    l.autoViewCheck = {30, 6480, 2070, 285};
    l.divider = {2130, 420, 90, 6060};
    l.resultList = {2220, 405, 8220, 6100};
    l.countLabel = {2265, 6540, 600, 195};
    return l;
}

int RoundHalfEven(double v)
{
    // The default rounding mode rounds halves to even.
    return static_cast<int>(std::nearbyint(v));
}

void FitColumns(MainLayout &layout)
{
    const double w = layout.resultList.width;
    layout.columnWidths[0] = static_cast<float>(w / 2.2);
    layout.columnWidths[1] = static_cast<float>(w / 3.0);
    layout.columnWidths[2] = static_cast<float>(w / 6.1);
}

ResizeOutcome LayOutOnResize(MainLayout &l, int &lastAcceptedWidth, double windowWidth, double windowHeight,
                             bool minimised)
{
    ResizeOutcome out;
    const int w = RoundHalfEven(windowWidth - l.resultList.left - 165);
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
    l.resultList.width = w;
    l.resultList.height = windowHeight - 1010;
    FitColumns(l);
    l.divider.height = l.resultList.height - 40;
    l.countLabel.top = l.resultList.top + l.resultList.height + 20;
    l.scanButton.top = l.resultList.top + l.resultList.height - 410;
    l.progressBar.top = l.scanButton.top - 300;
    l.folderList.height = l.progressBar.top - l.folderList.top - 50;
    l.autoViewCheck.top = l.scanButton.top + l.scanButton.height + 30;
    lastAcceptedWidth = RoundHalfEven(windowWidth);
    out.laidOut = true;
    return out;
}

bool MoveDivider(MainLayout &l, double windowWidth, int grabOffset, int x)
{
    const int s = grabOffset - x;
    if (!(static_cast<float>(windowWidth - kDividerMargin) >= static_cast<float>(l.divider.left - s)))
        return false;
    if (!(l.resultList.left - s >= kDividerMargin))
        return false;
    l.divider.left -= s;
    l.resultList.left -= s;
    l.resultList.width += s;
    FitColumns(l);
    l.folderList.width -= s;
    l.progressBar.width -= s;
    l.driveList.width -= s;
    l.driveInfoButton.left = l.driveList.left + l.driveList.width + 10;
    l.scanButton.width -= s;
    l.autoViewCheck.width = l.scanButton.width;
    l.countLabel.left -= s;
    return true;
}

} // namespace vs
