// The configuration dialog (window 1): what the label shows, its corner, transparency, font
// and autostart, built in code from numbered gadgets.
#pragma once

#include <windows.h>

HWND open_config_dialog();
