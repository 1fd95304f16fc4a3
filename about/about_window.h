// PLACEHOLDER: the About-window helper replaces this file.
#pragma once
namespace about {
// Opens the About window, or brings the open one to the front.
void ShowAboutWindow();
}  // namespace about
