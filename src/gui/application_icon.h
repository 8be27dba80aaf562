// The application icon, the one every window shows unless it has its own.
#pragma once

#include <string>

// Loads an icon file (a Windows .ico, every size it holds). Raises std::runtime_error for
// a file that is not an icon; the icon in use then stays.
void LoadApplicationIcon(const std::string& iconFile);
