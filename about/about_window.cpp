// PLACEHOLDER: the About-window helper replaces this file.
#include "about_window.h"
namespace about {
void ShowAboutWindow() {}
}  // namespace about
