// The frame a window manager will draw around a window, known before the
// window is shown, so that the whole window, frame included, can be placed.
#pragma once

#include <QMargins>

class QWidget;

// On X11, asks the window manager for the frame it will give the window
// (_NET_REQUEST_FRAME_EXTENTS) and waits briefly for the answer, in Qt's
// logical pixels like the window's own geometry. Empty
// margins where there is no window manager, no such request, no answer in
// time, or no X11. Call before the first show(), once the window's type and
// flags are set.
QMargins expectedFrameMargins(QWidget& window);
