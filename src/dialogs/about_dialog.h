// The About dialog (window 2): the logo, the description, "Close" and the website link.
#pragma once

#include <windows.h>

HWND open_about_dialog();
