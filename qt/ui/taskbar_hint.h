// Keeping a window off the desktop's task bar where the window system lets a
// program ask for it.
#pragma once

class QWidget;

// On X11, adds _NET_WM_STATE_SKIP_TASKBAR to the window before it is mapped;
// Qt keeps states it finds there when it maps the window. Elsewhere (Wayland
// has no such request) it does nothing. Call before the first show().
void keepOffTaskbar(QWidget& window);
