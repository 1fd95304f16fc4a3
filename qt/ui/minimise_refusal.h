// Neither window has a minimise box. Where a window manager offers one all
// the same (openbox does on every dialog and utility window, whatever its
// hints say), or minimises a window by some other way, the window comes
// straight back, with the keyboard.
#pragma once

class QWidget;

// Call once, on a top-level window.
void refuseMinimising(QWidget& window);
