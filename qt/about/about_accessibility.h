// How screen readers see the About window: a dialog, its link a link that
// can be pressed, its DTMF grid a table of the keys with their pairs.
#pragma once

namespace about {

// Registers the window's accessible interfaces with Qt. Safe to call again.
void installAccessibility();

}  // namespace about
