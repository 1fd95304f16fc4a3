// What screen readers find in the program's two windows, taken from the
// same forms the windows are drawn from: the child windows named and given
// their roles, and the painted elements described.
#pragma once

#include "accessible_group.h"

namespace win32 {

class AboutWindow;
class MainWindow;

// Once the window's child windows exist.
void AttachAccessibleControls(const MainWindow& window);
void AttachAccessibleControls(const AboutWindow& window);

// The client area, for WM_GETOBJECT.
[[nodiscard]] AccessibleElement DescribeMainWindow(const MainWindow& window);
[[nodiscard]] AccessibleElement DescribeAboutWindow(const AboutWindow& window);

}  // namespace win32
