// Placement of the main window's controls, in twips. The window keeps these
// rectangles as its state and converts them to pixels only when placing the
// widgets, so a drag of the divider or a resize never accumulates rounding.
// Everything here is plain arithmetic on the rectangles, testable without a
// window.
#pragma once

#include <array>

namespace vs
{

struct TwipsRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double right() const { return left + width; }
    double bottom() const { return top + height; }
};

struct MainLayout {
    TwipsRect driveList;       // Drive1
    TwipsRect driveInfoButton; // Command2
    TwipsRect folderList;      // Dir1
    TwipsRect progressBar;     // ProgressBar1
    TwipsRect scanButton;      // Command1
    TwipsRect autoViewCheck;   // Check1
    TwipsRect divider;         // Image1
    TwipsRect resultList;      // ListView1
    TwipsRect countLabel;      // Label1
    // Widths of the list's columns 1 to 3, kept in single precision.
    std::array<float, 3> columnWidths{5203.f, 5292.f, 2205.f};
};

// The rectangles the window was designed with.
MainLayout DesignLayout();

// The designed client area, and the window frame the layout rules count on:
// the outer size is the client size plus this frame, whatever the window
// manager draws, so the bottom row of controls fits the client area on every
// desktop.
constexpr double kDesignClientWidth = 10425;
constexpr double kDesignClientHeight = 6705;
constexpr double kFrameWidth = 120;
constexpr double kFrameHeight = 330;
constexpr double kMinWindowHeight = 7170;
// The left panel and the space right of the divider never get narrower.
constexpr double kDividerMargin = 800;

// Whole number, halves to the even neighbour.
int RoundHalfEven(double v);

// Columns 1 to 3 of the list from its width: /2.2, /3 and /6.1.
void FitColumns(MainLayout &layout);

struct ResizeOutcome {
    bool laidOut = false; // the controls were placed anew
    double newHeight = 0; // > 0: make the window this tall (outer twips)
    double newWidth = 0;  // > 0: give the window this width back (outer twips)
};

// The resize rule. windowWidth/windowHeight are the outer size in twips.
// `lastAcceptedWidth` is the width at the end of the last completed layout
// (0 before the first one) and is updated here.
ResizeOutcome LayOutOnResize(MainLayout &layout, int &lastAcceptedWidth, double windowWidth,
                             double windowHeight, bool minimised);

// One pointer move of the divider drag, held with the left button alone.
// `grabOffset` is where the divider was pressed and `x` the pointer now, both
// in twips inside the divider. Returns false, changing nothing, when the move
// would bring the divider within 800 twips of either side.
bool MoveDivider(MainLayout &layout, double windowWidth, int grabOffset, int x);

} // namespace vs
