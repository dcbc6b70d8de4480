// Where a secondary window opens: whole, on the screen that holds the main
// window, so that a second monitor or a large scale factor never leaves part
// of it off screen.
#pragma once

class QScreen;
class QWidget;

namespace vs
{

// The screen of the program's main window (the visible window named
// "Form1"); the primary screen when there is none.
QScreen *MainWindowScreen();

// Makes the window no larger than the screen's free area (never below its
// minimum size) and moves it so that its frame, title bar included, lies in
// that area, centred. Before the window is first shown its frame is not known
// yet: the main window's frame stands in for it.
void PlaceOnScreen(QWidget *window, QScreen *screen);

} // namespace vs
